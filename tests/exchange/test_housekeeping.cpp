#include "data/backup.h"
#include "exchange/frmbackup.h"
#include "exchange/frmtransfer.h"
#include "exchange/invoiceremoval.h"
#include "screenhelpers.h"
#include "testdatabase.h"
#include "transferbytes.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

using namespace velmora;
using namespace velmora::exchange;
using velmora::test::child;
using velmora::test::TestDatabase;
using Kind = ScriptedDialogs::Kind;

namespace {

// Invoices 1 to 4: 1 has job A1 on two lines, 2 has no lines, 3 has A3 and B3, 4 has A4;
// a line of invoice 0, which does not exist, has B1. Invoices 1 and 3 (1.00 and 3.00) are
// account 1's, 2 and 4 (2.00 and 4.00) account 2's. Each job has two cost lines; A3 also a
// credit note and invoice 3 a receipt.
void addInvoices(TestDatabase& t)
{
    for (const char* prefix : {"A", "B"}) {
        for (int number : {1, 3, 4}) {
            t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, record_status) "
                                  "values (?, ?, 'C')"),
                   {QString::fromLatin1(prefix), number});
            t.exec(QStringLiteral("insert into costs (job_prefix, jobnumber, costtype, "
                                  "income_expence) values (?, ?, 1, 'I'), (?, ?, 1, 'E')"),
                   {QString::fromLatin1(prefix), number, QString::fromLatin1(prefix), number});
        }
    }
    t.exec(QStringLiteral("insert into accounts (account_name) values ('One'), ('Two')"));
    t.exec(QStringLiteral("insert into invoice_header (invoice_no, account_no, net_value) values "
                          "(1, 1, 10000), (2, 2, 20000), (3, 1, 30000), (4, 2, 40000)"));
    t.exec(QStringLiteral("insert into invoice_line (invoice_no, job_prefix, job_id) values "
                          "(1, 'A', 1), (1, 'A', 1), (3, 'A', 3), (3, 'B', 3), (4, 'A', 4), "
                          "(0, 'B', 1)"));
    t.exec(QStringLiteral("insert into credit_notes (job_no, job_prefix) values (3, 'A')"));
    t.exec(QStringLiteral("insert into receipts (invoice_number) values (3)"));
}

QString counts(const RemovalCounts& c)
{
    return QStringLiteral("%1 jobs, %2 costs, %3 headers, %4 lines")
        .arg(c.jobs)
        .arg(c.costs)
        .arg(c.headers)
        .arg(c.lines);
}

} // namespace

