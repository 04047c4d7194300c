#include "firmgenerator.h"

#include "data/audit.h"
#include "data/sql.h"
#include "data/sqlitestatement.h"
#include "firmbilling.h"
#include "firmjobs.h"
#include "firmpayments.h"
#include "firmpayroll.h"
#include "firmprofiles.h"
#include "firmreferences.h"
#include "firmwriter.h"

#include <QObject>

#include <string>
#include <vector>

namespace velmora::firm {

namespace {

struct Index
{
    std::string name;
    std::string definition;
};

// The explicit indexes of the schema as the file holds them, so that they can be built
// again exactly as the schema made them.
bool readIndexes(sqlite3* db, std::vector<Index>* indexes, QString* error)
{
    SqliteStatement list(db, "select name, sql from sqlite_master "
                             "where type = 'index' and sql is not null order by name");
    if (!list.isValid()) {
        *error = list.error();
        return false;
    }
    while (list.next())
        indexes->push_back({std::string(list.text(0)), std::string(list.text(1))});
    *error = list.error();
    return error->isEmpty();
}

bool dropIndexes(sqlite3* db, const std::vector<Index>& indexes, QString* error)
{
    for (const Index& index : indexes) {
        const std::string drop = "drop index \"" + index.name + "\"";
        if (!executeRaw(db, drop.c_str(), error))
            return false;
    }
    return true;
}

bool buildIndexes(sqlite3* db, const std::vector<Index>& indexes, const FirmProgress& progress,
                  QString* error)
{
    const auto total = static_cast<std::int64_t>(indexes.size());
    for (std::int64_t built = 0; built < total; ++built) {
        if (!executeRaw(db, indexes[static_cast<std::size_t>(built)].definition.c_str(), error))
            return false;
        if (progress)
            progress("indexes", built + 1, total);
    }
    return true;
}

bool isEmpty(sqlite3* db, QString* error)
{
    SqliteStatement count(db, "select (select count(*) from jobs) + (select count(*) from Costs) "
                              "+ (select count(*) from accounts) + (select count(*) from drivers) "
                              "+ (select count(*) from addresses) + (select count(*) from company) "
                              "+ (select count(*) from vehicles) "
                              "+ (select count(*) from vehicle_types) "
                              "+ (select count(*) from payment_types) "
                              "+ (select count(*) from receipt_types) "
                              "+ (select count(*) from address_types)");
    if (!count.next()) {
        *error = count.error();
        return false;
    }
    if (count.integer(0) != 0) {
        *error = QObject::tr("A firm is generated only into a new, empty database.");
        return false;
    }
    return true;
}

bool checkOptions(const FirmOptions& options, QString* error)
{
    if (options.accounts < 1 || options.drivers < 1 || options.jobs < 0) {
        *error = QObject::tr("A firm needs at least one account, one driver and a number of "
                             "jobs that is not negative.");
        return false;
    }
    if (!options.today.isValid()) {
        *error = QObject::tr("The firm's last working day is not a date.");
        return false;
    }
    return true;
}

bool fill(const QSqlDatabase& db, sqlite3* handle, const FirmOptions& options,
          const FirmProgress& progress, QString* error)
{
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = QObject::tr("The generation could not begin a transaction.");
        return false;
    }
    // The trail records what the firm's desk did, each change on its own day: the reference
    // data set up the morning of the first day, bookings, payments and costs as they came;
    // the runs record one summary entry each.
    const AuditTime at(db, QDateTime(firstFirmDay(options), QTime(7, 0)));
    std::vector<Index> indexes;
    if (!isEmpty(handle, error) || !readIndexes(handle, &indexes, error) ||
        !dropIndexes(handle, indexes, error))
        return false;
    if (!writeFirmReferences(handle, options, progress, error) ||
        !writeFirmJobs(handle, options, progress, error))
        return false;
    // The counter carries on after the numbers the jobs brought.
    SqliteStatement counter(handle, "update job_counter set last = ?");
    counter.bind(1, options.jobs);
    if (!counter.execute()) {
        *error = counter.error();
        return false;
    }
    if (!buildIndexes(handle, indexes, progress, error))
        return false;
    {
        // Holding back and releasing the jobs month by month is the generator's own work.
        const AuditPause pause(db);
        if (!billFirm(db, handle, options, progress, error))
            return false;
    }
    // Customers pay the invoices billed.
    if (!writeFirmPayroll(db, options, progress, error) ||
        !writeFirmPayments(handle, options, progress, error))
        return false;
    const AuditTime done(db, QDateTime(options.today, QTime(18, 0)));
    return writeRunEntry(db, QStringLiteral("generation"), QStringLiteral("firm"),
                         {{QStringLiteral("jobs"), qint64(options.jobs)}}, error) &&
           transaction.commit(error);
}

} // namespace

QString rarePassenger()
{
    return QString::fromLatin1(kRarePassenger.data(), kRarePassenger.size());
}

int firmGeneratorVersion() { return 3; }

bool generateFirm(const QSqlDatabase& db, const FirmOptions& options, const FirmProgress& progress,
                  QString* error)
{
    if (!checkOptions(options, error))
        return false;
    sqlite3* handle = sqliteHandle(db);
    if (!handle) {
        *error = QObject::tr("A firm can be generated only into an open SQLite database.");
        return false;
    }
    const bool done = fill(db, handle, options, progress, error);
    if (!done)
        *error = QObject::tr("The firm could not be generated: %1").arg(*error);
    return done;
}

} // namespace velmora::firm
