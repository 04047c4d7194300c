#include "data/audit.h"
#include "data/integrity.h"
#include "data/sql.h"
#include "testdatabase.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using velmora::test::TestDatabase;

namespace {

// The one entry a change wrote: table, key, job, before and after, NULL shown as "-".
QStringList entries(TestDatabase& t)
{
    return t.rows(QStringLiteral("select operator_name, table_name, row_key, job, before_value, "
                                 "after_value from audit_trail order by seq"),
                  {}, QStringLiteral("-"));
}

QString field(const QString& json, const char* name)
{
    return QJsonDocument::fromJson(json.toUtf8())
        .object()
        .value(QLatin1String(name))
        .toVariant()
        .toString();
}

void seed(TestDatabase& t)
{
    t.exec(QStringLiteral("insert into drivers (driver_id, driver_name) values (4, 'Ann')"));
    t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, passenger_name) "
                          "values ('A', 51, 'Old')"));
    t.exec(QStringLiteral("insert into Costs (rowid, job_prefix, jobnumber, costtype, "
                          "income_expence, gross_cost) values (7, 'A', 51, 1, 'E', 120000)"));
    t.exec(QStringLiteral("insert into passwords (user_name, Password, security_level) "
                          "values ('Sue', 'hash-one', 'Boss')"));
    t.exec(QStringLiteral("delete from audit_trail"));
}

