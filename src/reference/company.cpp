#include "company.h"

#include "data/sql.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace velmora {

namespace {

QStringList columnNames()
{
    QStringList names;
    for (const auto& [column, member] : kCompanyColumns)
        names.append(QString::fromLatin1(column));
    return names;
}

// The stored row when there is one: the first row of the table.
const char* const kFirstRow = "rowid = (select min(rowid) from company)";

} // namespace

std::optional<CompanyDetails> loadCompany(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    const QString sql =
        QStringLiteral("select %1 from company where %2")
            .arg(columnNames().join(QStringLiteral(", ")), QLatin1String(kFirstRow));
    if (!run(query, sql, {}, error) || !query.next())
        return std::nullopt;
    CompanyDetails details;
    int at = 0;
    for (const auto& [column, member] : kCompanyColumns)
        details.*member = query.value(at++).toString();
    return details;
}

bool saveCompany(const QSqlDatabase& db, const CompanyDetails& details, QString* error)
{
    QVariantList values;
    for (const auto& [column, member] : kCompanyColumns) {
        const QString& text = details.*member;
        values.append(text.isNull() ? QStringLiteral("") : text);
    }
    const QStringList columns = columnNames();
    Transaction transaction(db);
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("update company set %1 = ? where %2")
                 .arg(columns.join(QStringLiteral(" = ?, ")), QLatin1String(kFirstRow)),
             values, error))
        return false;
    if (query.numRowsAffected() == 0) {
        QStringList marks;
        marks.fill(QStringLiteral("?"), columns.size());
        values.prepend(1);
        if (!run(query,
                 QStringLiteral("insert into company (company_id, %1) values (?, %2)")
                     .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                 values, error))
            return false;
    }
    return transaction.commit(error);
}

} // namespace velmora
