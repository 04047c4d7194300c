#include "baseline.h"
#include "cases.h"
#include "data/dates.h"
#include "jobs/costlinestore.h"
#include "jobs/frmjob_management.h"
#include "jobs/jobrecord.h"
#include "screens.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QObject>
#include <QSqlQuery>

#include <algorithm>
#include <memory>

namespace velmora::bench {

namespace {

// A job with three receipt and three payment lines, as it is shown.
struct ShownJob
{
    std::optional<LoadedJob> job;
    QList<StoredCostLine> receipts;
    QList<StoredCostLine> payments;
};

bool loadOurs(const QSqlDatabase& db, const JobKey& key, ShownJob* shown, QString* error)
{
    if (!loadJob(db, key, &shown->job, error))
        return false;
    auto receipts = loadCostLines(db, key, CostSide::Receipt, error);
    auto payments = receipts ? loadCostLines(db, key, CostSide::Payment, error) : std::nullopt;
    if (!payments)
        return false;
    shown->receipts = std::move(*receipts);
    shown->payments = std::move(*payments);
    return true;
}

// The baseline's statements, prepared once.
struct Statements
{
    Statement job;
    Statement lines;
};

bool readJob(sqlite3_stmt* statement, const JobKey& key, std::optional<LoadedJob>* job,
             QString* error)
{
    bind(statement, 1, key.prefix);
    sqlite3_bind_int64(statement, 2, key.number);
    const int result = sqlite3_step(statement);
    job->reset();
    if (result == SQLITE_ROW)
        *job = LoadedJob{{text(statement, 0), sqlite3_column_int64(statement, 1)},
                         dateFromStored(text(statement, 2)),
                         text(statement, 3),
                         text(statement, 4),
                         optionalText(statement, 5),
                         optionalText(statement, 6),
                         optionalText(statement, 7),
                         optionalText(statement, 8),
                         optionalText(statement, 9),
                         optionalText(statement, 10),
                         optionalText(statement, 11),
                         optionalText(statement, 12),
                         optionalText(statement, 13),
                         sqlite3_column_int64(statement, 14),
                         sqlite3_column_int64(statement, 15),
                         sqlite3_column_type(statement, 16) == SQLITE_NULL
                             ? std::nullopt
                             : std::optional<qint64>(sqlite3_column_int64(statement, 16))};
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

bool readLines(sqlite3_stmt* statement, const JobKey& key, const QString& side,
               QList<StoredCostLine>* lines, QString* error)
{
    bind(statement, 1, side);
    bind(statement, 2, key.prefix);
    sqlite3_bind_int64(statement, 3, key.number);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        lines->append({text(statement, 0), text(statement, 1), sqlite3_column_int(statement, 2),
                       Money::fromStored(sqlite3_column_int64(statement, 3)),
                       Money::fromStored(sqlite3_column_int64(statement, 4)),
                       Money::fromStored(sqlite3_column_int64(statement, 5)),
                       Money::fromStored(sqlite3_column_int64(statement, 6)),
                       optionalText(statement, 7)});
    return finish(statement, result, error);
}

bool loadDirectly(const Statements& statements, const JobKey& key, ShownJob* shown, QString* error)
{
    static const QString receipt = QStringLiteral("I");
    static const QString payment = QStringLiteral("E");
    return readJob(statements.job.get(), key, &shown->job, error) &&
           readLines(statements.lines.get(), key, receipt, &shown->receipts, error) &&
           readLines(statements.lines.get(), key, payment, &shown->payments, error);
}

bool sameJob(const LoadedJob& a, const LoadedJob& b)
{
    return a.key.prefix == b.key.prefix && a.key.number == b.key.number && a.date == b.date &&
           a.time == b.time && a.passenger == b.passenger && a.from == b.from && a.to == b.to &&
           a.instructions == b.instructions && a.driver == b.driver &&
           a.paymentType == b.paymentType && a.vehicleType == b.vehicleType &&
           a.accountName == b.accountName && a.accountReference == b.accountReference &&
           a.costCode == b.costCode && a.accountId == b.accountId && a.account == b.account;
}

bool sameLines(const QList<StoredCostLine>& ours, const QList<StoredCostLine>& baseline)
{
    return std::equal(ours.begin(), ours.end(), baseline.begin(), baseline.end(),
                      [](const StoredCostLine& a, const StoredCostLine& b) {
                          return a.type == b.type && a.description == b.description &&
                                 a.discountPercent == b.discountPercent && a.gross == b.gross &&
                                 a.discount == b.discount && a.vatValue == b.vatValue &&
                                 a.net == b.net && a.vat == b.vat;
                      });
}

// A job with three receipt lines and three payment lines.
std::optional<JobKey> jobWithSixLines(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("select job_prefix, jobnumber from Costs group by 1, 2 "
                           "having sum(case when income_expence = 'I' then 1 else 0 end) = 3 "
                           "and sum(case when income_expence = 'E' then 1 else 0 end) = 3 "
                           "order by 1, 2 limit 1")) ||
        !query.next()) {
        *error = QObject::tr("The firm has no job with three receipt and three payment lines.");
        return std::nullopt;
    }
    return JobKey{query.value(0).toString(), query.value(1).toLongLong()};
}

} // namespace

