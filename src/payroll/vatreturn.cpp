#include "vatreturn.h"

#include "data/dates.h"
#include "data/fault.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <map>

namespace velmora {

namespace {

Money wholePounds(Money amount) { return Money::fromStored(amount.stored() / 10000 * 10000); }

bool readTotals(const QSqlDatabase& db, QDate from, QDate to, const VatRates& rates,
                std::vector<VatRateTotal>* totals, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString rateFrom = rates.from.isValid() ? storedDate(rates.from) : QStringLiteral("");
    if (!run(query, vatReturnStatement(), {rateFrom, storedDate(from), storedDate(to.addDays(1))},
             error))
        return false;
    std::map<std::pair<bool, VatRate>, VatRateTotal> byRate;
    while (query.next()) {
        const bool sales = query.value(0).toString().compare(u"I", Qt::CaseInsensitive) == 0;
        const VatRate rate = !query.value(1).toBool()  ? 0
                             : query.value(2).toBool() ? rates.previous
                                                       : rates.rate;
        VatRateTotal& total = byRate[{sales, rate}];
        total.sales = sales;
        total.rate = rate;
        total.beforeVat += Money::fromVariant(query.value(3));
        total.vat += Money::fromVariant(query.value(4));
    }
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return false;
    }
    for (const auto& [key, total] : byRate)
        totals->push_back(total);
    std::sort(totals->begin(), totals->end(), [](const VatRateTotal& a, const VatRateTotal& b) {
        return a.sales != b.sales ? a.sales : a.rate > b.rate;
    });
    return true;
}

VatReturn boxes(std::vector<VatRateTotal> totals)
{
    VatReturn result;
    Money salesVat;
    Money purchasesVat;
    for (const VatRateTotal& total : totals) {
        (total.sales ? salesVat : purchasesVat) += total.vat;
        (total.sales ? result.salesBeforeVat : result.purchasesBeforeVat) += total.beforeVat;
    }
    auto& box = result.boxes;
    box[0] = salesVat.roundedToPence();
    box[2] = box[0] + box[1];
    box[3] = purchasesVat.roundedToPence();
    box[4] = box[2] - box[3];
    box[5] = wholePounds(result.salesBeforeVat);
    box[6] = wholePounds(result.purchasesBeforeVat);
    result.rates = std::move(totals);
    return result;
}

bool writeReturn(const QSqlDatabase& db, const VatReturn& vat, QDate from, QDate to, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("DELETE FROM vat_return"), {}, error))
        return false;
    if (!query.prepare(QStringLiteral("INSERT INTO vat_return (line, box, description, amount, "
                                      "vat, start_date, end_date) VALUES (?, ?, ?, ?, ?, ?, ?)"))) {
        *error = queryFault(query);
        return false;
    }
    int line = 0;
    const auto add = [&](const QVariant& box, const QString& words, Money amount,
                         const QVariant& tax) {
        const QVariantList values = {
            ++line, box, words, amount.toVariant(), tax, storedDate(from), storedDate(to)};
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (query.exec())
            return true;
        *error = queryFault(query);
        return false;
    };
    for (int box = 0; box < 9; ++box) {
        if (!add(QString::number(box + 1), vatBoxNames()[box], vat.boxes[box], QVariant()))
            return false;
    }
    for (const VatRateTotal& total : vat.rates) {
        const QString words =
            (total.sales ? QObject::tr("Sales at %1%") : QObject::tr("Purchases at %1%"))
                .arg(vatRateText(total.rate));
        if (!add(QVariant(), words, total.beforeVat, total.vat.toVariant()))
            return false;
    }
    return true;
}

} // namespace

const std::array<QString, 9>& vatBoxNames()
{
    static const std::array<QString, 9> names = {
        QObject::tr("VAT due in the period on sales and other outputs"),
        QObject::tr("VAT due in the period on acquisitions of goods made in Northern Ireland "
                    "from EU Member States"),
        QObject::tr("Total VAT due (the sum of boxes 1 and 2)"),
        QObject::tr("VAT reclaimed in the period on purchases and other inputs"),
        QObject::tr("Net VAT to pay, or to reclaim when below zero (box 3 less box 4)"),
        QObject::tr("Total value of sales and all other outputs excluding any VAT"),
        QObject::tr("Total value of purchases and all other inputs excluding any VAT"),
        QObject::tr("Total value of dispatches of goods to EU Member States"),
        QObject::tr("Total value of acquisitions of goods from EU Member States"),
    };
    return names;
}

QString vatReturnStatement()
{
    return QStringLiteral(R"(
        SELECT side, taxed, earlier, sum(before_vat), sum(vat)
        FROM (SELECT c.income_expence AS side, c.vat_value <> 0 AS taxed,
                     j.date < ? AS earlier, c.net_cost - c.vat_value AS before_vat,
                     c.vat_value AS vat
              FROM jobs j
              JOIN Costs c ON c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id
              WHERE j.date >= ? AND j.date < ?) AS lines
        GROUP BY side, taxed, earlier)");
}

std::pair<QDate, QDate> lastQuarter(QDate today)
{
    const QDate thisQuarter(today.year(), (today.month() - 1) / 3 * 3 + 1, 1);
    return {thisQuarter.addMonths(-3), thisQuarter.addDays(-1)};
}

std::optional<VatReturn> runVatReturn(const QSqlDatabase& db, QDate from, QDate to, QString* error)
{
    Transaction transaction(db);
    if (!transaction.begun(error))
        return std::nullopt;
    const std::optional<VatRates> rates = readVatRates(db, error);
    std::vector<VatRateTotal> totals;
    if (!rates || !readTotals(db, from, to, *rates, &totals, error))
        return std::nullopt;
    VatReturn vat = boxes(std::move(totals));
    if (!writeReturn(db, vat, from, to, error) || !transaction.commit(error))
        return std::nullopt;
    return vat;
}

} // namespace velmora
