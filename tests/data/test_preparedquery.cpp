#include "data/database.h"
#include "data/preparedquery.h"
#include "data/sql.h"
#include "testdatabase.h"

#include <QSqlResult>
#include <QTest>

using velmora::PreparedQuery;
using velmora::test::TestDatabase;

namespace {

const QString kNames = QStringLiteral("select vehicledescription from vehicle_types "
                                      "where vehicletypeid >= ? order by vehicletypeid");

// The SQLite statement under a query.
const void* statementOf(QSqlQuery& query)
{
    const QVariant handle = query.result()->handle();
    return *static_cast<void* const*>(handle.constData());
}

QStringList names(QSqlQuery& query)
{
    QStringList all;
    while (query.next())
        all.append(query.value(0).toString());
    return all;
}

} // namespace

class TestPreparedQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void preparedOnceAndRunAgain()
    {
        TestDatabase t;
        t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addVehicleType(QStringLiteral("Estate Car"));
        QString error;
        const void* first = nullptr;
        {
            PreparedQuery query(t.db(), kNames);
            QVERIFY2(query.run({1}, &error), qPrintable(error));
            QCOMPARE(names(query.query()), (QStringList{"Saloon Car", "Estate Car"}));
            first = statementOf(query.query());
        }
        PreparedQuery again(t.db(), kNames);
        QVERIFY(again.run({2}, &error));
        QCOMPARE(names(again.query()), QStringList{"Estate Car"});
        QCOMPARE(statementOf(again.query()), first);
    }

    void aRunInsideAnothersRowsHasItsOwnCopy()
    {
        TestDatabase t;
        t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addVehicleType(QStringLiteral("Estate Car"));
        QString error;
        PreparedQuery outer(t.db(), kNames);
        QVERIFY(outer.run({1}, &error));
        QVERIFY(outer.query().next());
        {
            PreparedQuery inner(t.db(), kNames);
            QVERIFY(inner.run({2}, &error));
            QCOMPARE(names(inner.query()), QStringList{"Estate Car"});
            QVERIFY(statementOf(inner.query()) != statementOf(outer.query()));
        }
        QCOMPARE(outer.query().value(0).toString(), QStringLiteral("Saloon Car"));
        QCOMPARE(names(outer.query()), QStringList{"Estate Car"});
    }

    void rowsLeftUnreadDoNotHoldTheFile()
    {
        TestDatabase t;
        t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addVehicleType(QStringLiteral("Estate Car"));
        QString error;
        {
            PreparedQuery query(t.db(), kNames);
            QVERIFY(query.run({1}, &error));
            QVERIFY(query.query().next());
        }
        {
            QSqlDatabase other = velmora::openDatabase(t.path(), QStringLiteral("other"), &error);
            QVERIFY2(other.isValid(), qPrintable(error));
            QSqlQuery write(other);
            QVERIFY2(velmora::run(write, QStringLiteral("delete from vehicle_types"), {}, &error),
                     qPrintable(error));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from vehicle_types")).toInt(), 0);
    }

    void preparedAgainAfterTheConnectionReopens()
    {
        TestDatabase t;
        t.addVehicleType(QStringLiteral("Saloon Car"));
        QString error;
        {
            PreparedQuery query(t.db(), kNames);
            QVERIFY(query.run({1}, &error));
        }
        t.db().close();
        QVERIFY(t.db().open());
        PreparedQuery query(t.db(), kNames);
        QVERIFY2(query.run({1}, &error), qPrintable(error));
        QCOMPARE(names(query.query()), QStringList{"Saloon Car"});
    }

    void saysWhatFailed()
    {
        TestDatabase t;
        PreparedQuery query(t.db(), QStringLiteral("select missing from nowhere"));
        QString error;
        QVERIFY(!query.run({}, &error));
        QVERIFY2(error.contains(QLatin1String("nowhere")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestPreparedQuery)
#include "test_preparedquery.moc"
