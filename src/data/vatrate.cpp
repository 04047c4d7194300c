#include "vatrate.h"

#include "dates.h"
#include "money.h"
#include "sql.h"

#include <QObject>
#include <QSqlQuery>

namespace velmora {

namespace {

const char* const kFirstRow = "rowid = (select min(rowid) from company)";

} // namespace

VatRates VatRates::withRate(VatRate newRate, QDate newFrom) const
{
    VatRates changed = *this;
    if (newFrom != from)
        changed.previous = rate;
    changed.rate = newRate;
    changed.from = newFrom;
    return changed;
}

std::optional<VatRate> parseVatRate(const QString& text)
{
    const auto amount = Money::parse(text.trimmed());
    if (!amount || amount->stored() < 0 || amount->stored() >= 100 * 10000)
        return std::nullopt;
    return amount->stored();
}

QString vatRateText(VatRate rate)
{
    QString text = QString::number(rate / 10000);
    if (const VatRate fraction = rate % 10000; fraction != 0) {
        QString decimals = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        text += QLatin1Char('.') + decimals;
    }
    return text;
}

std::optional<VatRates> readVatRates(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select vat_rate, vat_rate_from, previous_vat_rate from company "
                            "where %1")
                 .arg(QLatin1String(kFirstRow)),
             {}, error))
        return std::nullopt;
    VatRates rates;
    if (query.next()) {
        rates.rate = query.value(0).toLongLong();
        rates.from = dateFromStored(query.value(1).toString());
        rates.previous = query.value(2).toLongLong();
    }
    return rates;
}

bool saveVatRates(const QSqlDatabase& db, const VatRates& rates, QString* error)
{
    QSqlQuery query(db);
    const QVariant from = rates.from.isValid() ? QVariant(storedDate(rates.from)) : QVariant();
    if (!run(query,
             QStringLiteral("update company set vat_rate = ?, vat_rate_from = ?, "
                            "previous_vat_rate = ? where %1")
                 .arg(QLatin1String(kFirstRow)),
             {qlonglong{rates.rate}, from, qlonglong{rates.previous}}, error))
        return false;
    if (query.numRowsAffected() == 1)
        return true;
    *error = QObject::tr("The company's details must be saved before its VAT rate.");
    return false;
}

} // namespace velmora
