#include "company.h"

#include "data/columnwidths.h"
#include "data/fault.h"
#include "data/sql.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace velmora {

namespace {

// The stored row when there is one: the first row of the table.
const char* const kFirstRow = "rowid = (select min(rowid) from company)";

} // namespace

std::optional<CompanyDetails> loadCompany(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    const QString sql =
        QStringLiteral("select %1 from company where %2")
            .arg(columnNames(kCompanyColumns).join(QStringLiteral(", ")), QLatin1String(kFirstRow));
    if (!run(query, sql, {}, error) || !query.next())
        return std::nullopt;
    CompanyDetails details;
    int at = 0;
    for (const auto& [column, member] : kCompanyColumns)
        details.*member = query.value(at++).toString();
    return details;
}

bool saveCompany(const QSqlDatabase& db, const CompanyDetails& details, const VatRates& rates,
                 const CompanyTerms& terms, QString* error,
                 const std::function<bool(QString*)>& alsoWrite)
{
    QVariantList values;
    for (const auto& [column, member] : kCompanyColumns) {
        const QString& text = details.*member;
        values.append(text.isNull() ? QStringLiteral("") : text);
    }
    const QStringList columns = columnNames(kCompanyColumns);
    if (!fitsColumns(u"company", columns, values, error))
        return false;
    Transaction transaction(db);
    if (!transaction.begun(error))
        return false;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("update company set %1 where %2")
                 .arg(assignments(columns), QLatin1String(kFirstRow)),
             values, error))
        return false;
    if (query.numRowsAffected() == 0) {
        values.prepend(1);
        if (!run(query,
                 QStringLiteral("insert into company (company_id, %1) values (?, %2)")
                     .arg(columns.join(QStringLiteral(", ")), placeholders(columns.size())),
                 values, error))
            return false;
    }
    return saveVatRates(db, rates, error) && saveCompanyTerms(db, terms, error) &&
           (!alsoWrite || alsoWrite(error)) && transaction.commit(error);
}

} // namespace velmora
