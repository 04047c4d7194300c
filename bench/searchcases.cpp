#include "baseline.h"
#include "cases.h"
#include "data/dates.h"
#include "firm/firmgenerator.h"
#include "jobs/frmjob_management.h"
#include "jobs/jobsearch.h"
#include "jobs/searchmodel.h"
#include "screens.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <memory>
#include <utility>

namespace velmora::bench {

namespace {

// The search's statement, prepared once, its values bound and its first batch of rows
// read into the same rows as the list's: the check that both sides read the same rows.
void bindAll(sqlite3_stmt* statement, const QStringList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        bind(statement, static_cast<int>(i + 1), values.at(i));
}

bool searchDirectly(sqlite3_stmt* statement, const QStringList& values, QList<FoundJob>* jobs,
                    QString* error)
{
    bindAll(statement, values);
    int result = SQLITE_ROW;
    while (jobs->size() < FoundJobsModel::kBatch &&
           (result = sqlite3_step(statement)) == SQLITE_ROW)
        jobs->append({{text(statement, 0), sqlite3_column_int64(statement, 1)},
                      text(statement, 2),
                      dateFromStored(text(statement, 3)),
                      text(statement, 4),
                      text(statement, 5),
                      text(statement, 6),
                      text(statement, 7)});
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

// Ours: the statement built from the criteria and its first batch read into the result
// list's model.
bool searchOurs(FoundJobsModel& model, const SearchCriteria& criteria, Engine engine,
                QString* error)
{
    const auto statement = searchStatement(criteria, engine);
    if (!statement) {
        *error = QObject::tr("The pick-up date is not a date.");
        return false;
    }
    return model.search(*statement, error);
}

bool sameJob(const FoundJob& a, const FoundJob& b)
{
    return a.key.prefix == b.key.prefix && a.key.number == b.key.number && a.time == b.time &&
           a.date == b.date && a.passenger == b.passenger && a.vehicleType == b.vehicleType &&
           a.pickup == b.pickup && a.drop == b.drop;
}

// The search asks for no order, so each engine gives its rows in its own: they are compared
// in the order of their keys.
bool sameRows(const FoundJobsModel& ours, QList<FoundJob> baseline)
{
    if (ours.rowCount() != baseline.size())
        return false;
    QList<FoundJob> found;
    for (int row = 0; row < ours.rowCount(); ++row)
        found.append(ours.job(row));
    const auto byKey = [](const FoundJob& a, const FoundJob& b) {
        return std::pair(a.key.prefix, a.key.number) < std::pair(b.key.prefix, b.key.number);
    };
    std::sort(found.begin(), found.end(), byKey);
    std::sort(baseline.begin(), baseline.end(), byKey);
    return std::equal(found.begin(), found.end(), baseline.begin(), baseline.end(), sameJob);
}

// Where more jobs match than a batch, a server may give other ones first: each of ours must
// then be a job the search finds on the file, as the file holds it.
bool eachFoundOnFile(sqlite3* file, const QString& sql, const QStringList& values,
                     const FoundJobsModel& ours, QString* error)
{
    const Statement byKey =
        prepare(file,
                QStringLiteral("select * from (%1) found where job_prefix = ? and job_id = ?")
                    .arg(sql)
                    .toUtf8()
                    .constData(),
                error);
    if (!byKey)
        return false;
    for (int row = 0; row < ours.rowCount(); ++row) {
        const FoundJob job = ours.job(row);
        QList<FoundJob> onFile;
        sqlite3_reset(byKey.get());
        bind(byKey.get(), int(values.size() + 1), job.key.prefix);
        sqlite3_bind_int64(byKey.get(), int(values.size() + 2), job.key.number);
        if (!searchDirectly(byKey.get(), values, &onFile, error))
            return false;
        if (onFile.size() != 1 || !sameJob(job, onFile.first()))
            return false;
    }
    return true;
}

// The job screen with its search panel open, searching for `criteria` on each run.
class SearchScreen
{
public:
    SearchScreen(const QSqlDatabase& db, ScriptedDialogs& dialogs, SearchCriteria criteria)
        : m_screen(db, dialogs), m_dialogs(dialogs), m_criteria(std::move(criteria))
    {
        m_screen.show();
        QCoreApplication::processEvents();
        m_screen.findChild<QPushButton*>(QStringLiteral("cmdsearch"))->click();
        QCoreApplication::processEvents();
    }

    bool search(QString* reason)
    {
        const std::pair<const char*, const QString*> fields[] = {
            {"txtscustomer", &m_criteria.customer}, {"txtsdate", &m_criteria.date},
            {"txtsdriver", &m_criteria.driver},     {"txtsaccount", &m_criteria.account},
            {"txtpuppoint", &m_criteria.pickup},    {"txtdpoint", &m_criteria.drop}};
        for (const auto& [name, value] : fields)
            m_screen.findChild<QLineEdit*>(QLatin1String(name))->setText(*value);
        m_screen.findChild<QPushButton*>(QStringLiteral("cmdsearchgo"))->click();
        QCoreApplication::processEvents();
        if (!noBoxShown(m_dialogs, reason))
            return false;
        const auto* list = m_screen.findChild<QAbstractItemView*>(QStringLiteral("List_search"));
        if (list->model()->rowCount() == 0) {
            *reason = QObject::tr("The search list shows no rows.");
            return false;
        }
        return true;
    }

private:
    frmjob_management m_screen;
    ScriptedDialogs& m_dialogs;
    SearchCriteria m_criteria;
};

std::optional<Timed> setUpSearch(Fixture& fixture, const SearchCriteria& criteria, QString* error)
{
    // The baseline reads the file.
    const auto statement = searchStatement(criteria, Engine::SQLite);
    if (!statement) {
        *error = QObject::tr("The pick-up date is not a date.");
        return std::nullopt;
    }
    const Statement prepared = prepare(fixture.handle, statement->sql.toUtf8().constData(), error);
    if (!prepared)
        return std::nullopt;
    QStringList values;
    for (const QVariant& value : statement->values)
        values.append(value.toString());

    // Both sides must read the same rows, or the comparison means nothing.
    auto ours = std::make_shared<FoundJobsModel>(fixture.db);
    QList<FoundJob> baseline;
    const Engine engine = engineOf(fixture.db);
    if (!searchOurs(*ours, criteria, engine, error) ||
        !searchDirectly(prepared.get(), values, &baseline, error))
        return std::nullopt;
    const bool more = baseline.size() == FoundJobsModel::kBatch;
    if (baseline.isEmpty() || ours->rowCount() != baseline.size() ||
        !(sameRows(*ours, baseline) ||
          (engine == Engine::PostgreSQL && more &&
           eachFoundOnFile(fixture.handle, statement->sql, values, *ours, error)))) {
        *error = QObject::tr("The search and the baseline read different rows (%1 and %2).")
                     .arg(ours->rowCount())
                     .arg(baseline.size());
        return std::nullopt;
    }

    auto screen = std::make_shared<SearchScreen>(fixture.db, fixture.dialogs, criteria);
    Timed timed;
    // The model lets its statement go after each run, as the baseline resets its own, so
    // that the screen's list finds it free.
    timed.ours = [ours, criteria, engine](QString* reason) {
        const bool read = searchOurs(*ours, criteria, engine, reason);
        ours->clear();
        return read;
    };
    timed.baseline = [prepared, values, rows = std::make_shared<RawRows>()](QString* reason) {
        bindAll(prepared.get(), values);
        return rows->read(prepared.get(), FoundJobsModel::kBatch, reason);
    };
    timed.whole = [screen](QString* reason) { return screen->search(reason); };
    return timed;
}

// The text of the first column of the first row of `sql`; empty without a row.
QString firstText(const QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        *error = query.lastError().text();
        return {};
    }
    if (!query.next()) {
        *error = QObject::tr("The firm has nothing to search for (%1).").arg(sql);
        return {};
    }
    return query.value(0).toString();
}

} // namespace

std::optional<Timed> setUpSearchCustomer(Fixture& fixture, QString* error)
{
    return setUpSearch(fixture, {firm::rarePassenger(), {}, {}, {}, {}, {}}, error);
}

std::optional<Timed> setUpSearchPattern(Fixture& fixture, QString* error)
{
    // "Mrs Q*": the title and initial of the rare passenger, whom no one else shares.
    const QString pattern = firm::rarePassenger().section(QLatin1Char(' '), 0, 1);
    return setUpSearch(fixture, {pattern + QLatin1Char('*'), {}, {}, {}, {}, {}}, error);
}

std::optional<Timed> setUpSearchContains(Fixture& fixture, QString* error)
{
    // "*Zan*": a part of the rare passenger's surname, which the trigram index finds.
    const QString surname = firm::rarePassenger().section(QLatin1Char(' '), -1);
    return setUpSearch(fixture,
                       {QLatin1Char('*') + surname.left(3) + QLatin1Char('*'), {}, {}, {}, {}, {}},
                       error);
}

std::optional<Timed> setUpSearchDate(Fixture& fixture, QString* error)
{
    // A weekday a week before the last day booked, a full day's work at any size.
    const QString last = firstText(fixture.db, QStringLiteral("select max(date) from jobs"), error);
    if (last.isEmpty())
        return std::nullopt;
    QDate day = dateFromStored(last).addDays(-7);
    while (day.dayOfWeek() > 5)
        day = day.addDays(-1);
    return setUpSearch(fixture, {{}, ukDate(day), {}, {}, {}, {}}, error);
}

std::optional<Timed> setUpSearchDriver(Fixture& fixture, QString* error)
{
    // The initial most drivers' names share, as a pattern: "P*".
    const QString initial =
        firstText(fixture.db,
                  QStringLiteral("select substr(driver_name, 1, 1) from drivers "
                                 "group by 1 order by count(*) desc, 1 limit 1"),
                  error);
    if (initial.isEmpty())
        return std::nullopt;
    return setUpSearch(fixture, {{}, {}, initial + QLatin1Char('*'), {}, {}, {}}, error);
}

std::optional<Timed> setUpSearchAccount(Fixture& fixture, QString* error)
{
    // The busiest account's name, given with other criteria, which it overrides.
    const QString account =
        firstText(fixture.db,
                  QStringLiteral("select account_name from accounts where account_id = "
                                 "(select account_no from jobs where account_no > 0 "
                                 "group by account_no order by count(*) desc limit 1)"),
                  error);
    if (account.isEmpty())
        return std::nullopt;
    return setUpSearch(
        fixture, {QStringLiteral("Nobody"), {}, QStringLiteral("Nobody"), account, {}, {}}, error);
}

std::optional<Timed> setUpSearchAll(Fixture& fixture, QString* error)
{
    return setUpSearch(fixture, {}, error);
}

} // namespace velmora::bench
