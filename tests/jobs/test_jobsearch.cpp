#include "jobfixture.h"
#include "jobs/foundrows.h"
#include "jobs/jobsearch.h"

#include <QTest>

using velmora::FoundJob;
using velmora::SearchCriteria;
using velmora::SearchStatement;
using velmora::test::TestDatabase;

namespace {

QStringList passengers(const QList<FoundJob>& jobs)
{
    QStringList names;
    for (const FoundJob& job : jobs)
        names.append(job.passenger);
    return names;
}

// The jobs held in `rows`, in order.
QList<FoundJob> all(const velmora::FoundRows& rows)
{
    QList<FoundJob> jobs;
    for (qsizetype row = 0; row < rows.size(); ++row)
        jobs.append(rows.at(row));
    return jobs;
}

// Every job `statement` finds, read two at a time; nullopt with the reason in *error.
std::optional<QList<FoundJob>> findAll(TestDatabase& t, const SearchStatement& statement,
                                       QString* error)
{
    velmora::JobFinder finder(t.db());
    velmora::FoundRows rows;
    if (!finder.start(statement, error))
        return std::nullopt;
    while (!finder.atEnd()) {
        if (!finder.read(2, &rows, error))
            return std::nullopt;
    }
    return all(rows);
}

// The passengers found, in order.
QStringList found(TestDatabase& t, const SearchCriteria& criteria)
{
    const auto statement = velmora::searchStatement(criteria, velmora::Engine::SQLite);
    if (!statement)
        return {QStringLiteral("bad date")};
    QString error;
    const auto jobs = findAll(t, *statement, &error);
    if (!jobs)
        return {error};
    return passengers(*jobs);
}

} // namespace

class TestJobSearch : public QObject
{
    Q_OBJECT

private:
    void addJobs(TestDatabase& t, JobFixture& f)
    {
        const QDate day(2026, 3, 2);
        const int smith = t.addJob("A", day, "09:00:00", "Smith", "I", f.saloon, f.driver);
        const int smyth =
            t.addJob("A", day.addDays(1), "10:00:00", "Smyth", "C", f.estate, f.barred);
        t.addJob("B", day, "11:00:00", "Smithers", "I", f.saloon, f.driver);
        const int obrien = t.addJob("A", day, "12:00:00", "Mr O'Brien", "I", f.saloon, f.driver);
        t.addJob("A", day, "13:00:00", "100% Sure", "I", f.saloon, f.driver);
        t.exec(QStringLiteral("update jobs set account_no = ? where job_id in (?, ?)"),
               {f.obrien, smith, obrien});
        t.exec(QStringLiteral(
                   "update jobs set account_no = ?, address_from = 'Quay 1' where job_id = ?"),
               {f.acme, smyth});
    }

private Q_SLOTS:
    void patternsAndExactText()
    {
        TestDatabase t;
        JobFixture f(t);
        addJobs(t, f);
        QCOMPARE(found(t, {"Sm*th", "", "", "", "", ""}), (QStringList{"Smith", "Smyth"}));
        QCOMPARE(found(t, {"Smith", "", "", "", "", ""}), QStringList{"Smith"});
        QCOMPARE(found(t, {"smith", "", "", "", "", ""}), QStringList{"Smith"});
        QCOMPARE(found(t, {"Smith*", "", "", "", "", ""}), (QStringList{"Smith", "Smithers"}));
        QCOMPARE(found(t, {"100%*", "", "", "", "", ""}), QStringList{"100% Sure"});
        QCOMPARE(found(t, {"1_0*", "", "", "", "", ""}), QStringList{});
        QCOMPARE(found(t, {"Mr O'Brien", "", "", "", "", ""}), QStringList{"Mr O'Brien"});
        QCOMPARE(found(t, {"*O'B*", "", "", "", "", ""}), QStringList{"Mr O'Brien"});
    }

    void criteriaTogether()
    {
        TestDatabase t;
        JobFixture f(t);
        addJobs(t, f);
        QCOMPARE(found(t, {"Sm*", "02/03/2026", "", "", "", ""}),
                 (QStringList{"Smith", "Smithers"}));
        QCOMPARE(found(t, {"", "3/3/2026", "", "", "", ""}), QStringList{"Smyth"});
        QCOMPARE(found(t, {"", "", "Barry*", "", "", ""}), QStringList{"Smyth"});
        QCOMPARE(found(t, {"", "", "Pete Walsh", "", "", "Airport"}).size(), 4);
        QCOMPARE(found(t, {"", "", "", "", "Quay*", ""}), QStringList{"Smyth"});
        QCOMPARE(found(t, {"", "", "", "", "Station", "Air*"}).size(), 4);
        QCOMPARE(found(t, {"", "", "", "", "", ""}).size(), 5);
    }

