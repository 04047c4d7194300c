#include "data/dialect.h"
#include "data/schema.h"
#include "data/schemastamp.h"
#include "data/sql.h"
#include "data/sqlitestatement.h"
#include "enginedatabase.h"
#include "postgresserver.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <sqlite3.h>

using velmora::test::EngineDatabase;
using velmora::test::PostgresServer;

using velmora::test::exec;

namespace {

// The first column of every row of `sql` with `values` bound, as text.
QStringList column(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    QStringList found;
    if (!velmora::run(query, sql, values))
        return {QStringLiteral("failed: ") + query.lastError().text()};
    while (query.next())
        found << query.value(0).toString();
    return found;
}

// "table.column kind" for every column of the schema's tables in an SQLite file, the kind
// the column's declared type (integer, text or real), and "text nocase" for text that
// compares without case; the full-text table and its own tables are SQLite's alone.
QStringList sqliteColumns(QSqlDatabase& db)
{
    QStringList found;
    for (const QString& table : column(
             db, QStringLiteral("select name from sqlite_master where type = 'table' and name "
                                "not like 'sqlite~_%' escape '~' and name not like 'jobs~_text%' "
                                "escape '~'"))) {
        QSqlQuery query(db);
        query.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
        while (query.next()) {
            const QString name = query.value(1).toString();
            const char* collation = nullptr;
            sqlite3_table_column_metadata(velmora::sqliteHandle(db), "main",
                                          table.toUtf8().constData(), name.toUtf8().constData(),
                                          nullptr, &collation, nullptr, nullptr, nullptr);
            const bool nocase = collation && qstricmp(collation, "NOCASE") == 0;
            found << QStringLiteral("%1.%2 %3%4")
                         .arg(table.toLower(), name.toLower(), query.value(2).toString().toLower(),
                              nocase ? QStringLiteral(" nocase") : QString());
        }
    }
    found.sort();
    return found;
}

// The same for a PostgreSQL database, leaving out each table's rowid, the table that
// carries the schema's version and the jobs' text table, which a file keeps as its index.
QStringList serverColumns(QSqlDatabase& db)
{
    QStringList found = column(db, QStringLiteral(R"(
        select c.table_name || '.' || lower(c.column_name) || ' ' ||
               case when c.data_type = 'bigint' then 'integer'
                    when c.data_type = 'double precision' then 'real'
                    when c.data_type = 'text' then 'text'
                    when c.udt_name = 'citext' then 'text nocase'
                    else c.data_type end
        from information_schema.columns c
        join information_schema.tables t
          on t.table_schema = c.table_schema and t.table_name = c.table_name
        where c.table_schema = current_schema() and t.table_type = 'BASE TABLE'
          and c.table_name not in ('database_header', 'jobs_text')
          and c.column_name <> 'rowid')"));
    found.sort();
    return found;
}

} // namespace

class TestSchemaEngines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void migratesAnEmptyDatabaseOnce_data() { EngineDatabase::addEngineRows(); }
    void migratesAnEmptyDatabaseOnce()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QString error;
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        exec(empty.db(), QStringLiteral("insert into drivers (driver_name) values ('Kept')"));
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        velmora::SchemaStamp stamp;
        QVERIFY(velmora::readSchemaStamp(empty.db(), &stamp, &error));
        QCOMPARE(stamp.version, velmora::currentSchemaVersion());
        QCOMPARE(stamp.applicationId, velmora::velmoraApplicationId());
        QCOMPARE(column(empty.db(), QStringLiteral("select driver_name from drivers")),
                 QStringList{QStringLiteral("Kept")});
    }

    // The date and number functions the report files use give a server's answers as
    // SQLite's, for stored dates and rates.
    void reportFunctionsAnswerAlike_data() { EngineDatabase::addEngineRows(); }
    void reportFunctionsAnswerAlike()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QString error;
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        const QString sql = QStringLiteral(
            "select case when julianday('2027-01-01') - julianday('2026-12-31') = 1 and "
            "julianday('2026-12-08') - "
            "julianday(substr('2026-11-08 10:00', 1, 10)) = 30 then 'days' end || '|' || "
            "date('2026-01-31', '+' || 30 || ' days') || '|' || "
            "date('2028-02-28', '+1 days') || '|' || printf('%g', 175000 / 10000.0) || '|' || "
            "printf('%g', 200000 / 10000.0) || '|' || printf('%g', 12345 / 10000.0)");
        QCOMPARE(column(empty.db(), sql),
                 QStringList{QStringLiteral("days|2026-03-02|2028-02-29|17.5|20|1.2345")});
    }

    void refusesANewerSchema_data() { EngineDatabase::addEngineRows(); }
    void refusesANewerSchema()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        const int newer = velmora::currentSchemaVersion() + 1;
        QString error;
        QVERIFY(velmora::writeSchemaStamp(empty.db(), newer, &error));
        QVERIFY(!velmora::migrateSchema(empty.db(), &error));
        QVERIFY2(error.contains(QStringLiteral("newer version")), qPrintable(error));
        velmora::SchemaStamp stamp;
        QVERIFY(velmora::readSchemaStamp(empty.db(), &stamp, &error));
        QCOMPARE(stamp.version, newer);
    }

    // A migration that fails part way (a table of a late migration is there already)
    // leaves the database as it was: every migration runs in one transaction.
    void aFailedMigrationLeavesNothing_data() { EngineDatabase::addEngineRows(); }
    void aFailedMigrationLeavesNothing()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QSqlQuery create(empty.db());
        QVERIFY(velmora::execute(create, QStringLiteral("CREATE TABLE vat_return (line INTEGER)")));
        QString error;
        QVERIFY(!velmora::migrateSchema(empty.db(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!empty.db().tables().contains(QStringLiteral("jobs"), Qt::CaseInsensitive));
        velmora::SchemaStamp stamp;
        QVERIFY(velmora::readSchemaStamp(empty.db(), &stamp, &error));
        QCOMPARE(stamp.version, 0);
    }

    // The server's tables hold the columns an SQLite file's do, of the same kinds, so a
    // migration PostgreSQL does not follow fails here.
    void serverTablesMatchTheFile()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        EngineDatabase file(velmora::Engine::SQLite, m_server);
        EngineDatabase server(velmora::Engine::PostgreSQL, m_server);
        QVERIFY2(server.db().isValid(), qPrintable(server.problem()));
        QString error;
        QVERIFY2(velmora::migrateSchema(file.db(), &error), qPrintable(error));
        QVERIFY2(velmora::migrateSchema(server.db(), &error), qPrintable(error));
        const QStringList expected = sqliteColumns(file.db());
        QVERIFY(expected.size() > 200);
        QVERIFY(expected.contains(QStringLiteral("jobs.passenger_name text nocase")));
        QVERIFY(expected.contains(QStringLiteral("passwords.password text")));
        QCOMPARE(serverColumns(server.db()), expected);
        QCOMPARE(column(server.db(),
                        QStringLiteral("select table_name from information_schema.tables t "
                                       "where table_schema = current_schema() and "
                                       "table_type = 'BASE TABLE' and table_name <> "
                                       "'database_header' and not exists (select 1 from "
                                       "information_schema.columns c where c.table_schema = "
                                       "t.table_schema and c.table_name = t.table_name and "
                                       "c.column_name = 'rowid')")),
                 QStringList());
    }

    // The counter numbers a job inserted without a number; one brought with its own number
    // moves the counter past it; a removed job's number is never handed out again.
    void jobsAreNumberedByTheCounter_data() { EngineDatabase::addEngineRows(); }
    void jobsAreNumberedByTheCounter()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QString error;
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        const QString book = QStringLiteral("insert into jobs (job_prefix, passenger_name) "
                                            "values (?, ?)");
        const QString bring = QStringLiteral("insert into jobs (job_prefix, job_id, "
                                             "passenger_name) values (?, ?, ?)");
        exec(empty.db(), book, {QStringLiteral("A"), QStringLiteral("first")});
        exec(empty.db(), book, {QStringLiteral("B"), QStringLiteral("second")});
        exec(empty.db(), bring, {QStringLiteral("A"), 500, QStringLiteral("brought")});
        exec(empty.db(), book, {QStringLiteral("A"), QStringLiteral("after")});
        exec(empty.db(), QStringLiteral("delete from jobs where job_id = 501"));
        exec(empty.db(), book, {QStringLiteral("A"), QStringLiteral("last")});
        QCOMPARE(column(empty.db(), QStringLiteral("select job_prefix || job_id || ' ' || "
                                                   "passenger_name from jobs order by rowid")),
                 (QStringList{QStringLiteral("A1 first"), QStringLiteral("B2 second"),
                              QStringLiteral("A500 brought"), QStringLiteral("A502 last")}));
        const QStringList rows = column(empty.db(), QStringLiteral("select rowid from jobs "
                                                                   "order by rowid"));
        QCOMPARE(column(empty.db(), QStringLiteral("select job_id from jobs where rowid = ?"),
                        {rows.value(2)}),
                 QStringList{QStringLiteral("500")});
    }

    // A new row's rowid, read back as the program adds jobs, addresses and types: the
    // table's integer key where it has one, the row found by it where it has none.
    void insertedRowsAreReadBack_data() { EngineDatabase::addEngineRows(); }
    void insertedRowsAreReadBack()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QString error;
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        QSqlQuery query(empty.db());
        exec(empty.db(), QStringLiteral("insert into addresses (address_id, address_line1) "
                                        "values (40, 'brought')"));
        const auto address = velmora::insertRow(
            query, QStringLiteral("insert into addresses (address_line1) values (?)"),
            {QStringLiteral("new")}, &error);
        QCOMPARE(address.value_or(-1), 41);
        exec(empty.db(), QStringLiteral("insert into jobs (job_prefix, passenger_name) "
                                        "values ('A', 'first')"));
        const auto job = velmora::insertRow(
            query, QStringLiteral("insert into jobs (job_prefix, passenger_name) values (?, ?)"),
            {QStringLiteral("A"), QStringLiteral("second")}, &error);
        QVERIFY2(job, qPrintable(error));
        QCOMPARE(column(empty.db(),
                        QStringLiteral("select passenger_name from jobs where rowid = ?"), {*job}),
                 QStringList{QStringLiteral("second")});
        QVERIFY(!velmora::insertRow(
            query, QStringLiteral("insert into no_such_table (a) values (?)"), {1}, &error));
        QVERIFY(!error.isEmpty());
    }

    // A row without a key takes the next one past the highest any row brought, in tables
    // keyed by an INTEGER PRIMARY KEY with and without AUTOINCREMENT.
    void keysGoPastThoseBrought_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("other");
        for (int engine : {0, 1}) {
            const auto row = [engine](const char* table, const char* key, const char* other) {
                QTest::addRow("%s %s", engine == 0 ? "sqlite" : "postgresql", table)
                    << engine << QString::fromLatin1(table) << QString::fromLatin1(key)
                    << QString::fromLatin1(other);
            };
            row("accounts", "account_id", "account_name");
            row("operational_cost", "opcost_id", "opcost_Date");
            row("invoice_header", "invoice_no", "date");
        }
    }
    void keysGoPastThoseBrought()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(QString, other);
        QString error;
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        const QString bring = QStringLiteral("insert into %1 (%2, %3) values (?, 'x')");
        const QString add = QStringLiteral("insert into %1 (%2) values ('y')");
        exec(empty.db(), bring.arg(table, key, other), {1});
        exec(empty.db(), add.arg(table, other));
        exec(empty.db(), bring.arg(table, key, other), {40});
        exec(empty.db(), add.arg(table, other));
        QCOMPARE(
            column(empty.db(), QStringLiteral("select %1 from %2 order by %1").arg(key, table)),
            (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("40"),
                         QStringLiteral("41")}));
    }

    // Text compares and matches without case, and the search of names and places by any
    // part of them finds its job by rowid, on either engine; rows keep their order by rowid.
    void textAndRowsBehaveAlike_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("expected");
        const QStringList zanetti{QStringLiteral("Anna Zanetti")};
        const QStringList both{QStringLiteral("Anna Zanetti"), QStringLiteral("Bob Smith")};
        for (int engine : {0, 1}) {
            const auto row = [engine](const char* name, const char* sql, const char* value,
                                      const QStringList& expected) {
                QTest::addRow("%s %s", engine == 0 ? "sqlite" : "postgresql", name)
                    << engine << QString::fromLatin1(sql) << QString::fromLatin1(value) << expected;
            };
            row("equal", "select driver_name from drivers where driver_name = ?", "ANNA ZANETTI",
                zanetti);
            row("like", "select driver_name from drivers where driver_name like ?", "%zAN%",
                zanetti);
            row("in order", "select driver_name from drivers order by driver_name", "", both);
            row("search",
                "select passenger_name from jobs where rowid in (select rowid from "
                "jobs_text where passenger_name like ?)",
                "%ZANET%", zanetti);
            row("receipt types by rowid", "select paymenttype from receipt_types order by rowid",
                "", {"Cash", "Card"});
        }
    }
    void textAndRowsBehaveAlike()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QString error;
        QVERIFY2(velmora::migrateSchema(empty.db(), &error), qPrintable(error));
        for (const char* name : {"Bob Smith", "Anna Zanetti"}) {
            exec(empty.db(), QStringLiteral("insert into drivers (driver_name) values (?)"),
                 {QString::fromLatin1(name)});
            exec(empty.db(), QStringLiteral("insert into jobs (passenger_name) values (?)"),
                 {QString::fromLatin1(name)});
        }
        exec(empty.db(), QStringLiteral("insert into receipt_types (receipttypeid, paymenttype) "
                                        "values (7, 'Card'), (3, 'Cash')"));
        QFETCH(QString, sql);
        QFETCH(QString, value);
        QFETCH(QStringList, expected);
        QCOMPARE(column(empty.db(), sql, value.isEmpty() ? QVariantList() : QVariantList{value}),
                 expected);
    }

private:
    PostgresServer m_server;
};

QTEST_GUILESS_MAIN(TestSchemaEngines)
#include "test_schemaengines.moc"
