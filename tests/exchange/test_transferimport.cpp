#include "exchange/transfer.h"
#include "testdatabase.h"
#include "transferbytes.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <limits>

using namespace velmora::exchange;
using velmora::test::CostBytes;
using velmora::test::costSlot;
using velmora::test::JobBytes;
using velmora::test::jobSlot;
using velmora::test::jobSlots;
using velmora::test::TestDatabase;

namespace {

const QString kRejected = QStringLiteral(" transaction rejected. Job Number = ");

QString write(TestDatabase& t, const QString& name, const QByteArray& bytes)
{
    const QString path = t.folder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Account 1, driver 1, payment type 1, vehicle type 1 and receipt types 1 and 2.
void addReferences(TestDatabase& t)
{
    t.exec(QStringLiteral("insert into accounts (account_name) values ('Acme')"));
    t.addDriver(QStringLiteral("Dave"));
    t.exec(QStringLiteral("insert into payment_types (paymentdescription) values ('Cash')"));
    t.addVehicleType(QStringLiteral("Saloon Car"));
    t.exec(QStringLiteral("insert into receipt_types (paymenttype) values ('Fare'), ('Fuel')"));
}

QString jobRejection(const QString& path, const QString& reason, qint64 job)
{
    return QStringLiteral("Input file ") + path + QStringLiteral("\r\n") + reason +
           QStringLiteral("\r\n") + kRejected + QString::number(job) + QStringLiteral("\r\n");
}

} // namespace

class TestTransferImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importsJobsThenUpdatesThem()
    {
        TestDatabase t;
        addReferences(t);
        JobBytes plain; // every reference 0: no look-up
        plain.number = 500;
        JobBytes full;
        full.prefix = "B";
        full.number = 7;
        full.date = 45000.75;
        full.passenger = "Ren\xE9\x65 \xA3";
        full.account = 1;
        full.driver = 1;
        full.paymentType = 1;
        full.vehicleType = 1;
        const QString path = write(t, QStringLiteral("Jobs.txt"), jobSlot(plain) + jobSlot(full));

        const TransferOutcome first = import_job_transfer(t.db(), path);
        QVERIFY(first.completed);
        QCOMPARE(first.message,
                 QStringLiteral("Input file ") + path +
                     QStringLiteral("\r\n successfully processed. \r\n2 records added to jobs "
                                    "table. \r\n0 records updated on jobs table. \r\n0 records "
                                    "rejected. \r\n"));
        const QStringList stored{"B",
                                 "7",
                                 "2023-03-15",
                                 "10:30:00",
                                 QStringLiteral("Renée £"),
                                 QStringLiteral("1 High St"),
                                 "1",
                                 "1",
                                 "3",
                                 "1",
                                 "N",
                                 "1",
                                 QStringLiteral("Ring twice"),
                                 "C",
                                 "77",
                                 "10:30",
                                 "REF-9",
                                 "CC1",
                                 "5",
                                 "N", // the file's "Y", but Dave is not paid a percentage
                                 "N"};
        QCOMPARE(t.rows(QStringLiteral(
                     "select job_prefix, job_id, date, time, passenger_name, address_from, "
                     "account_no, driver, passengers, payment_type, invoiced, vehicle_type, "
                     "special_instructions, record_status, invoice_no, time_text, acc_ref, "
                     "costed_code, std_job, driver_percentage, calculated from jobs "
                     "where job_prefix = 'B'")),
                 QStringList{stored.join(QLatin1Char('|'))});

        // The job counter moves past the numbers imported.
        QCOMPARE(t.addJob(QStringLiteral("A"), QDate(2026, 1, 2), QStringLiteral("09:00:00"),
                          QStringLiteral("Next"), QStringLiteral("I"), 1),
                 501);

        // The same file again updates both completed jobs in place.
        t.exec(QStringLiteral("update jobs set passenger_name = 'changed' where job_id = 7"));
        const TransferOutcome second = import_job_transfer(t.db(), path);
        QCOMPARE(second.added, 0);
        QCOMPARE(second.updated, 2);
        QCOMPARE(
            t.value(QStringLiteral("select passenger_name from jobs where job_id = 7")).toString(),
            QStringLiteral("Renée £"));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs")), 3);
    }

