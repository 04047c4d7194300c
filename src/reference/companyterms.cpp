#include "companyterms.h"

#include "data/columnwidths.h"
#include "data/sql.h"

#include <QObject>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace velmora {

namespace {

const char* const kFirstRow = "rowid = (select min(rowid) from company)";

const QStringList& termColumns()
{
    static const QStringList columns = {
        QStringLiteral("payment_terms"),       QStringLiteral("bank_name"),
        QStringLiteral("bank_account_name"),   QStringLiteral("bank_sort_code"),
        QStringLiteral("bank_account_number"), QStringLiteral("invoice_footer")};
    return columns;
}

// The digits of `text` when it holds exactly `count` of them and otherwise only blanks
// and dashes; an empty text for an empty one; nullopt otherwise.
std::optional<QString> digits(const QString& text, int count)
{
    QString kept = text;
    kept.remove(QRegularExpression(QStringLiteral("[\\s-]")));
    if (kept.isEmpty())
        return QString();
    static const QRegularExpression onlyDigits(QStringLiteral("^[0-9]+$"));
    if (kept.size() != count || !onlyDigits.match(kept).hasMatch())
        return std::nullopt;
    return kept;
}

} // namespace

std::optional<CompanyTerms> parseCompanyTerms(const QString& days, const QString& bankName,
                                              const QString& accountName, const QString& sortCode,
                                              const QString& accountNumber, const QString& footer,
                                              QString* error)
{
    CompanyTerms terms;
    bool isNumber = false;
    terms.paymentDays = days.trimmed().toInt(&isNumber);
    if (!isNumber || terms.paymentDays < 0 || terms.paymentDays > kMostPaymentDays) {
        *error = QObject::tr("The payment terms must be a whole number of days from 0 to %1")
                     .arg(kMostPaymentDays);
        return std::nullopt;
    }
    const std::optional<QString> code = digits(sortCode, 6);
    if (!code) {
        *error = QObject::tr("The sort code must be six digits, e.g. 12-34-56");
        return std::nullopt;
    }
    const std::optional<QString> number = digits(accountNumber, 8);
    if (!number) {
        *error = QObject::tr("The bank account number must be eight digits");
        return std::nullopt;
    }
    terms.sortCode =
        code->isEmpty()
            ? QString()
            : QStringLiteral("%1-%2-%3").arg(code->mid(0, 2), code->mid(2, 2), code->mid(4, 2));
    terms.accountNumber = *number;
    terms.bankName = bankName.trimmed();
    terms.accountName = accountName.trimmed();
    terms.footer = footer.trimmed();
    return terms;
}

std::optional<CompanyTerms> loadCompanyTerms(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select %1 from company where %2")
                 .arg(termColumns().join(QStringLiteral(", ")), QLatin1String(kFirstRow)),
             {}, error))
        return std::nullopt;
    CompanyTerms terms;
    if (query.next()) {
        terms.paymentDays = query.value(0).toInt();
        terms.bankName = query.value(1).toString();
        terms.accountName = query.value(2).toString();
        terms.sortCode = query.value(3).toString();
        terms.accountNumber = query.value(4).toString();
        terms.footer = query.value(5).toString();
    }
    return terms;
}

bool saveCompanyTerms(const QSqlDatabase& db, const CompanyTerms& terms, QString* error)
{
    const QVariantList values = {terms.paymentDays, terms.bankName,      terms.accountName,
                                 terms.sortCode,    terms.accountNumber, terms.footer};
    if (!fitsColumns(u"company", termColumns(), values, error))
        return false;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("update company set %1 where %2")
                 .arg(assignments(termColumns()), QLatin1String(kFirstRow)),
             values, error))
        return false;
    if (query.numRowsAffected() == 1)
        return true;
    *error = QObject::tr("The company's details must be saved before its invoice terms.");
    return false;
}

} // namespace velmora
