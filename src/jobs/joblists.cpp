#include "joblists.h"

#include "data/sql.h"

#include <QSqlQuery>

namespace velmora {

QString JobAccount::chooserText() const
{
    QString text = QStringLiteral("%1 : %2 ; %3").arg(id).arg(name, contact);
    if (nickname)
        text += QStringLiteral(" : ") + *nickname;
    return text;
}

QString JobAccount::shownText() const { return QStringLiteral("%1 : %2").arg(id).arg(name); }

namespace {

std::optional<QList<JobListEntry>> readNamed(const QSqlDatabase& db, const QString& sql,
                                             QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, sql, {}, error))
        return std::nullopt;
    QList<JobListEntry> entries;
    while (query.next())
        entries.append({query.value(0).toLongLong(), query.value(1).toString()});
    return entries;
}

} // namespace

std::optional<QList<JobDriver>> readDrivers(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("select driver_id, driver_name, barred from drivers "
                            "order by driver_name"),
             {}, error))
        return std::nullopt;
    QList<JobDriver> drivers;
    while (query.next())
        drivers.append(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toBool()});
    return drivers;
}

std::optional<QList<JobAccount>> readAccounts(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("select account_id, account_name, contact_name, nickname "
                            "from accounts order by account_name"),
             {}, error))
        return std::nullopt;
    QList<JobAccount> accounts;
    while (query.next()) {
        JobAccount account{query.value(0).toLongLong(), query.value(1).toString(),
                           query.value(2).toString(), std::nullopt};
        if (!query.isNull(3))
            account.nickname = query.value(3).toString();
        accounts.append(account);
    }
    return accounts;
}

std::optional<QList<JobListEntry>> readPaymentTypes(const QSqlDatabase& db, QString* error)
{
    return readNamed(db,
                     QStringLiteral("select paymenttypeid, paymentdescription from payment_types "
                                    "order by paymentdescription"),
                     error);
}

std::optional<QList<JobListEntry>> readVehicleTypes(const QSqlDatabase& db, QString* error)
{
    return readNamed(db,
                     QStringLiteral("select vehicletypeid, vehicledescription from vehicle_types "
                                    "order by vehicledescription"),
                     error);
}

std::optional<QList<JobListEntry>> readCostTypes(const QSqlDatabase& db, QString* error)
{
    return readNamed(
        db, QStringLiteral("select receipttypeid, paymenttype from receipt_types order by rowid"),
        error);
}

std::optional<bool> readVatRegistered(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select company_vat from company limit 1"), {}, error))
        return std::nullopt;
    return query.next() && !query.value(0).toString().isEmpty();
}

} // namespace velmora
