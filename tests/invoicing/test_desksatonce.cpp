#include "data/runlock.h"
#include "data/schema.h"
#include "data/sql.h"
#include "enginedatabase.h"
#include "exchange/invoiceremoval.h"
#include "invoicing/invoicerun.h"
#include "jobs/jobrecord.h"
#include "payroll/driverpay.h"
#include "postgresserver.h"
#include "reference/accounts.h"
#include "reference/vehicles.h"

#include <QSet>
#include <QSqlQuery>
#include <QTest>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using velmora::RowSave;
using velmora::RunKind;
using velmora::test::EngineDatabase;
using velmora::test::PostgresServer;

using velmora::test::exec;

namespace {

QVariant value(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    return velmora::run(query, sql) && query.next() ? query.value(0) : QVariant();
}

// The schema, account 12 and driver 7 with their addresses, vehicle AB12 CDE, and account
// job A51 with one receipt line.
void seed(QSqlDatabase& db)
{
    QString error;
    QVERIFY2(velmora::migrateSchema(db, &error), qPrintable(error));
    exec(db, QStringLiteral("insert into addresses (address_id, address_line1) values (1, 'One'), "
                            "(2, 'Two')"));
    exec(db, QStringLiteral("insert into accounts (account_id, address_id, account_name) "
                            "values (12, 1, 'Acme')"));
    exec(db, QStringLiteral("insert into drivers (driver_id, address_id, driver_name) "
                            "values (7, 2, 'Ann')"));
    exec(db, QStringLiteral("insert into vehicles (reg_no, policy) values ('AB12 CDE', 'P1')"));
    exec(db, QStringLiteral("insert into jobs (job_prefix, job_id, date, time, passenger_name, "
                            "account_no, invoiced) values ('A', 51, '2026-03-04', '09:30:00', "
                            "'Old', 12, 'N')"));
    exec(db, QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, income_expence, "
                            "gross_cost, net_cost) values ('A', 51, 1, 'I', 100000, 100000)"));
}

std::optional<RowSave> saved(std::optional<qint64> id, bool changedElsewhere)
{
    if (changedElsewhere)
        return RowSave::ChangedElsewhere;
    return id ? std::optional<RowSave>(RowSave::Saved) : std::nullopt;
}

// A record's screen at one desk: it has read the record and saves `text` into it.
using Save = std::function<std::optional<RowSave>(const QString& text, QString* error)>;

// A record as two desks see it: how a screen reads it, and the statement that reads its
// saved text and the stamp of its change.
struct Record
{
    const char* name;
    const char* stored;
    std::function<Save(QSqlDatabase&)> read;
};

const Record kRecords[] = {
    {"Job A51", "select passenger_name, row_changed_at from jobs",
     [](QSqlDatabase& db) -> Save {
         std::optional<velmora::LoadedJob> job;
         QString error;
         if (!velmora::loadJob(db, {QStringLiteral("A"), 51}, &job, &error) || !job)
             return {};
         return [&db, job](const QString& text, QString* error) {
             velmora::JobRecord record;
             record.date = job->date;
             record.time = QStringLiteral("09:30");
             record.passenger = text;
             record.account = 12;
             record.onAccount = true;
             return velmora::updateJob(db, job->key, record, job->version, error);
         };
     }},
    {"Account 12", "select contact_name, row_changed_at from accounts",
     [](QSqlDatabase& db) -> Save {
         QString error;
         const auto account = velmora::findAccountById(db, 12, &error);
         if (!account)
             return {};
         return [&db, account](const QString& text, QString* error) {
             velmora::AccountRecord changed = *account;
             changed.contact = text;
             bool elsewhere = false;
             const auto id = velmora::saveAccount(db, changed, error, &elsewhere);
             return saved(id, elsewhere);
         };
     }},
    {"Vehicle AB12 CDE", "select policy, row_changed_at from vehicles",
     [](QSqlDatabase& db) -> Save {
         QString error;
         const auto vehicle = velmora::findVehicle(db, QStringLiteral("AB12 CDE"), &error);
         if (!vehicle)
             return {};
         return [&db, vehicle](const QString& text, QString* error) {
             velmora::VehicleRecord changed = *vehicle;
             changed.policy = text;
             return velmora::saveVehicle(db, changed, QDate::currentDate(), error);
         };
     }},
};

