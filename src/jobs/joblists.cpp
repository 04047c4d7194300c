#include "joblists.h"

#include "data/dialect.h"
#include "data/rowreader.h"
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

// Runs `sql` and hands each row to `take`, reading straight from SQLite (these lists are
// read every time the job screen opens); nullopt with the reason in *error on a failure.
template <typename Entry, typename Take>
std::optional<QList<Entry>> readRows(const QSqlDatabase& db, const QString& sql, Take take,
                                     QString* error)
{
    RowReader query(db, sql);
    if (!query.run({}, error))
        return std::nullopt;
    QList<Entry> entries;
    QString stepError;
    while (query.next(&stepError))
        entries.append(take(query));
    if (!stepError.isEmpty()) {
        *error = stepError;
        return std::nullopt;
    }
    return entries;
}

std::optional<QList<JobListEntry>> readNamed(const QSqlDatabase& db, const QString& sql,
                                             QString* error)
{
    return readRows<JobListEntry>(
        db, sql,
        [](const RowReader& row) {
            return JobListEntry{row.integer(0), row.text(1)};
        },
        error);
}

} // namespace

std::optional<QList<JobDriver>> readDrivers(const QSqlDatabase& db, QString* error)
{
    return readRows<JobDriver>(
        db,
        QStringLiteral("select driver_id, driver_name, barred from drivers "
                       "order by driver_name, driver_id"),
        [](const RowReader& row) {
            return JobDriver{row.integer(0), row.text(1), row.integer(2) != 0};
        },
        error);
}

std::optional<QList<JobAccount>> readAccounts(const QSqlDatabase& db, QString* error)
{
    return readRows<JobAccount>(
        db,
        QStringLiteral("select account_id, account_name, contact_name, nickname "
                       "from accounts order by %1, account_id")
            .arg(caseBlindOrder(engineOf(db), QStringLiteral("account_name"))),
        [](const RowReader& row) {
            JobAccount account{row.integer(0), row.text(1), row.text(2), std::nullopt};
            if (!row.isNull(3))
                account.nickname = row.text(3);
            return account;
        },
        error);
}

std::optional<QList<JobListEntry>> readPaymentTypes(const QSqlDatabase& db, QString* error)
{
    return readNamed(db,
                     QStringLiteral("select paymenttypeid, paymentdescription from payment_types "
                                    "order by paymentdescription, paymenttypeid"),
                     error);
}

std::optional<QList<JobListEntry>> readVehicleTypes(const QSqlDatabase& db, QString* error)
{
    return readNamed(db,
                     QStringLiteral("select vehicletypeid, vehicledescription from vehicle_types "
                                    "order by vehicledescription, vehicletypeid"),
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