    void rejectsJobsWithReasons()
    {
        TestDatabase t;
        addReferences(t);
        const int booked =
            t.addJob(QStringLiteral("A"), QDate(2026, 1, 2), QStringLiteral("09:00:00"),
                     QStringLiteral("Booked"), QStringLiteral("I"), 1);
        QList<JobBytes> jobs(10);
        for (int i = 0; i < jobs.size(); ++i)
            jobs[i].number = 100 + i;
        jobs[0].account = 9;
        jobs[1].account = 1;
        jobs[1].driver = 8;
        jobs[2].paymentType = 7;
        jobs[3].vehicleType = 6;
        jobs[4].number = 0;
        jobs[5].date = std::numeric_limits<double>::quiet_NaN();
        jobs[6].number = booked;
        jobs[7].account = -3; // below 1: not looked up
        // A NUL inside a text would cut it short; NULs at its end are padding.
        jobs[8].passenger = QByteArray("Mr Before\0After", 15);
        jobs[9].passenger = QByteArray("Mr Padded\0\0\0", 12);
        QByteArray bytes;
        for (const JobBytes& job : jobs)
            bytes += jobSlot(job);
        const QString path = write(t, QStringLiteral("Jobs.txt"), bytes);

        const TransferOutcome outcome = import_job_transfer(t.db(), path);
        QVERIFY(outcome.completed);
        QCOMPARE(outcome.added, 2);
        QCOMPARE(outcome.rejected, 8);
        QCOMPARE(
            outcome.rejections,
            (QStringList{
                jobRejection(path, QStringLiteral(" contains invalid account number 9"), 100),
                jobRejection(path, QStringLiteral(" contains invalid driver number 8"), 101),
                jobRejection(path, QStringLiteral(" contains invalid payment type 7"), 102),
                jobRejection(path, QStringLiteral(" contains invalid vehicle type 6"), 103),
                jobRejection(path, QStringLiteral(" contains a job number below 1 0"), 0),
                jobRejection(path, QStringLiteral(" contains a date that is not a real date nan"),
                             105),
                jobRejection(path, QStringLiteral(" contains a job already recorded with status I"),
                             booked),
                jobRejection(path,
                             QStringLiteral(" contains a NUL byte inside the text of the field "
                                            "passenger"),
                             108)}));
        QVERIFY(outcome.message.endsWith(QStringLiteral("8 records rejected. \r\n")));
        QCOMPARE(
            t.value(QStringLiteral("select passenger_name from jobs where job_id = ?"), {booked})
                .toString(),
            QStringLiteral("Booked"));
    }

    void reportsEmptyAndTruncatedFiles()
    {
        TestDatabase t;
        const QString empty = write(t, QStringLiteral("Empty.txt"), {});
        const TransferOutcome none = import_job_transfer(t.db(), empty);
        QVERIFY(none.completed);
        QVERIFY(none.message.contains(QStringLiteral("0 records added to jobs table. \r\n0 records "
                                                     "updated on jobs table. \r\n0 records "
                                                     "rejected.")));
        const TransferOutcome noCosts = import_cost_transfer(t.db(), empty);
        QVERIFY(noCosts.message.contains(QStringLiteral("0 cost records added")));

        // A last slot whose fields are all there is a record; a shorter one is not.
        JobBytes second;
        second.number = 2;
        const QString shortTail =
            write(t, QStringLiteral("Tail.txt"), jobSlot({}) + jobSlot(second).first(543));
        const TransferOutcome tail = import_job_transfer(t.db(), shortTail);
        QCOMPARE(tail.added, 2);
        QCOMPARE(tail.strayBytes, 0);
        const QString cut =
            write(t, QStringLiteral("Cut.txt"), jobSlot({}) + jobSlot(second).first(542));
        const TransferOutcome truncated = import_job_transfer(t.db(), cut);
        QVERIFY(truncated.completed);
        QCOMPARE(truncated.updated, 1);
        QCOMPARE(truncated.strayBytes, 542);
        QVERIFY(truncated.message.endsWith(
            QStringLiteral("The last 542 bytes of the file do not make a whole record and were "
                           "not read.\r\n")));
    }