// Runs `work` at `count` desks at once, each on a connection of its own to `db`.
void atDesks(const QSqlDatabase& db, int count, const std::function<void(QSqlDatabase&, int)>& work)
{
    std::vector<std::thread> desks;
    for (int desk = 0; desk < count; ++desk) {
        desks.emplace_back([&, desk] {
            const QString name = QStringLiteral("desk-%1").arg(desk);
            {
                QSqlDatabase own = QSqlDatabase::cloneDatabase(db.connectionName(), name);
                if (own.open())
                    work(own, desk);
            }
            QSqlDatabase::removeDatabase(name);
        });
    }
    for (std::thread& desk : desks)
        desk.join();
}

} // namespace

class TestDesksAtOnce : public QObject
{
    Q_OBJECT

private slots:
    // Two desks read the same record and both save: the first is kept, the second is
    // refused, naming the record and when the first was saved.
    void theSecondSaveOfARecordIsRefused_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("record");
        for (int engine : {0, 1}) {
            for (int record = 0; record < int(std::size(kRecords)); ++record)
                QTest::addRow("%s %s", engine ? "postgresql" : "sqlite", kRecords[record].name)
                    << engine << record;
        }
    }
    void theSecondSaveOfARecordIsRefused()
    {
        VELMORA_EMPTY_DATABASE(firm, m_server);
        QFETCH(int, record);
        const Record& row = kRecords[record];
        QSqlDatabase& first = firm.db();
        seed(first);
        QSqlDatabase second = QSqlDatabase::cloneDatabase(first, QStringLiteral("second desk"));
        QVERIFY(second.open());
        const Save atFirst = row.read(first);
        const Save atSecond = row.read(second);
        QVERIFY(atFirst && atSecond);
        QString error;
        QCOMPARE(atFirst(QStringLiteral("First"), &error), RowSave::Saved);
        QCOMPARE(atSecond(QStringLiteral("Second"), &error), RowSave::ChangedElsewhere);
        QSqlQuery stored(first);
        QVERIFY(velmora::run(stored, QString::fromLatin1(row.stored)) && stored.next());
        QCOMPARE(stored.value(0).toString(), QStringLiteral("First"));
        QCOMPARE(error,
                 QStringLiteral("%1 was changed at another desk at %2; your changes were "
                                "not saved")
                     .arg(QString::fromLatin1(row.name), stored.value(1).toString().mid(11, 5)));
        stored.finish();
        second.close();
        second = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("second desk"));
    }

    // Eight desks booking at once get different job numbers.
    void desksBookingAtOnceGetDistinctNumbers()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        EngineDatabase firm(velmora::Engine::PostgreSQL, m_server);
        QVERIFY2(firm.db().isValid(), qPrintable(firm.problem()));
        seed(firm.db());
        constexpr int kDesks = 8;
        constexpr int kBookings = 10;
        std::mutex guard;
        QList<qint64> numbers;
        std::atomic<int> failures = 0;
        atDesks(firm.db(), kDesks, [&](QSqlDatabase& db, int) {
            velmora::JobRecord job;
            job.date = QDate(2026, 3, 4);
            job.time = QStringLiteral("10:00");
            for (int booking = 0; booking < kBookings; ++booking) {
                QString error;
                const auto number = velmora::addJob(db, QStringLiteral("A"), job, &error);
                const std::lock_guard lock(guard);
                if (number)
                    numbers.append(*number);
                else
                    ++failures;
            }
        });
        QCOMPARE(failures.load(), 0);
        QCOMPARE(QSet<qint64>(numbers.begin(), numbers.end()).size(), kDesks * kBookings);
        QVERIFY(!numbers.contains(51));
    }

    // Invoice runs started at once at four desks bill each job once: one runs, the others
    // are refused while it does.
    void invoiceRunsStartedAtOnceBillEachJobOnce()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        EngineDatabase firm(velmora::Engine::PostgreSQL, m_server);
        QVERIFY2(firm.db().isValid(), qPrintable(firm.problem()));
        seed(firm.db());
        for (int job = 52; job < 252; ++job) {
            exec(firm.db(),
                 QStringLiteral("insert into jobs (job_prefix, job_id, account_no, invoiced) "
                                "values ('A', ?, 12, 'N')"),
                 {job});
            exec(firm.db(),
                 QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, "
                                "income_expence, gross_cost, net_cost) "
                                "values ('A', ?, 1, 'I', 10000, 10000)"),
                 {job});
        }
        std::atomic<int> invoices = 0;
        std::atomic<int> unexpected = 0;
        atDesks(firm.db(), 4, [&](QSqlDatabase& db, int) {
            velmora::InvoiceRunResult result;
            QString error;
            if (velmora::runInvoices(db, {12, 12}, &result, &error))
                invoices += int(result.invoices);
            else if (error != QLatin1String("The invoice run is already running at another desk"))
                ++unexpected;
        });
        QCOMPARE(unexpected.load(), 0);
        QCOMPARE(invoices.load(), 1);
        QCOMPARE(value(firm.db(), QStringLiteral("select count(*) || ' ' || count(distinct "
                                                 "job_id) from invoice_line")),
                 QVariant(QStringLiteral("201 201")));
    }

    // A run, import or removal is refused while another desk holds a lock that bars it, and
    // runs under its own desk's lock.
    void workIsRefusedWhileAnotherDeskHoldsItsLock_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("work");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("sameDesk"); // held on the working desk's own connection
        const QString exchange =
            QStringLiteral("An import, a removal or a run is already running at another desk");
        QTest::newRow("invoice run") << int(RunKind::Invoices) << int(RunKind::Invoices)
                                     << QStringLiteral("The invoice run is already running at "
                                                       "another desk")
                                     << false;
        // The invoice screen takes the lock before its run does.
        QTest::newRow("the desk's own lock")
            << int(RunKind::Invoices) << int(RunKind::Invoices) << QString() << true;
        QTest::newRow("driver payment run")
            << int(RunKind::DriverPay) << int(RunKind::DriverPay)
            << QStringLiteral("The driver payment run is already running at another desk") << false;
        QTest::newRow("an import holds off the invoice run")
            << int(RunKind::Exchange) << int(RunKind::Invoices) << exchange << false;
        QTest::newRow("a run holds off a removal")
            << int(RunKind::Invoices) << int(RunKind::Exchange) << exchange << false;
        QTest::newRow("the two runs go side by side")
            << int(RunKind::Invoices) << int(RunKind::DriverPay) << QString() << false;
    }
    void workIsRefusedWhileAnotherDeskHoldsItsLock()
    {
        QFETCH(int, held);
        QFETCH(int, work);
        QFETCH(QString, refusal);
        QFETCH(bool, sameDesk);
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        EngineDatabase firm(velmora::Engine::PostgreSQL, m_server);
        QVERIFY2(firm.db().isValid(), qPrintable(firm.problem()));
        seed(firm.db());
        QSqlDatabase other = QSqlDatabase::cloneDatabase(firm.db(), QStringLiteral("other desk"));
        QVERIFY(other.open());
        QString error;
        bool done = false;
        bool elsewhere = false; // a run's refusal is told as the other desk's, not as a fault
        {
            const velmora::RunLock lock(sameDesk ? firm.db() : other, RunKind(held));
            QVERIFY(lock.held(&error));
            QSqlDatabase& db = firm.db();
            switch (RunKind(work)) {
            case RunKind::Invoices: {
                velmora::InvoiceRunResult result;
                done = velmora::runInvoices(db, {12, 12}, &result, &error);
                elsewhere = result.elsewhere;
                break;
            }
            case RunKind::DriverPay:
                done = velmora::calculateDriverPay(db, {7, 7, {}}, &error, &elsewhere).has_value();
                break;
            case RunKind::Exchange:
                done = velmora::exchange::removeOldInvoices(db, 1, &error).has_value();
                break;
            }
        }
        QCOMPARE(done, refusal.isEmpty());
        QCOMPARE(error, refusal);
        if (RunKind(work) != RunKind::Exchange)
            QCOMPARE(elsewhere, !refusal.isEmpty());
        {
            // Every lock let go: an import, which every lock bars, may start.
            const velmora::RunLock after(other, RunKind::Exchange);
            QVERIFY(after.held(&error));
        }
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other desk"));
    }

private:
    PostgresServer m_server;
};

QTEST_GUILESS_MAIN(TestDesksAtOnce)
#include "test_desksatonce.moc"
