#include "data/audit.h"
#include "data/integrity.h"
#include "data/schema.h"
#include "data/sql.h"
#include "enginedatabase.h"
#include "postgresserver.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <atomic>
#include <ctime>
#include <thread>
#include <vector>

using velmora::test::EngineDatabase;
using velmora::test::PostgresServer;

using velmora::test::exec;

namespace {

const char* const kEngines[] = {"sqlite", "postgresql"};

// Every row of `sql`, its columns joined by "|", NULL shown as "-".
QStringList rows(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    QStringList found;
    if (!velmora::run(query, sql))
        return {QStringLiteral("failed: ") + query.lastError().text()};
    while (query.next()) {
        QStringList columns;
        for (int i = 0; i < query.record().count(); ++i)
            columns << (query.isNull(i) ? QStringLiteral("-") : query.value(i).toString());
        found << columns.join(u'|');
    }
    return found;
}

// The entries written: operator, table, key, job, before and after.
QStringList entries(QSqlDatabase& db)
{
    return rows(db, QStringLiteral("select operator_name, table_name, row_key, job, before_value, "
                                   "after_value from audit_trail order by seq"));
}

QString field(const QString& json, const char* name)
{
    return QJsonDocument::fromJson(json.toUtf8())
        .object()
        .value(QLatin1String(name))
        .toVariant()
        .toString();
}

// The schema, the trail started, a few rows and an empty trail.
void seed(QSqlDatabase& db)
{
    QString error;
    QVERIFY2(velmora::migrateSchema(db, &error) && velmora::startAuditTrail(db, &error),
             qPrintable(error));
    exec(db, QStringLiteral("insert into drivers (driver_id, driver_name) values (4, 'Ann')"));
    exec(db, QStringLiteral("insert into jobs (job_prefix, job_id, passenger_name) "
                            "values ('A', 51, 'Old')"));
    exec(db, QStringLiteral("insert into Costs (rowid, job_prefix, jobnumber, costtype, "
                            "income_expence, gross_cost) values (7, 'A', 51, 1, 'E', 120000)"));
    exec(db, QStringLiteral("insert into passwords (user_name, Password, security_level) "
                            "values ('Sue', 'hash-one', 'Boss')"));
    exec(db, QStringLiteral("delete from audit_trail"));
}

QString trailFault(QSqlDatabase& db)
{
    QString fault;
    QString error;
    if (!velmora::checkAuditTrail(db, &fault, &error))
        return QStringLiteral("error: ") + error;
    return fault;
}

} // namespace

