#include "jobfixture.h"
#include "jobs/jobrecord.h"

#include <QTest>

using velmora::JobKey;
using velmora::JobRecord;
using velmora::test::TestDatabase;

namespace {

JobRecord booking(const JobFixture& f, bool onAccount)
{
    JobRecord job;
    job.date = QDate(2026, 12, 25);
    job.time = QStringLiteral("09:30");
    job.passenger = QStringLiteral("Mrs O'Hara");
    job.from = QStringLiteral("Station");
    job.to = QStringLiteral("Airport");
    job.instructions = QStringLiteral("Two cases");
    job.driver = f.driver;
    job.vehicleType = f.estate;
    job.paymentType = onAccount ? f.byAccount : f.cash;
    job.account = onAccount ? f.acme : 0;
    job.onAccount = onAccount;
    if (onAccount) {
        job.accountReference = QStringLiteral("PO-1");
        job.costCode = QStringLiteral("CC9");
    }
    return job;
}

} // namespace

class TestJobRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addReadsTheNumberBackAndWritesEveryColumn()
    {
        TestDatabase t;
        JobFixture f(t);
        t.addJob(QStringLiteral("B"), QDate(2026, 1, 1), "08:00:00", "Earlier", "I", f.saloon);
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, true), &error);
        QVERIFY2(number, qPrintable(error));
        QCOMPARE(*number, 2); // the counter runs over every prefix
        const QString row = QStringLiteral(
            "select job_prefix || '|' || date || '|' || time || '|' || time_text || '|' || "
            "passenger_name || '|' || address_from || '|' || address_to || '|' || account_no "
            "|| '|' || driver || '|' || payment_type || '|' || invoiced || '|' || vehicle_type "
            "|| '|' || special_instructions || '|' || record_status || '|' || acc_ref || '|' || "
            "costed_code from jobs where job_id = ?");
        QCOMPARE(t.value(row, {*number}).toString(),
                 QStringLiteral("A|2026-12-25|09:30:00|09:30|Mrs O'Hara|Station|Airport|%1|%2|%3|N|"
                                "%4|Two cases|I|PO-1|CC9")
                     .arg(f.acme)
                     .arg(f.driver)
                     .arg(f.byAccount)
                     .arg(f.estate));
    }

    void addLeavesEmptyReferencesUnset()
    {
        TestDatabase t;
        JobFixture f(t);
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, false), &error);
        QVERIFY(t.value(QStringLiteral("select acc_ref from jobs where job_id = ?"), {*number})
                    .isNull());
        QVERIFY(t.value(QStringLiteral("select costed_code from jobs where job_id = ?"), {*number})
                    .isNull());
        QCOMPARE(t.value(QStringLiteral("select invoiced from jobs where job_id = ?"), {*number}),
                 QVariant(QStringLiteral(" ")));
    }

    void numbersBeyond32767()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("update job_counter set last = 40000"));
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, false), &error);
        QCOMPARE(*number, 40001);
        std::optional<velmora::LoadedJob> job;
        QVERIFY(velmora::loadJob(t.db(), {QStringLiteral("A"), 40001}, &job, &error));
        QVERIFY(job);
        QCOMPARE(job->key.number, 40001);
    }

    void updateAddressesPrefixAndNumberAndKeepsInvoiced()
    {
        TestDatabase t;
        JobFixture f(t);
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, true), &error);
        // A job brought in from elsewhere with the same number under another prefix.
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, passenger_name, invoiced) "
                              "values ('T', ?, 'Transferred', 'Y')"),
               {*number});
        t.exec(QStringLiteral(
            "update jobs set invoiced = 'Y', invoice_no = 5 where job_prefix = 'A'"));
        JobRecord changed = booking(f, false);
        changed.passenger = QStringLiteral("Mr Changed");
        const auto found =
            velmora::updateJob(t.db(), {QStringLiteral("A"), *number}, changed, {}, &error);
        QCOMPARE(found, velmora::RowSave::Saved);
        QCOMPARE(
            t.value(QStringLiteral("select passenger_name || invoiced || account_no || "
                                   "coalesce(acc_ref, 'null') from jobs where job_prefix = 'A'")),
            QVariant(QStringLiteral("Mr ChangedY0")));
        QCOMPARE(t.value(QStringLiteral("select passenger_name || invoiced from jobs "
                                        "where job_prefix = 'T'")),
                 QVariant(QStringLiteral("TransferredY")));
        // A job not yet invoiced takes the flag its payment type gives.
        t.exec(QStringLiteral("update jobs set invoiced = ' ' where job_prefix = 'A'"));
        changed.onAccount = true;
        velmora::updateJob(t.db(), {QStringLiteral("A"), *number}, changed, {}, &error);
        QCOMPARE(t.value(QStringLiteral("select invoiced from jobs where job_prefix = 'A'")),
                 QVariant(QStringLiteral("N")));
        const auto missing =
            velmora::updateJob(t.db(), {QStringLiteral("Z"), *number}, changed, {}, &error);
        QCOMPARE(missing, velmora::RowSave::Missing);
    }

    // The driver-percentage flag follows the job's driver on every write, while the job is
    // not yet calculated.
    void driverPercentageFollowsTheDriver_data()
    {
        QTest::addColumn<int>("percentage");
        QTest::addColumn<QString>("calculated");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("updated");
        QTest::newRow("percentage driver") << 20 << "N"
                                           << "Y"
                                           << "Y";
        QTest::newRow("driver on a wage") << 0 << "N"
                                          << "N"
                                          << "N";
        QTest::newRow("already calculated") << 20 << "Y"
                                            << "Y"
                                            << "N";
    }
    void driverPercentageFollowsTheDriver()
    {
        QFETCH(int, percentage);
        QFETCH(QString, calculated);
        QFETCH(QString, added);
        QFETCH(QString, updated);
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("update drivers set driver_percentage = ?"), {percentage});
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, true), &error);
        QVERIFY2(number, qPrintable(error));
        const QString flag = QStringLiteral("select driver_percentage from jobs where job_id = ?");
        QCOMPARE(t.value(flag, {*number}).toString(), added);
        t.exec(QStringLiteral("update jobs set calculated = ?"), {calculated});
        QCOMPARE(velmora::updateJob(t.db(), {QStringLiteral("A"), *number}, booking(f, true), {},
                                    &error),
                 velmora::RowSave::Saved);
        QCOMPARE(t.value(flag, {*number}).toString(), updated);
    }

    void loadWithEverything()
    {
        TestDatabase t;
        JobFixture f(t);
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, true), &error);
        std::optional<velmora::LoadedJob> job;
        QVERIFY(velmora::loadJob(t.db(), {QStringLiteral("A"), *number}, &job, &error));
        QCOMPARE(job->date, QDate(2026, 12, 25));
        QCOMPARE(job->time, QStringLiteral("09:30:00"));
        QCOMPARE(job->passenger, QStringLiteral("Mrs O'Hara"));
        QCOMPARE(*job->driver, QStringLiteral("Pete Walsh"));
        QCOMPARE(*job->vehicleType, QStringLiteral("Estate Car"));
        QCOMPARE(*job->paymentType, QStringLiteral("Account"));
        QCOMPARE(*job->accountName, QStringLiteral("Acme Ltd"));
        QCOMPARE(job->accountId, f.acme);
        QCOMPARE(job->account, f.acme);
        QCOMPARE(*job->accountReference, QStringLiteral("PO-1"));
        QCOMPARE(*job->costCode, QStringLiteral("CC9"));
        QCOMPARE(*job->instructions, QStringLiteral("Two cases"));
    }

    void loadWithMissingDriverAccountAndVehicleType()
    {
        TestDatabase t;
        JobFixture f(t);
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, true), &error);
        t.exec(QStringLiteral("delete from drivers"));
        t.exec(QStringLiteral("delete from accounts"));
        t.exec(QStringLiteral("delete from vehicle_types"));
        std::optional<velmora::LoadedJob> job;
        QVERIFY(velmora::loadJob(t.db(), {QStringLiteral("A"), *number}, &job, &error));
        QVERIFY(job);
        QVERIFY(!job->driver);
        QVERIFY(!job->accountName);
        QVERIFY(!job->vehicleType);
        QCOMPARE(*job->paymentType, QStringLiteral("Account"));
        QCOMPARE(job->account, f.acme); // the job still names its account
        QCOMPARE(job->accountId, 0);
    }

    void loadNeedsThePrefix()
    {
        TestDatabase t;
        JobFixture f(t);
        QString error;
        const auto number = velmora::addJob(t.db(), QStringLiteral("A"), booking(f, false), &error);
        std::optional<velmora::LoadedJob> job;
        QVERIFY(velmora::loadJob(t.db(), {QStringLiteral("B"), *number}, &job, &error));
        QVERIFY(!job);
    }
};

QTEST_MAIN(TestJobRecord)
#include "test_jobrecord.moc"
