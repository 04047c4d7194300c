#include "baseline.h"
#include "cases.h"
#include "data/costline.h"
#include "data/dates.h"
#include "data/driverwage.h"
#include "payroll/driverpay.h"
#include "payroll/profitability.h"

#include <QObject>
#include <QSqlQuery>

#include <optional>
#include <string>
#include <vector>

namespace velmora::bench {

namespace {

// What a payment run or its baseline paid: to compare them.
struct Paid
{
    qint64 jobs = 0;
    qint64 income = 0;
    qint64 shares = 0;
};

struct PayStatements
{
    Statement candidates, updateWage, addWage, markCalculated, begin, rollback;
};

// The baseline of a payment run: the run's statements, prepared once, the same share,
// inside a transaction that is rolled back so that every run finds the same jobs.
bool payDirectly(const PayStatements& s, qint64 lastDriver, const std::string& lastDay, Paid* paid,
                 QString* error)
{
    if (!execute(s.begin.get(), error))
        return false;
    sqlite3_stmt* candidates = s.candidates.get();
    sqlite3_bind_int64(candidates, 1, 0);
    sqlite3_bind_int64(candidates, 2, lastDriver);
    sqlite3_bind_text(candidates, 3, lastDay.c_str(), static_cast<int>(lastDay.size()),
                      SQLITE_STATIC);
    const std::string stamp = storedStamp(QDateTime::currentDateTime()).toStdString();
    int result = SQLITE_ROW;
    bool ok = true;
    while (ok && (result = sqlite3_step(candidates)) == SQLITE_ROW) {
        if (sqlite3_column_type(candidates, 3) == SQLITE_NULL)
            continue;
        const unsigned char* prefix = sqlite3_column_text(candidates, 0);
        const int prefixBytes = sqlite3_column_bytes(candidates, 0);
        const qint64 number = sqlite3_column_int64(candidates, 1);
        if (sqlite3_column_type(candidates, 4) != SQLITE_NULL) {
            const Money income = Money::fromStored(sqlite3_column_int64(candidates, 4));
            const int percentage = sqlite3_column_int(candidates, 3);
            const Money share = driverShare(income, percentage);
            const qint64 driver = sqlite3_column_int64(candidates, 2);
            const auto bindKey = [&](sqlite3_stmt* statement, int first) {
                sqlite3_bind_int64(statement, first, driver);
                sqlite3_bind_text(statement, first + 1, reinterpret_cast<const char*>(prefix),
                                  prefixBytes, SQLITE_TRANSIENT);
                sqlite3_bind_int64(statement, first + 2, number);
            };
            sqlite3_stmt* update = s.updateWage.get();
            sqlite3_bind_int64(update, 1, income.stored());
            sqlite3_bind_int(update, 2, percentage);
            sqlite3_bind_int64(update, 3, share.stored());
            bindKey(update, 4);
            ok = execute(update, error);
            if (ok && sqlite3_changes(sqlite3_db_handle(update)) == 0) {
                sqlite3_stmt* add = s.addWage.get();
                bindKey(add, 1);
                sqlite3_bind_int64(add, 4, income.stored());
                sqlite3_bind_int(add, 5, percentage);
                sqlite3_bind_int64(add, 6, share.stored());
                bindKey(add, 7);
                ok = execute(add, error);
            }
            ++paid->jobs;
            paid->income += income.stored();
            paid->shares += share.stored();
        }
        sqlite3_bind_text(s.markCalculated.get(), 1, stamp.data(), int(stamp.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(s.markCalculated.get(), 2, reinterpret_cast<const char*>(prefix),
                          prefixBytes, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s.markCalculated.get(), 3, number);
        ok = ok && execute(s.markCalculated.get(), error);
    }
    if (ok)
        ok = finish(candidates, result, error);
    else
        sqlite3_reset(candidates);
    QString ignored;
    return execute(s.rollback.get(), ok ? error : &ignored) && ok;
}

// Our run, rolled back the same way.
bool payOurs(const QSqlDatabase& db, qint64 lastDriver, QDate lastDay, Paid* paid, QString* error)
{
    QSqlDatabase connection = db;
    if (!connection.transaction()) {
        *error = QObject::tr("No transaction could be begun.");
        return false;
    }
    const auto run = payDrivers(db, DriverRange{0, lastDriver, {}}, lastDay, error);
    connection.rollback();
    if (!run)
        return false;
    paid->jobs = run->jobsPaid;
    paid->income = run->total.stored();
    return true;
}

// The run's shares added up, read inside our rolled-back run, for the comparison.
bool sharesOfOurs(const QSqlDatabase& db, qint64 lastDriver, QDate lastDay, Paid* paid,
                  QString* error)
{
    QSqlDatabase connection = db;
    if (!connection.transaction())
        return false;
    const auto run = payDrivers(db, DriverRange{0, lastDriver, {}}, lastDay, error);
    QSqlQuery query(db);
    const bool read = run &&
                      query.exec(QStringLiteral("SELECT sum(driver_payment) FROM driver_wages "
                                                "WHERE Reported = 'N'")) &&
                      query.next();
    const qint64 before = read ? query.value(0).toLongLong() : 0;
    query.finish();
    connection.rollback();
    if (!read)
        return false;
    paid->jobs = run->jobsPaid;
    paid->income = run->total.stored();
    paid->shares = before;
    return true;
}

// Puts the file in the state the case measures: the completed percentage jobs picked up
// from `from` on not yet calculated and without wage rows, those before calculated.
bool leaveUnpaidFrom(const QSqlDatabase& db, QDate from, qint64* lastDriver, QString* error)
{
    QSqlQuery query(db);
    const QString stored = storedDate(from);
    if (!query.exec(QStringLiteral("SELECT coalesce(max(driver_id), 0) FROM drivers")) ||
        !query.next())
        return false;
    *lastDriver = query.value(0).toLongLong();
    query.finish();
    const bool ok =
        query.prepare(QStringLiteral("UPDATE jobs SET calculated = CASE WHEN date >= ? THEN 'N' "
                                     "ELSE 'Y' END WHERE record_status = 'C' "
                                     "AND driver_percentage = 'Y'")) &&
        (query.addBindValue(stored), query.exec()) &&
        query.prepare(QStringLiteral("DELETE FROM driver_wages WHERE EXISTS (SELECT 1 FROM jobs j "
                                     "WHERE j.job_prefix = driver_wages.job_prefix AND "
                                     "j.job_id = driver_wages.job_id AND j.calculated = 'N')")) &&
        query.exec() && query.exec(QStringLiteral("UPDATE driver_wages SET Reported = 'Y'"));
    if (!ok)
        *error = QObject::tr("The jobs could not be made ready to pay.");
    return ok;
}

std::optional<Timed> setUpDriverPay(Fixture& fixture, QDate from, QString* error)
{
    qint64 lastDriver = 0;
    if (!leaveUnpaidFrom(fixture.db, from, &lastDriver, error))
        return std::nullopt;
    const DriverPayStatements& sql = driverPayStatements();
    const DriverWageStatements& wages = driverWageStatements();
    sqlite3* db = fixture.handle;
    const PayStatements statements{prepare(db, sql.candidates.toUtf8().constData(), error),
                                   prepare(db, wages.update.toUtf8().constData(), error),
                                   prepare(db, wages.insert.toUtf8().constData(), error),
                                   prepare(db, sql.markCalculated.toUtf8().constData(), error),
                                   prepare(db, "begin", error),
                                   prepare(db, "rollback", error)};
    for (const Statement* each :
         {&statements.candidates, &statements.updateWage, &statements.addWage,
          &statements.markCalculated, &statements.begin, &statements.rollback}) {
        if (!*each)
            return std::nullopt;
    }
    const QDate today = QDate::currentDate();
    const std::string lastDay = storedDate(today).toStdString();
    Paid ours, baseline;
    if (!sharesOfOurs(fixture.db, lastDriver, today, &ours, error) ||
        !payDirectly(statements, lastDriver, lastDay, &baseline, error))
        return std::nullopt;
    // The baseline's shares are those of the same unreported rows.
    if (ours.jobs != baseline.jobs || ours.income != baseline.income ||
        ours.shares != baseline.shares || ours.jobs == 0) {
        *error = QObject::tr("Our run paid %1 jobs (%2, shares %3), the baseline %4 (%5, %6).")
                     .arg(ours.jobs)
                     .arg(ours.income)
                     .arg(ours.shares)
                     .arg(baseline.jobs)
                     .arg(baseline.income)
                     .arg(baseline.shares);
        return std::nullopt;
    }
    Timed timed;
    timed.ours = [db = fixture.db, lastDriver, today](QString* reason) {
        Paid paid;
        return payOurs(db, lastDriver, today, &paid, reason);
    };
    timed.baseline = [statements, lastDriver, lastDay](QString* reason) {
        Paid paid;
        return payDirectly(statements, lastDriver, lastDay, &paid, reason);
    };
    return timed;
}

struct ProfitRun
{
    Statement lines, operationalCosts, clear, addLine, begin, commit;
};

// The baseline of a profitability run: the run's statements, prepared once, the same
// lines written in one transaction. Returns the firm's profit in *profit.
bool profitDirectly(const ProfitRun& s, const std::string& from, const std::string& until,
                    const std::string& end, qint64* profit, QString* error)
{
    struct Line
    {
        std::string name;
        qint64 jobs, receipts, costs;
    };
    std::vector<Line> lines;
    std::optional<Line> others;
    sqlite3_stmt* read = s.lines.get();
    sqlite3_bind_text(read, 1, from.c_str(), static_cast<int>(from.size()), SQLITE_STATIC);
    sqlite3_bind_text(read, 2, until.c_str(), static_cast<int>(until.size()), SQLITE_STATIC);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(read)) == SQLITE_ROW) {
        Line line{reinterpret_cast<const char*>(sqlite3_column_text(read, 1)),
                  sqlite3_column_int64(read, 2), sqlite3_column_int64(read, 3),
                  sqlite3_column_int64(read, 4)};
        if (sqlite3_column_int64(read, 0) != 0)
            lines.push_back(std::move(line));
        else if (line.jobs > 0)
            others = Line{"Others", line.jobs, line.receipts, line.costs};
    }
    if (!finish(read, result, error))
        return false;
    if (others)
        lines.push_back(*others);
    sqlite3_stmt* operational = s.operationalCosts.get();
    sqlite3_bind_text(operational, 1, from.c_str(), static_cast<int>(from.size()), SQLITE_STATIC);
    sqlite3_bind_text(operational, 2, until.c_str(), static_cast<int>(until.size()), SQLITE_STATIC);
    result = sqlite3_step(operational);
    const qint64 costs = result == SQLITE_ROW ? sqlite3_column_int64(operational, 0) : 0;
    if (!finish(operational, result == SQLITE_ROW ? SQLITE_DONE : result, error))
        return false;
    if (costs > 0)
        lines.push_back({"Less Operational Costs", 0, 0, -costs});
    if (!execute(s.begin.get(), error) || !execute(s.clear.get(), error))
        return false;
    *profit = 0;
    sqlite3_stmt* add = s.addLine.get();
    for (const Line& line : lines) {
        const qint64 lineProfit =
            line.name == "Less Operational Costs" ? line.costs : line.receipts - line.costs;
        sqlite3_bind_text(add, 1, line.name.c_str(), static_cast<int>(line.name.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(add, 2, from.c_str(), static_cast<int>(from.size()), SQLITE_STATIC);
        sqlite3_bind_text(add, 3, end.c_str(), static_cast<int>(end.size()), SQLITE_STATIC);
        sqlite3_bind_int64(add, 4, line.jobs);
        sqlite3_bind_int64(add, 5, line.receipts);
        sqlite3_bind_int64(add, 6, line.costs);
        sqlite3_bind_int64(add, 7, lineProfit);
        if (!execute(add, error)) {
            sqlite3_exec(sqlite3_db_handle(add), "rollback", nullptr, nullptr, nullptr);
            return false;
        }
        *profit += lineProfit;
    }
    return execute(s.commit.get(), error);
}

bool profitOurs(const QSqlDatabase& db, QDate from, QDate to, qint64* profit, QString* error)
{
    const auto lines = runProfitability(db, from, to, error);
    if (!lines)
        return false;
    Money total;
    for (const ProfitLine& line : *lines)
        total += line.profit;
    *profit = total.stored();
    return true;
}

std::optional<Timed> setUpProfit(Fixture& fixture, QDate from, QString* error)
{
    const QDate to = QDate::currentDate();
    const ProfitStatements& sql = profitStatements();
    sqlite3* db = fixture.handle;
    const ProfitRun statements{prepare(db, sql.lines.toUtf8().constData(), error),
                               prepare(db, sql.operationalCosts.toUtf8().constData(), error),
                               prepare(db, sql.clear.toUtf8().constData(), error),
                               prepare(db, sql.addLine.toUtf8().constData(), error),
                               prepare(db, "begin", error),
                               prepare(db, "commit", error)};
    for (const Statement* each :
         {&statements.lines, &statements.operationalCosts, &statements.clear, &statements.addLine,
          &statements.begin, &statements.commit}) {
        if (!*each)
            return std::nullopt;
    }
    const std::string start = storedDate(from).toStdString();
    const std::string until = storedDate(to.addDays(1)).toStdString();
    const std::string end = storedDate(to).toStdString();
    qint64 ours = 0, baseline = 0;
    if (!profitOurs(fixture.db, from, to, &ours, error) ||
        !profitDirectly(statements, start, until, end, &baseline, error))
        return std::nullopt;
    if (ours != baseline) {
        *error = QObject::tr("Our run's profit is %1, the baseline's %2.").arg(ours).arg(baseline);
        return std::nullopt;
    }
    Timed timed;
    timed.ours = [db = fixture.db, from, to](QString* reason) {
        qint64 profit = 0;
        return profitOurs(db, from, to, &profit, reason);
    };
    timed.baseline = [statements, start, until, end](QString* reason) {
        qint64 profit = 0;
        return profitDirectly(statements, start, until, end, &profit, reason);
    };
    return timed;
}

} // namespace

std::optional<Timed> setUpDriverPayMonth(Fixture& fixture, QString* error)
{
    return setUpDriverPay(fixture, QDate::currentDate().addMonths(-1), error);
}

std::optional<Timed> setUpDriverPayYear(Fixture& fixture, QString* error)
{
    return setUpDriverPay(fixture, QDate::currentDate().addYears(-1), error);
}

std::optional<Timed> setUpProfitYear(Fixture& fixture, QString* error)
{
    return setUpProfit(fixture, QDate::currentDate().addYears(-1), error);
}

std::optional<Timed> setUpProfitTenYears(Fixture& fixture, QString* error)
{
    return setUpProfit(fixture, QDate::currentDate().addYears(-10), error);
}

} // namespace velmora::bench