    void accountAlone()
    {
        TestDatabase t;
        JobFixture f(t);
        addJobs(t, f);
        QCOMPARE(found(t, {"Nobody", "01/01/2000", "", "O'Brien & Sons", "", ""}),
                 (QStringList{"Smith", "Mr O'Brien"}));
        QCOMPARE(found(t, {"", "", "", "Acme*", "", ""}), QStringList{});
    }

    void finderReadsABatchAtATime()
    {
        TestDatabase t;
        JobFixture f(t);
        addJobs(t, f);
        velmora::JobFinder finder(t.db());
        QString error;
        velmora::FoundRows jobs;
        QVERIFY2(finder.start(*velmora::searchStatement({}, velmora::Engine::SQLite), &error),
                 qPrintable(error));
        QVERIFY(finder.read(3, &jobs, &error));
        QCOMPARE(jobs.size(), 3);
        QVERIFY(!finder.atEnd());
        QVERIFY(finder.read(3, &jobs, &error));
        QCOMPARE(jobs.size(), 5);
        QVERIFY(finder.atEnd());
        QVERIFY(finder.read(3, &jobs, &error));
        QCOMPARE(jobs.size(), 5);

        // The statement kept from the search before runs again with other values.
        for (const char* name : {"Smyth", "Smith"}) {
            jobs.clear();
            QVERIFY(finder.start(
                *velmora::searchStatement({name, "", "", "", "", ""}, velmora::Engine::SQLite),
                &error));
            QVERIFY(finder.read(3, &jobs, &error));
            QCOMPARE(passengers(all(jobs)), QStringList{QString::fromLatin1(name)});
        }

        // A search half read leaves the file free to be written, and ends when asked.
        jobs.clear();
        QVERIFY(finder.start(*velmora::searchStatement({}, velmora::Engine::SQLite), &error));
        QVERIFY(finder.read(1, &jobs, &error));
        t.exec(QStringLiteral("update jobs set address_to = 'Quay 2'"));
        finder.finish();
        QVERIFY(finder.atEnd());
        QCOMPARE(
            t.value(QStringLiteral("select count(*) from jobs where address_to = ?"), {"Quay 2"})
                .toInt(),
            5);
    }

    void finderSaysWhatFailed()
    {
        TestDatabase t;
        velmora::JobFinder finder(t.db());
        QString error;
        QVERIFY(!finder.start({QStringLiteral("select missing from nowhere"), {}}, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(finder.atEnd());
    }

    void dateMustBeADate()
    {
        QVERIFY(
            !velmora::searchStatement({"", "31/02/2026", "", "", "", ""}, velmora::Engine::SQLite));
        QVERIFY(
            !velmora::searchStatement({"", "yesterday", "", "", "", ""}, velmora::Engine::SQLite));
        QVERIFY(velmora::searchStatement({"", "", "", "", "", ""}, velmora::Engine::SQLite));
    }

    void foundColumns()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("update job_counter set last = 32767"));
        t.addJob("C", QDate(2026, 3, 2), "09:00:00", "Big Number", "I", f.estate, f.driver);
        QString error;
        const auto jobs =
            findAll(t, *velmora::searchStatement({}, velmora::Engine::SQLite), &error);
        QVERIFY2(jobs, qPrintable(error));
        QCOMPARE(jobs->size(), 1);
        const FoundJob& job = jobs->first();
        QCOMPARE(job.key.prefix, QStringLiteral("C"));
        QCOMPARE(job.key.number, 32768);
        QCOMPARE(job.time, QStringLiteral("09:00:00"));
        QCOMPARE(job.date, QDate(2026, 3, 2));
        QCOMPARE(job.vehicleType, QStringLiteral("Estate Car"));
        QCOMPARE(job.pickup, QStringLiteral("Station"));
        QCOMPARE(job.drop, QStringLiteral("Airport"));
    }
};

QTEST_MAIN(TestJobSearch)
#include "test_jobsearch.moc"
