#include "baseline.h"
#include "cases.h"
#include "data/dates.h"
#include "invoicing/frmjobs_in_range.h"
#include "invoicing/frmnoncosted.h"
#include "invoicing/frmnot_invoiced.h"
#include "invoicing/worklists.h"
#include "platform/lazyrows.h"
#include "screens.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QObject>
#include <QSqlQuery>

#include <memory>

namespace velmora::bench {

namespace {

using GridRows = QList<QStringList>;

// The first batch of a list through our code, as its model reads it.
bool firstRows(std::unique_ptr<RowSource> source, const QString& error, GridRows* rows,
               QString* reason)
{
    if (!source) {
        *reason = error;
        return false;
    }
    return source->read(LazyTableModel::kBatch, rows, reason);
}

// The baseline of the jobs not invoiced: the same statement, its first batch of rows.
bool notInvoicedDirectly(sqlite3_stmt* statement, GridRows* rows, QString* error)
{
    int result = SQLITE_ROW;
    while (rows->size() < LazyTableModel::kBatch &&
           (result = sqlite3_step(statement)) == SQLITE_ROW)
        rows->append({QString::number(rows->size() + 1), text(statement, 0), text(statement, 1),
                      QString::number(sqlite3_column_int64(statement, 2))});
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

bool withoutCostsDirectly(sqlite3_stmt* statement, GridRows* rows, QString* error)
{
    int result = SQLITE_ROW;
    while (rows->size() < LazyTableModel::kBatch &&
           (result = sqlite3_step(statement)) == SQLITE_ROW) {
        const QString prefix = text(statement, 0);
        const QString number = QString::number(sqlite3_column_int64(statement, 1));
        rows->append({QString(), prefix + number, ukDate(dateFromStored(text(statement, 2))),
                      text(statement, 3), text(statement, 4).left(5), text(statement, 5),
                      text(statement, 6), text(statement, 7), prefix, number});
    }
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

// Sets up a list case: `ours` reads the first batch through our code, `direct` through
// the C API from `sql`; both must read the same rows.
std::optional<Timed> setUpList(Fixture& fixture, const QString& sql,
                               std::function<bool(GridRows*, QString*)> ours,
                               bool (*direct)(sqlite3_stmt*, GridRows*, QString*), QString* error)
{
    const Statement statement = prepare(fixture.handle, sql.toUtf8().constData(), error);
    if (!statement)
        return std::nullopt;
    GridRows mine, baseline;
    if (!ours(&mine, error) || !direct(statement.get(), &baseline, error))
        return std::nullopt;
    if (baseline.isEmpty() || mine != baseline) {
        *error = QObject::tr("The list and the baseline read different rows (%1 and %2).")
                     .arg(mine.size())
                     .arg(baseline.size());
        return std::nullopt;
    }
    Timed timed;
    timed.ours = [ours](QString* reason) {
        GridRows rows;
        return ours(&rows, reason);
    };
    timed.baseline = [statement, direct](QString* reason) {
        GridRows rows;
        return direct(statement.get(), &rows, reason);
    };
    return timed;
}

} // namespace

std::optional<Timed> setUpJobsNotInvoiced(Fixture& fixture, QString* error)
{
    const QSqlDatabase db = fixture.db;
    auto timed = setUpList(
        fixture, jobsNotInvoicedSql(),
        [db](GridRows* rows, QString* reason) {
            QString failure;
            return firstRows(jobsNotInvoiced(db, &failure), failure, rows, reason);
        },
        notInvoicedDirectly, error);
    if (!timed)
        return std::nullopt;
    // The screen opened from the menu, its list filled and painted.
    timed->whole = [&fixture](QString* reason) {
        frmnot_invoiced screen(fixture.db, fixture.dialogs);
        screen.show();
        QCoreApplication::processEvents();
        return noBoxShown(fixture.dialogs, reason);
    };
    return timed;
}

std::optional<Timed> setUpJobsWithoutCosts(Fixture& fixture, QString* error)
{
    const QSqlDatabase db = fixture.db;
    auto timed = setUpList(
        fixture, jobsWithoutCostsSql(),
        [db](GridRows* rows, QString* reason) {
            QString failure;
            return firstRows(jobsWithoutCosts(db, &failure), failure, rows, reason);
        },
        withoutCostsDirectly, error);
    if (!timed)
        return std::nullopt;
    auto screen = std::make_shared<frmnoncosted>(fixture.db, fixture.dialogs);
    screen->show();
    QCoreApplication::processEvents();
    timed->whole = [screen, &fixture](QString* reason) {
        screen->refresh();
        QCoreApplication::processEvents();
        return noBoxShown(fixture.dialogs, reason);
    };
    return timed;
}

std::optional<Timed> setUpJobCount(Fixture& fixture, QString* error)
{
    // The year up to the last day booked.
    QSqlQuery last(fixture.db);
    if (!last.exec(QStringLiteral("select max(date) from jobs")) || !last.next()) {
        *error = QObject::tr("The firm has no jobs.");
        return std::nullopt;
    }
    const QDate to = dateFromStored(last.value(0).toString());
    const QDate from = to.addYears(-1).addDays(1);
    const Statement statement = prepare(fixture.handle, jobCountSql().toUtf8().constData(), error);
    if (!statement)
        return std::nullopt;
    const auto count = [statement, from, to](qint64* jobs, QString* reason) {
        const QString first = storedDate(from);
        const QString after = storedDate(to.addDays(1));
        bind(statement.get(), 1, first);
        bind(statement.get(), 2, after);
        const int result = sqlite3_step(statement.get());
        *jobs = result == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0) : -1;
        return finish(statement.get(), result == SQLITE_ROW ? SQLITE_DONE : result, reason);
    };
    qint64 direct = 0;
    const auto ours = countJobs(fixture.db, from, to, error);
    if (!ours || !count(&direct, error))
        return std::nullopt;
    if (*ours != direct || direct <= 0) {
        *error =
            QObject::tr("The count and the baseline differ (%1 and %2).").arg(*ours).arg(direct);
        return std::nullopt;
    }

    auto screen = std::make_shared<frmjobs_in_range>(fixture.db, fixture.dialogs);
    screen->show();
    screen->findChild<QLineEdit*>(QStringLiteral("txtstart_date"))->setText(ukDate(from));
    screen->findChild<QLineEdit*>(QStringLiteral("txtend_date"))->setText(ukDate(to));
    QCoreApplication::processEvents();
    Timed timed;
    timed.ours = [db = fixture.db, from, to](QString* reason) {
        return countJobs(db, from, to, reason).has_value();
    };
    timed.baseline = [count](QString* reason) {
        qint64 jobs = 0;
        return count(&jobs, reason);
    };
    timed.whole = [screen, &fixture](QString* reason) {
        screen->findChild<QAction*>(QStringLiteral("mnuselect"))->trigger();
        QCoreApplication::processEvents();
        return noBoxShown(fixture.dialogs, reason);
    };
    return timed;
}

} // namespace velmora::bench