class TestHousekeeping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheInvoiceNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number");
        QTest::newRow("plain") << "12" << qint64(12);
        QTest::newRow("blanks") << " 40000 " << qint64(40000);
        QTest::newRow("beyond 16 bits") << "9876543210" << qint64(9876543210);
        QTest::newRow("not a number") << "12; delete from jobs" << qint64(-1);
        QTest::newRow("decimal") << "3.5" << qint64(-1);
    }
    void readsTheInvoiceNumber()
    {
        QFETCH(QString, text);
        QFETCH(qint64, number);
        QCOMPARE(parseInvoiceNumber(text).value_or(-1), number);
    }

    void removesInvoicesBelowTheNumber_data()
    {
        QTest::addColumn<qint64>("firstKept");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QStringList>("jobsLeft");
        QTest::addColumn<QString>("kept"); // each account's removed invoices, in pence
        const QStringList all{"A1", "A3", "A4", "B1", "B3", "B4"};
        QTest::newRow("invoice 1 removes nothing")
            << qint64(1) << "0 jobs, 0 costs, 0 headers, 0 lines" << all << "0|0";
        // A job on two lines goes once; jobs of another prefix with its number stay.
        QTest::newRow("a job on two lines") << qint64(2) << "1 jobs, 2 costs, 1 headers, 2 lines"
                                            << QStringList{"A3", "A4", "B1", "B3", "B4"} << "100|0";
        QTest::newRow("an invoice without lines")
            << qint64(3) << "1 jobs, 2 costs, 2 headers, 2 lines"
            << QStringList{"A3", "A4", "B1", "B3", "B4"} << "100|200";
        QTest::newRow("two prefixes sharing a number")
            << qint64(4) << "3 jobs, 6 costs, 3 headers, 4 lines" << QStringList{"A4", "B1", "B4"}
            << "400|200";
    }
    void removesInvoicesBelowTheNumber()
    {
        QFETCH(qint64, firstKept);
        QFETCH(QString, removed);
        QFETCH(QStringList, jobsLeft);
        QFETCH(QString, kept);
        TestDatabase t;
        addInvoices(t);
        QString error;
        const auto expected = countOldInvoices(t.db(), firstKept, &error);
        QVERIFY2(expected, qPrintable(error));
        QCOMPARE(counts(*expected), removed);
        const auto done = removeOldInvoices(t.db(), firstKept, &error);
        QVERIFY2(done, qPrintable(error));
        QCOMPARE(counts(*done), removed);
        QCOMPARE(t.rows(QStringLiteral("select job_prefix || job_id from jobs order by 1")),
                 jobsLeft);
        QCOMPARE(t.count(QStringLiteral("select count(*) from costs")), 2 * jobsLeft.size());
        // The invoice typed stays, and so do receipts and credit notes.
        QCOMPARE(t.count(QStringLiteral("select min(invoice_no) from invoice_header")), firstKept);
        QCOMPARE(t.count(QStringLiteral("select count(*) from receipts")), 1);
        QCOMPARE(t.count(QStringLiteral("select count(*) from credit_notes")), 1);
        // The line of a missing invoice stays, and each account keeps its share.
        QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_line where invoice_no = 0")),
                 1);
        QCOMPARE(t.rows(QStringLiteral("select group_concat(removed_invoiced / 100, '|') "
                                       "from (select removed_invoiced from accounts "
                                       "order by account_id)")),
                 QStringList{kept});
    }

    void prunesOnlyThisDatabasesOwnCopies()
    {
        TestDatabase t;
        t.addVehicleType(QStringLiteral("Saloon Car"));
        const QDir folder(t.folder());
        // Each planted file and whether it is there after the copy.
        QList<std::pair<QString, bool>> planted;
        // Twelve copies of this database, of the old and the new pattern: the newest nine
        // stay beside the new copy.
        for (int minute = 0; minute < 12; ++minute)
            planted.append({QStringLiteral("taxi-20261206-10%1%2.backup.mdb")
                                .arg(minute, 2, 10, QLatin1Char('0'))
                                .arg(minute < 6 ? QStringLiteral("00") : QStringLiteral("00-000")),
                            minute >= 3});
        // Other databases' copies and other files are never counted or removed.
        for (const char* neighbour :
             {"taxi-x-20261206-090000.backup.mdb", "taxi-1-20261206-090000-000.backup.mdb",
              "taxi2-20261206-090000.backup.mdb", "taxi-20261206-090000.backup.mdb.txt",
              "Taxi-20261206-090000.backup.mdb", "taxi.backup.part-1"})
            planted.append({QString::fromLatin1(neighbour), true});
        // What a killed copy left (a process that no longer runs) goes.
        planted.append({QStringLiteral("taxi.backup.part-999999999"), false});
        planted.append({QStringLiteral("taxi.backup.part-999999999-journal"), false});
        for (const auto& [name, kept] : std::as_const(planted)) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("planted") == 7);
        }
        // The new copy is kept although the clock puts it before every other.
        const QDateTime early(QDate(2026, 12, 6), QTime(8, 0));
        QString error;
        const auto copy = writeSafetyCopy(t.db(), &error, early);
        QVERIFY2(copy, qPrintable(error));
        QCOMPARE(QFileInfo(*copy).fileName(),
                 QStringLiteral("taxi-20261206-080000-000.backup.mdb"));
        for (const auto& [name, kept] : std::as_const(planted))
            QVERIFY2(QFileInfo::exists(folder.filePath(name)) == kept, qPrintable(name));
        // A second copy of the same moment gets a name of its own (and the first, now the
        // oldest of ten, goes).
        const auto second = writeSafetyCopy(t.db(), &error, early);
        QVERIFY2(second, qPrintable(error));
        QCOMPARE(QFileInfo(*second).fileName(),
                 QStringLiteral("taxi-20261206-080000-000-2.backup.mdb"));
        // A copy is a whole database, and an existing file is never overwritten.
        {
            QSqlDatabase opened =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
            opened.setDatabaseName(*second);
            QVERIFY(opened.open());
            QSqlQuery query(QStringLiteral("select vehicledescription from vehicle_types"), opened);
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("Saloon Car"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("copy"));
        QVERIFY(!backupDatabase(t.db(), *second, &error));
        QVERIFY(error.contains(QStringLiteral("exists already")));
    }

    void removalScreenAsksBacksUpAndShowsCounts()
    {
        TestDatabase t;
        addInvoices(t);
        ScriptedDialogs dialogs;
        frmbackup screen(t.db(), dialogs);
        auto* invoice = child<QLineEdit>(screen, QStringLiteral("txtinvoice"));
        auto* remove = child<QPushButton>(screen, QStringLiteral("Command1"));
        auto* jobs = child<QLineEdit>(screen, QStringLiteral("txtjobs"));
        QCOMPARE(screen.windowTitle(), QStringLiteral("Backup / Archive Functions"));
        QVERIFY(!jobs->isVisibleTo(&screen));

        remove->click();
        QCOMPARE(dialogs.shown.last().kind, Kind::Plain);
        QCOMPARE(dialogs.shown.last().text, QStringLiteral("You must supply an Invoice Number "));
        invoice->setText(QStringLiteral("4 or 1=1"));
        remove->click();
        QCOMPARE(dialogs.shown.last().text,
                 QStringLiteral("The invoice number must be a whole number."));

        // Declining removes nothing.
        invoice->setText(QStringLiteral("4"));
        dialogs.answers.enqueue(Dialogs::Answer::No);
        remove->click();
        QCOMPARE(dialogs.shown.last().kind, Kind::Question);
        QVERIFY(dialogs.shown.last().text.contains(
            QStringLiteral("3 invoices with 4 invoice lines,\n3 jobs and 6 cost lines")));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs")), 6);

        QCOMPARE(dialogs.questionButtons.last(), Dialogs::Buttons::YesNoDefaultNo);

        QSignalSpy changed(&screen, &frmbackup::jobsChanged);
        dialogs.answers.enqueue(Dialogs::Answer::Yes);
        remove->click();
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs")), 3);
        QCOMPARE(changed.size(), 1);
        QVERIFY(jobs->isVisibleTo(&screen));
        const QStringList shown{jobs->text(),
                                child<QLineEdit>(screen, QStringLiteral("txtcosts"))->text(),
                                child<QLineEdit>(screen, QStringLiteral("txtheader"))->text(),
                                child<QLineEdit>(screen, QStringLiteral("txtlines"))->text()};
        QCOMPARE(shown, (QStringList{"3", "6", "3", "4"}));
        QCOMPARE(QDir(t.folder()).entryList({QStringLiteral("*.backup.mdb")}).size(), 1);

        screen.show();
        child<QPushButton>(screen, QStringLiteral("cmdexit1"))->click();
        QVERIFY(!screen.isVisible());
    }

    void transferScreenImportsAndListsRejections()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        frmtransfer screen(t.db(), dialogs);
        QCOMPARE(screen.windowTitle(), QStringLiteral("Export And Clear Tables"));
        auto* jobs = child<QPushButton>(screen, QStringLiteral("cmdtransfer"));

        jobs->click(); // the file dialog is cancelled
        QCOMPARE(dialogs.shown.at(0).kind, Kind::OpenFile);
        QCOMPARE(dialogs.shown.at(0).title, QStringLiteral("Import jobs from transfer file"));
        QCOMPARE(dialogs.shown.at(1).title, QStringLiteral("Export file"));
        QCOMPARE(dialogs.shown.at(1).text,
                 QStringLiteral("The import operation was cancelled.\r\n"));
        QCOMPARE(dialogs.beeps, 1);

        velmora::test::JobBytes good;
        velmora::test::JobBytes bad;
        bad.number = 2;
        bad.driver = 5;
        const QString path = t.folder() + QStringLiteral("/Jobs.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(velmora::test::jobSlot(good) + velmora::test::jobSlot(bad));
        file.close();
        dialogs.clear();
        dialogs.files.enqueue(path);
        jobs->click();
        QCOMPARE(dialogs.shown.last().kind, Kind::InformationList);
        QVERIFY(dialogs.shown.last().text.contains(QStringLiteral("1 records added")));
        QVERIFY(dialogs.shown.last().text.contains(QStringLiteral(".backup.mdb")));
        QCOMPARE(dialogs.lists.last().size(), 1);
        QVERIFY(dialogs.lists.last().first().contains(QStringLiteral("invalid driver number 5")));
        QCOMPARE(dialogs.busyDepth, 0);

        const QString accounts = t.folder() + QStringLiteral("/Accounts.txt");
        dialogs.files.enqueue(accounts);
        child<QPushButton>(screen, QStringLiteral("Command2"))->click();
        QCOMPARE(dialogs.shown.at(dialogs.shown.size() - 2).title,
                 QStringLiteral("Export Accounts To Transfer File"));
        QVERIFY(dialogs.shown.last().text.contains(QStringLiteral("0 records written to disk.")));
        QVERIFY(QFile::exists(accounts));

        screen.show();
        child<QAction>(screen, QStringLiteral("mnuexi"))->trigger();
        QVERIFY(!screen.isVisible());
    }
};

QTEST_MAIN(TestHousekeeping)
#include "test_housekeeping.moc"