    void keepsNothingOfAFileThatFailsPartWay()
    {
        TestDatabase t;
        t.exec(QStringLiteral("create trigger refuse before insert on jobs when new.job_id = 3 "
                              "begin select raise(abort, 'disk trouble'); end"));
        const QString path = write(t, QStringLiteral("Jobs.txt"), jobSlots(4));
        const QString before = t.dump();
        const TransferOutcome outcome = import_job_transfer(t.db(), path);
        QVERIFY(!outcome.completed);
        QVERIFY2(outcome.message.contains(QStringLiteral("disk trouble")),
                 qPrintable(outcome.message));
        QVERIFY(outcome.message.contains(QStringLiteral("Nothing from it has been kept.")));
        QCOMPARE(t.dump(), before);

        const TransferOutcome missing =
            import_job_transfer(t.db(), t.folder() + QStringLiteral("/none.txt"));
        QVERIFY(!missing.completed);
    }

    void tellsProgressAndKeepsNothingWhenStopped()
    {
        TestDatabase t;
        const QString path = write(t, QStringLiteral("Jobs.txt"), jobSlots(600));
        QList<qint64> told;
        const TransferOutcome whole =
            import_job_transfer(t.db(), path, [&told](qint64 done, qint64 total) {
                if (total != 600)
                    qFatal("told a total of %lld", total);
                told.append(done);
                return true;
            });
        QVERIFY(whole.completed);
        QVERIFY(told.size() > 1);
        QVERIFY(std::is_sorted(told.begin(), told.end()) &&
                std::adjacent_find(told.begin(), told.end()) == told.end());
        QCOMPARE(told.last(), 600);

        // Stopped part-way through a second run that would add and update: nothing changes.
        t.exec(QStringLiteral("delete from jobs where job_id > 300"));
        const QString before = t.dump();
        int calls = 0;
        const TransferOutcome stopped =
            import_job_transfer(t.db(), path, [&calls](qint64, qint64) { return ++calls < 2; });
        QVERIFY(stopped.cancelled && !stopped.completed);
        QVERIFY(stopped.message.contains(QStringLiteral("cancelled")));
        QCOMPARE(t.dump(), before);
    }