class TestAudit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachChangeWritesOneEntry_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");

        for (int engine : {0, 1}) {
            QTest::addRow("%s: %s", kEngines[engine],
                          "job booked with its number given by the counter")
                << engine << "insert into jobs (passenger_name) values ('New')"
                << "jobs"
                << "A52"
                << "A52"
                << "passenger_name"
                << ""
                << "New";
            QTest::addRow("%s: %s", kEngines[engine], "job changed")
                << engine << "update jobs set passenger_name = 'Changed' where job_id = 51"
                << "jobs"
                << "A51"
                << "A51"
                << "passenger_name"
                << "Old"
                << "Changed";
            QTest::addRow("%s: %s", kEngines[engine], "payment line's amount changed")
                << engine << "update Costs set gross_cost = 150000 where rowid = 7"
                << "Costs"
                << "7"
                << "A51"
                << "gross_cost"
                << "120000"
                << "150000";
            QTest::addRow("%s: %s", kEngines[engine], "payment line deleted")
                << engine << "delete from Costs where rowid = 7"
                << "Costs"
                << "7"
                << "A51"
                << "gross_cost"
                << "120000"
                << "";
            QTest::addRow("%s: %s", kEngines[engine], "driver barred")
                << engine << "update drivers set barred = 1 where driver_id = 4"
                << "drivers"
                << "4"
                << "-"
                << "barred"
                << "0"
                << "1";
            QTest::addRow("%s: %s", kEngines[engine], "operator's level changed")
                << engine << "update passwords set security_level = 'Data Input'"
                << "passwords"
                << "Sue"
                << "-"
                << "security_level"
                << "Boss"
                << "Data Input";
            QTest::addRow("%s: %s", kEngines[engine], "password changed, never shown")
                << engine << "update passwords set Password = 'hash-two'"
                << "passwords"
                << "Sue"
                << "-"
                << "Password"
                << ""
                << "";
            QTest::addRow("%s: %s", kEngines[engine], "print settings")
                << engine << "update invoice_prints set invoice_copies = 3"
                << "invoice_prints"
                << "1"
                << "-"
                << "invoice_copies"
                << "1"
                << "3";
        }
    }

    void eachChangeWritesOneEntry()
    {
        QFETCH(QString, change);
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(QString, job);
        QFETCH(QString, column);
        QFETCH(QString, before);
        QFETCH(QString, after);
        VELMORA_EMPTY_DATABASE(firm, m_server);
        QSqlDatabase& db = firm.db();
        seed(db);
        QString error;
        QVERIFY(velmora::setAuditOperator(db, QStringLiteral("Sue"), &error));
        exec(db, change);
        const QStringList written = entries(db);
        QCOMPARE(written.size(), 1);
        const QStringList parts = written.front().split(u'|');
        QCOMPARE(parts.mid(0, 4), QStringList({QStringLiteral("Sue"), table, key, job}));
        QCOMPARE(field(parts[4], column.toLatin1().constData()), before);
        QCOMPARE(field(parts[5], column.toLatin1().constData()), after);
        QCOMPARE(trailFault(db), QString());
    }

    void anUnchangedRowWritesNothing_data() { EngineDatabase::addEngineRows(); }
    void anUnchangedRowWritesNothing()
    {
        VELMORA_EMPTY_DATABASE(firm, m_server);
        seed(firm.db());
        exec(firm.db(), QStringLiteral("update jobs set passenger_name = 'Old'"));
        QCOMPARE(entries(firm.db()), QStringList());
    }

    void aFailedSaveLeavesNeitherChangeNorEntry_data() { EngineDatabase::addEngineRows(); }
    void aFailedSaveLeavesNeitherChangeNorEntry()
    {
        VELMORA_EMPTY_DATABASE(firm, m_server);
        QSqlDatabase& db = firm.db();
        seed(db);
        {
            velmora::Transaction transaction(db);
            exec(db, QStringLiteral("update jobs set passenger_name = 'Lost' where job_id = 51"));
            QCOMPARE(entries(db).size(), 1);
        } // rolled back
        QCOMPARE(entries(db), QStringList());
        QCOMPARE(rows(db, QStringLiteral("select passenger_name from jobs")),
                 QStringList{QStringLiteral("Old")});
        exec(db, QStringLiteral("insert into vehicles (reg_no) values ('AB12CDE')"));
        QSqlQuery query(db);
        QVERIFY(!velmora::run(query,
                              QStringLiteral("insert into vehicles (reg_no) values ('AB12CDE')")));
        QCOMPARE(entries(db).size(), 1);
    }

    // Entries undone with a savepoint leave no gap: the next takes their place in the chain.
    void aSavepointRolledBackLeavesTheChainWhole_data() { EngineDatabase::addEngineRows(); }
    void aSavepointRolledBackLeavesTheChainWhole()
    {
        VELMORA_EMPTY_DATABASE(firm, m_server);
        QSqlDatabase& db = firm.db();
        seed(db);
        const QString rename = QStringLiteral("update jobs set passenger_name = ?");
        {
            velmora::Transaction transaction(db);
            exec(db, rename, {QStringLiteral("First")});
            exec(db, QStringLiteral("SAVEPOINT undone"));
            exec(db, rename, {QStringLiteral("Undone")});
            exec(db, QStringLiteral("ROLLBACK TO SAVEPOINT undone"));
            exec(db, rename, {QStringLiteral("Second")});
            QVERIFY(transaction.commit());
        }
        exec(db, rename, {QStringLiteral("Third")});
        QStringList names;
        for (const QString& after :
             rows(db, QStringLiteral("select after_value from audit_trail order by seq")))
            names << field(after, "passenger_name");
        QCOMPARE(names, (QStringList{"First", "Second", "Third"}));
        QCOMPARE(rows(db, QStringLiteral("select count(*), max(seq) from audit_trail")),
                 QStringList{QStringLiteral("3|3")});
        QCOMPARE(trailFault(db), QString());
    }

    void aRunWritesOneSummary_data() { EngineDatabase::addEngineRows(); }
    void aRunWritesOneSummary()
    {
        VELMORA_EMPTY_DATABASE(firm, m_server);
        QSqlDatabase& db = firm.db();
        seed(db);
        QString error;
        {
            const velmora::AuditPause pause(db);
            exec(db, QStringLiteral("update jobs set invoiced = 'Y'"));
            exec(db, QStringLiteral("delete from Costs"));
            QVERIFY(velmora::writeRunEntry(db, QStringLiteral("invoice run"), QStringLiteral("1-9"),
                                           {{QStringLiteral("invoices"), 1}}, &error));
        }
        exec(db, QStringLiteral("update drivers set barred = 1"));
        const QStringList written = entries(db);
        QCOMPARE(written.size(), 2);
        QVERIFY(written[0].contains(QLatin1String("|invoice run|1-9|-|-|{\"invoices\":1}")));
        QCOMPARE(trailFault(db), QString());
    }

    void theChainCatchesTampering_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("tamper");
        QTest::addColumn<QString>("fault");
        for (int engine : {0, 1}) {
            QTest::addRow("%s: %s", kEngines[engine], "edited")
                << engine
                << "update audit_trail set after_value = "
                   "replace(after_value, 'Old', 'Other') where seq = 2"
                << "Entry 2 of the audit trail was altered, or entries were "
                   "moved or inserted before it.";
            QTest::addRow("%s: %s", kEngines[engine], "deleted")
                << engine << "delete from audit_trail where seq = 2"
                << "The audit trail lacks entry 2: entries were removed.";
            QTest::addRow("%s: %s", kEngines[engine], "reordered")
                << engine
                << "update audit_trail set seq = 99 where seq = 2; "
                   "update audit_trail set seq = 2 where seq = 3; "
                   "update audit_trail set seq = 3 where seq = 99"
                << "Entry 2 of the audit trail was altered, or entries were moved or inserted "
                   "before it.";
            QTest::addRow("%s: %s", kEngines[engine], "removed and renumbered")
                << engine
                << "delete from audit_trail where seq = 2; "
                   "update audit_trail set seq = seq - 1 where seq > 2"
                << "Entry 2 of the audit trail was altered, or entries were moved or inserted "
                   "before it.";
        }
    }

    void theChainCatchesTampering()
    {
        QFETCH(QString, tamper);
        QFETCH(QString, fault);
        VELMORA_EMPTY_DATABASE(firm, m_server);
        QSqlDatabase& db = firm.db();
        seed(db);
        for (const char* name : {"One", "Old", "Two", "Three"})
            exec(db, QStringLiteral("update jobs set passenger_name = ?"), {QLatin1String(name)});
        QCOMPARE(trailFault(db), QString());
        for (const QString& statement : tamper.split(QStringLiteral("; ")))
            exec(db, statement);
        QCOMPARE(trailFault(db), fault);
        QStringList faults;
        QString error;
        QVERIFY(velmora::checkIntegrity(db, &faults, &error));
        QVERIFY(faults.contains(fault));
    }

    void entriesBearTheDesksLocalTime_data() { EngineDatabase::addEngineRows(); }
    void entriesBearTheDesksLocalTime()
    {
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Pacific/Kiritimati"); // 14 hours ahead of UTC
        tzset();
        VELMORA_EMPTY_DATABASE(firm, m_server);
        seed(firm.db());
        exec(firm.db(), QStringLiteral("update drivers set barred = 1"));
        const QDateTime at = QDateTime::fromString(
            rows(firm.db(), QStringLiteral("select changed_at from audit_trail")).value(0),
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const qint64 apart = at.secsTo(QDateTime::currentDateTime());
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        tzset();
        QVERIFY2(apart >= 0 && apart < 60, qPrintable(at.toString()));
    }

    // The same changes at the same moment by the same operator give the same entries, hash
    // and all, on a file and on a server.
    void bothEnginesWriteTheSameEntries()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        QStringList written[2];
        for (int engine : {0, 1}) {
            EngineDatabase firm(engine == 1 ? velmora::Engine::PostgreSQL : velmora::Engine::SQLite,
                                m_server);
            QVERIFY2(firm.db().isValid(), qPrintable(firm.problem()));
            QSqlDatabase& db = firm.db();
            seed(db);
            QString error;
            QVERIFY(velmora::setAuditOperator(db, QStringLiteral("Zoë"), &error));
            const velmora::AuditTime at(db, QDateTime(QDate(2026, 3, 4), QTime(9, 30)));
            exec(db, QStringLiteral("insert into jobs (passenger_name, address_from) "
                                    "values ('Mr \"Quote\" Ünal', 'Line\nTwo\\')"));
            exec(db, QStringLiteral("update Costs set gross_cost = 150000, description = NULL"));
            exec(db, QStringLiteral("update passwords set Password = 'hash-two'"));
            exec(db, QStringLiteral("delete from drivers"));
            QVERIFY(velmora::writeRunEntry(db, QStringLiteral("import"), QStringLiteral("x"),
                                           {{QStringLiteral("jobs"), 1}}, &error));
            written[engine] =
                rows(db, QStringLiteral("select seq, changed_at, operator_name, table_name, "
                                        "row_key, job, before_value, after_value, "
                                        "hash from audit_trail order by seq"));
            QCOMPARE(written[engine].size(), 5);
        }
        for (int i = 0; i < 5; ++i)
            QCOMPARE(written[1][i], written[0][i]);
    }

    // Desks appending at once make one whole chain of consecutive entries.
    void desksAppendingAtOnceMakeOneChain()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        EngineDatabase firm(velmora::Engine::PostgreSQL, m_server);
        QVERIFY2(firm.db().isValid(), qPrintable(firm.problem()));
        seed(firm.db());
        constexpr int kDesks = 4;
        constexpr int kChanges = 15;
        std::atomic<int> failures = 0;
        std::vector<std::thread> desks;
        for (int desk = 0; desk < kDesks; ++desk) {
            desks.emplace_back([&, desk] {
                const QString name = QStringLiteral("desk-%1").arg(desk);
                {
                    QSqlDatabase db = QSqlDatabase::cloneDatabase(firm.db().connectionName(), name);
                    QString error;
                    if (!db.open() || !velmora::startAuditTrail(db, &error))
                        failures += kChanges;
                    QSqlQuery query(db);
                    for (int change = 0; change < kChanges; ++change) {
                        velmora::Transaction transaction(db);
                        if (!velmora::run(
                                query, QStringLiteral("insert into vehicles (reg_no) values (?)"),
                                {QStringLiteral("%1-%2").arg(name).arg(change)}) ||
                            !transaction.commit())
                            ++failures;
                    }
                }
                QSqlDatabase::removeDatabase(name);
            });
        }
        for (std::thread& desk : desks)
            desk.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(rows(firm.db(), QStringLiteral("select count(*), max(seq) from audit_trail")),
                 QStringList{QStringLiteral("%1|%1").arg(kDesks * kChanges)});
        QCOMPARE(trailFault(firm.db()), QString());
    }

private:
    PostgresServer m_server;
};

QTEST_GUILESS_MAIN(TestAudit)
#include "test_audit.moc"