std::optional<Timed> setUpLoadJob(Fixture& fixture, QString* error)
{
    const std::optional<JobKey> key = jobWithSixLines(fixture.db, error);
    if (!key)
        return std::nullopt;
    const Statements statements{
        prepare(fixture.handle, loadJobStatement().toUtf8().constData(), error),
        prepare(fixture.handle, costLinesStatement().toUtf8().constData(), error)};
    if (!statements.job || !statements.lines)
        return std::nullopt;

    ShownJob ours;
    ShownJob baseline;
    if (!loadOurs(fixture.db, *key, &ours, error) ||
        !loadDirectly(statements, *key, &baseline, error))
        return std::nullopt;
    if (!ours.job || !baseline.job || !sameJob(*ours.job, *baseline.job) ||
        !sameLines(ours.receipts, baseline.receipts) ||
        !sameLines(ours.payments, baseline.payments) || ours.receipts.size() != 3 ||
        ours.payments.size() != 3) {
        *error = QObject::tr("The job screen and the baseline read job %1%2 differently.")
                     .arg(key->prefix)
                     .arg(key->number);
        return std::nullopt;
    }

    Timed timed;
    timed.ours = [db = fixture.db, key = *key](QString* reason) {
        ShownJob shown;
        return loadOurs(db, key, &shown, reason);
    };
    timed.baseline = [statements, key = *key, rows = std::make_shared<RawRows>()](QString* reason) {
        static const QString receipt = QStringLiteral("I");
        static const QString payment = QStringLiteral("E");
        sqlite3_stmt* job = statements.job.get();
        sqlite3_stmt* lines = statements.lines.get();
        bind(job, 1, key.prefix);
        sqlite3_bind_int64(job, 2, key.number);
        if (!rows->read(job, 1, reason))
            return false;
        for (const QString* side : {&receipt, &payment}) {
            bind(lines, 1, *side);
            bind(lines, 2, key.prefix);
            sqlite3_bind_int64(lines, 3, key.number);
            if (!rows->read(lines, -1, reason))
                return false;
        }
        return true;
    };
    // The job screen opened on the job as the board's "Maintain Job Details" opens it.
    timed.whole = [db = fixture.db, &dialogs = fixture.dialogs, key = *key](QString* reason) {
        frmjob_management screen(db, dialogs);
        screen.presetJob(key);
        screen.show();
        QCoreApplication::processEvents();
        if (!noBoxShown(dialogs, reason))
            return false;
        if (screen.findChild<QLineEdit*>(QStringLiteral("txtcustomer"))->text().isEmpty()) {
            *reason = QObject::tr("The job screen did not show the job.");
            return false;
        }
        return true;
    };
    return timed;
}

} // namespace velmora::bench