QString trailFault(TestDatabase& t)
{
    QString fault;
    QString error;
    if (!velmora::checkAuditTrail(t.db(), &fault, &error))
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
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");

        QTest::newRow("job booked with its number given by the counter")
            << "insert into jobs (passenger_name) values ('New')"
            << "jobs"
            << "A52"
            << "A52"
            << "passenger_name"
            << ""
            << "New";
        QTest::newRow("job changed")
            << "update jobs set passenger_name = 'Changed' where job_id = 51"
            << "jobs"
            << "A51"
            << "A51"
            << "passenger_name"
            << "Old"
            << "Changed";
        QTest::newRow("payment line's amount changed")
            << "update Costs set gross_cost = 150000 where rowid = 7"
            << "Costs"
            << "7"
            << "A51"
            << "gross_cost"
            << "120000"
            << "150000";
        QTest::newRow("payment line deleted") << "delete from Costs where rowid = 7"
                                              << "Costs"
                                              << "7"
                                              << "A51"
                                              << "gross_cost"
                                              << "120000"
                                              << "";
        QTest::newRow("driver barred") << "update drivers set barred = 1 where driver_id = 4"
                                       << "drivers"
                                       << "4"
                                       << "-"
                                       << "barred"
                                       << "0"
                                       << "1";
        QTest::newRow("operator's level changed")
            << "update passwords set security_level = 'Data Input'"
            << "passwords"
            << "Sue"
            << "-"
            << "security_level"
            << "Boss"
            << "Data Input";
        QTest::newRow("password changed, never shown")
            << "update passwords set Password = 'hash-two'"
            << "passwords"
            << "Sue"
            << "-"
            << "Password"
            << ""
            << "";
        QTest::newRow("print settings") << "update invoice_prints set invoice_copies = 3"
                                        << "invoice_prints"
                                        << "1"
                                        << "-"
                                        << "invoice_copies"
                                        << "1"
                                        << "3";
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
        TestDatabase t;
        seed(t);
        QString error;
        QVERIFY(velmora::setAuditOperator(t.db(), QStringLiteral("Sue"), &error));
        t.exec(change);
        const QStringList written = entries(t);
        QCOMPARE(written.size(), 1);
        const QStringList parts = written.front().split(u'|');
        QCOMPARE(parts.mid(0, 4), QStringList({QStringLiteral("Sue"), table, key, job}));
        QCOMPARE(field(parts[4], column.toLatin1().constData()), before);
        QCOMPARE(field(parts[5], column.toLatin1().constData()), after);
        QCOMPARE(trailFault(t), QString());
    }

    void anUnchangedRowWritesNothing()
    {
        TestDatabase t;
        seed(t);
        t.exec(QStringLiteral("update jobs set passenger_name = 'Old'"));
        QCOMPARE(entries(t), QStringList());
    }

    void aFailedSaveLeavesNeitherChangeNorEntry()
    {
        TestDatabase t;
        seed(t);
        {
            velmora::Transaction transaction(t.db());
            t.exec(QStringLiteral("update jobs set passenger_name = 'Lost' where job_id = 51"));
            QCOMPARE(entries(t).size(), 1);
        } // rolled back
        QCOMPARE(entries(t), QStringList());
        QCOMPARE(t.value(QStringLiteral("select passenger_name from jobs")).toString(),
                 QStringLiteral("Old"));
        t.exec(QStringLiteral("insert into vehicles (reg_no) values ('AB12CDE')"));
        QSqlQuery query(t.db());
        QVERIFY(!velmora::run(query,
                              QStringLiteral("insert into vehicles (reg_no) values ('AB12CDE')")));
        QCOMPARE(entries(t).size(), 1);
    }

    void aRunWritesOneSummary()
    {
        TestDatabase t;
        seed(t);
        QString error;
        {
            const velmora::AuditPause pause(t.db());
            t.exec(QStringLiteral("update jobs set invoiced = 'Y'"));
            t.exec(QStringLiteral("delete from Costs"));
            QVERIFY(velmora::writeRunEntry(t.db(), QStringLiteral("invoice run"),
                                           QStringLiteral("1-9"), {{QStringLiteral("invoices"), 1}},
                                           &error));
        }
        t.exec(QStringLiteral("update drivers set barred = 1"));
        const QStringList written = entries(t);
        QCOMPARE(written.size(), 2);
        QVERIFY(written[0].contains(QLatin1String("|invoice run|1-9|-|-|{\"invoices\":1}")));
        QCOMPARE(trailFault(t), QString());
    }

    void theChainCatchesTampering_data()
    {
        QTest::addColumn<QString>("tamper");
        QTest::addColumn<QString>("fault");
        QTest::newRow("edited") << "update audit_trail set after_value = "
                                   "replace(after_value, 'Old', 'Other') where seq = 2"
                                << "Entry 2 of the audit trail was altered, or entries were "
                                   "moved or inserted before it.";
        QTest::newRow("deleted") << "delete from audit_trail where seq = 2"
                                 << "The audit trail lacks entry 2: entries were removed.";
        QTest::newRow("reordered")
            << "update audit_trail set seq = 99 where seq = 2; "
               "update audit_trail set seq = 2 where seq = 3; "
               "update audit_trail set seq = 3 where seq = 99"
            << "Entry 2 of the audit trail was altered, or entries were moved or inserted "
               "before it.";
        QTest::newRow("removed and renumbered")
            << "delete from audit_trail where seq = 2; "
               "update audit_trail set seq = seq - 1 where seq > 2"
            << "Entry 2 of the audit trail was altered, or entries were moved or inserted "
               "before it.";
    }

    void theChainCatchesTampering()
    {
        QFETCH(QString, tamper);
        QFETCH(QString, fault);
        TestDatabase t;
        seed(t);
        for (const char* name : {"One", "Old", "Two", "Three"})
            t.exec(QStringLiteral("update jobs set passenger_name = ?"), {QLatin1String(name)});
        QCOMPARE(trailFault(t), QString());
        for (const QString& statement : tamper.split(QStringLiteral("; ")))
            t.exec(statement);
        QCOMPARE(trailFault(t), fault);
        QStringList faults;
        QString error;
        QVERIFY(velmora::checkIntegrity(t.db(), &faults, &error));
        QVERIFY(faults.contains(fault));
    }
};

QTEST_GUILESS_MAIN(TestAudit)
#include "test_audit.moc"