    void importsCostLinesThenUpdatesThem()
    {
        TestDatabase t;
        addReferences(t);
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, record_status) values "
                              "('A', 1, 'C'), ('B', 1, 'C')"));
        CostBytes income;
        income.description = "Caf\xE9 \xA3";
        income.gross = -98765;
        CostBytes expense = income;
        expense.side = "E";
        CostBytes otherPrefix = income;
        otherPrefix.prefix = "B";
        const QString path = write(t, QStringLiteral("Costs.txt"),
                                   costSlot(income) + costSlot(expense) + costSlot(otherPrefix));

        const TransferOutcome first = import_cost_transfer(t.db(), path);
        QCOMPARE(first.message,
                 QStringLiteral("Costs import file ") + path +
                     QStringLiteral("\r\n successfully processed. \r\n3 cost records added to "
                                    "costs table. \r\n0 cost records updated on costs table. "
                                    "\r\n0 cost records rejected. \r\n"));
        QCOMPARE(t.rows(QStringLiteral(
                     "select job_prefix, jobnumber, costtype, income_expence, description, "
                     "gross_cost, discount, discount_value, net_cost, vat, vat_value, "
                     "logical_delete from costs order by rowid limit 1")),
                 QStringList{QStringLiteral("A|1|1|I|Café £|-98765|10|12500|112500|Y|18750|N")});

        const TransferOutcome second = import_cost_transfer(t.db(), path);
        QCOMPARE(second.updated, 3);
        QCOMPARE(second.added, 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from costs")), 3);
    }

    void rejectsCostLinesWithReasons()
    {
        TestDatabase t;
        addReferences(t);
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, record_status) values "
                              "('A', 1, 'C')"));
        QList<CostBytes> lines(7);
        lines[0].number = 2;   // no such job, though the type is valid
        lines[1].costType = 9; // income line of an unknown type
        lines[2].costType = 9; // expense line of an unknown type
        lines[2].side = "E";
        lines[3].side = "X";
        lines[4].discount = 101;
        lines[5].gross = std::numeric_limits<std::int64_t>::min();
        lines[6].description = QByteArray("Fa\0re", 5);
        QByteArray bytes;
        for (const CostBytes& line : lines)
            bytes += costSlot(line);
        const QString path = write(t, QStringLiteral("Costs.txt"), bytes);

        const TransferOutcome outcome = import_cost_transfer(t.db(), path);
        QCOMPARE(outcome.rejected, 7);
        const QString opening = QStringLiteral("Input file ") + path + QStringLiteral("\r\n");
        QCOMPARE(outcome.rejections.at(0),
                 opening +
                     QStringLiteral(" contains a job number not recorded in jobs table "
                                    "\r\n") +
                     kRejected + QStringLiteral("2\r\n"));
        QCOMPARE(outcome.rejections.at(1),
                 jobRejection(path,
                              QStringLiteral(" contains a cost type not recorded in the "
                                             "system 9"),
                              1));
        QCOMPARE(outcome.rejections.at(2),
                 jobRejection(path,
                              QStringLiteral(" contains a payment type not recorded in the "
                                             "system 9"),
                              1));
        QVERIFY(outcome.rejections.at(3).contains(QStringLiteral("neither I nor E 'X'")));
        QVERIFY(outcome.rejections.at(4).contains(QStringLiteral("outside 0 to 100 101")));
        QVERIFY(outcome.rejections.at(5).contains(QStringLiteral("beyond what can be held")));
        QVERIFY(outcome.rejections.at(6).contains(QStringLiteral("field description")));
        QCOMPARE(t.count(QStringLiteral("select count(*) from costs")), 0);
    }

    void exportsAccounts()
    {
        TestDatabase t;
        t.exec(QStringLiteral(
            "insert into accounts (address_id, account_name, nickname, contact_name, "
            "account_balance, invoice_type, account_ref, cost_code) values "
            "(4, 'A very long account name that goes past forty', ' ', 'Zoë', -25000, 'S', "
            "'REF1', 'CC'), (5, 'Łódź Cabs', null, null, 0, 'F', null, 'X'), "
            "(null, 'Third', 'T', 'C', 10000, 'S', 'R', null)"));
        const QString path = t.folder() + QStringLiteral("/Accounts.txt");
        const TransferOutcome outcome = export_account_transfer(t.db(), path, false);
        QVERIFY(outcome.completed);
        QCOMPARE(outcome.written, 3);
        QCOMPARE(outcome.unmappable, 2); // Ł and ź
        QVERIFY(outcome.message.startsWith(
            QStringLiteral("Export file ") + path +
            QStringLiteral("\r\n successfully created. \r\n3 records written to disk. \r\n")));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 411);
        for (int record = 0; record < 3; ++record)
            QCOMPARE(bytes.mid(record * 137 + 127, 8), QByteArray(8, '\0'));
        const QByteArray first = velmora::test::Bytes()
                                     .i32(1)
                                     .i32(4)
                                     .text("A very long account name that goes past", 40)
                                     .text(" ", 20)
                                     .i64(-25000)
                                     .text("S", 1)
                                     .text("Zo\xEB", 50)
                                     .raw(QByteArray(8, '\0'))
                                     .text("R", 1)
                                     .text("C", 1)
                                     .bytes();
        QCOMPARE(bytes.first(137), first);
        QCOMPARE(bytes.mid(137 + 8, 9), QByteArray("?\xF3\x64? Cabs"));
        QCOMPARE(bytes.mid(137 + 135, 2), QByteArray(" X"));
        QCOMPARE(bytes.mid(2 * 137 + 4, 4), QByteArray(4, '\0')); // no address
    }
};

QTEST_GUILESS_MAIN(TestTransferImport)
#include "test_transferimport.moc"
