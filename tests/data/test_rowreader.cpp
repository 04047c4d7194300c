// The reader of the screens' hot reads and the imports' writes, and the read-only hold of
// reports, alike on an SQLite file and on a server.
#include "data/readonly.h"
#include "data/rowreader.h"
#include "data/sql.h"
#include "data/sqliteguard.h"
#include "enginedatabase.h"
#include "postgresserver.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <tuple>

using velmora::RowReader;
using velmora::test::EngineDatabase;
using velmora::test::PostgresServer;

using velmora::test::exec;

namespace {

// The rows of `reader` run with `values`, each value as the reader gives it.
QStringList readAll(RowReader& reader, const QVariantList& values, int columns)
{
    QString error;
    if (!reader.run(values, &error))
        return {QStringLiteral("failed: ") + error};
    QStringList rows;
    while (reader.next(&error)) {
        QStringList row;
        for (int column = 0; column < columns; ++column)
            row << (reader.isNull(column) ? QStringLiteral("NULL")
                                          : QString::fromUtf8(reader.utf8(column)));
        rows << row.join(u'|');
    }
    if (!error.isEmpty())
        rows << QStringLiteral("failed: ") + error;
    return rows;
}

} // namespace

class TestRowReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndWritesAlike_data() { EngineDatabase::addEngineRows(); }
    void readsAndWritesAlike()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QSqlDatabase& db = empty.db();
        exec(db, QStringLiteral("create table t (n bigint, s text, d text)"));
        {
            // Written a bound value at a time, as the imports write; an empty text stays
            // empty text, and a text a NULL.
            RowReader insert(db, QStringLiteral("insert into t (n, s, d) values (?, ?, ?)"));
            QString error;
            const struct
            {
                qint64 n;
                QByteArray s;
                QByteArray d;
            } rows[] = {{1, "Zoë Brontë", "2026-12-08"}, {2, "", "not a date"}};
            for (const auto& row : rows) {
                QVERIFY2(insert.start(&error), qPrintable(error));
                insert.bind(1, row.n);
                insert.bind(2, QByteArrayView(row.s));
                insert.bind(3, QByteArrayView(row.d));
                QVERIFY(!insert.next(&error));
                QVERIFY2(error.isEmpty(), qPrintable(error));
            }
            QVERIFY2(insert.run({3, QVariant(), QStringLiteral("2027-01-31")}, &error),
                     qPrintable(error));
            QVERIFY(!insert.next(&error));
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        RowReader select(db, QStringLiteral("select n, s, d from t where n >= ? order by n"));
        QCOMPARE(readAll(select, {1}, 3), (QStringList{QStringLiteral("1|Zoë Brontë|2026-12-08"),
                                                       QStringLiteral("2||not a date"),
                                                       QStringLiteral("3|NULL|2027-01-31")}));
        // Prepared once, run again with another value.
        QCOMPARE(readAll(select, {3}, 3), QStringList{QStringLiteral("3|NULL|2027-01-31")});
        QString error;
        QVERIFY(select.run({1}, &error));
        QList<QDate> dates;
        qint64 sum = 0;
        while (select.next(&error)) {
            dates << select.date(2);
            sum += select.integer(0);
        }
        QCOMPARE(dates, (QList<QDate>{QDate(2026, 12, 8), QDate(), QDate(2027, 1, 31)}));
        QCOMPARE(sum, 6);
    }

    // One run's rows are read while other statements, and a transaction that writes, run on
    // the connection between them, as the ledger reads an invoice's lines and a search's
    // batches wait between screens; read whole or in batches (past a server's first batch).
    void readsBesideOtherStatements_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("rows");
        for (const auto& [name, engine, rows] : {std::tuple{"sqlite", 0, RowReader::Whole},
                                                 {"sqlite batches", 0, RowReader::InBatches},
                                                 {"postgresql", 1, RowReader::Whole},
                                                 {"postgresql batches", 1, RowReader::InBatches}})
            QTest::newRow(name) << engine << int{rows};
    }
    void readsBesideOtherStatements()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QFETCH(int, rows);
        QSqlDatabase& db = empty.db();
        exec(db, QStringLiteral("create table t (n bigint)"));
        exec(db, QStringLiteral("create table written (n bigint)"));
        for (int n = 1; n <= 600; ++n)
            exec(db, QStringLiteral("insert into t (n) values (?)"), {n});
        RowReader outer(db, QStringLiteral("select n from t order by n"),
                        static_cast<RowReader::Rows>(rows));
        RowReader inner(db, QStringLiteral("select count(*) from t where n <= ?"));
        QString error;
        QVERIFY(outer.run({}, &error));
        qint64 seen = 0;
        while (outer.next(&error)) {
            const qint64 n = outer.integer(0);
            QSqlQuery other(db);
            QVERIFY(other.exec(QStringLiteral("select 1")));
            QVERIFY(inner.run({n}, &error) && inner.next(&error));
            QCOMPARE(inner.integer(0), n);
            if (n % 250 == 0) {
                // The new rows are not among those read: a run reads the rows as they were.
                QVERIFY(db.transaction());
                exec(db, QStringLiteral("insert into written (n) values (?)"), {n});
                exec(db, QStringLiteral("insert into t (n) values (?)"), {n + 1000});
                QVERIFY(db.commit());
            }
            QCOMPARE(n, ++seen);
        }
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(seen, 600);
        QSqlQuery written(db);
        QVERIFY(written.exec(QStringLiteral("select count(*) from written")) && written.next());
        QCOMPARE(written.value(0).toLongLong(), 2);
    }

    void reportsAFailure_data() { EngineDatabase::addEngineRows(); }
    void reportsAFailure()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QSqlDatabase& db = empty.db();
        RowReader missing(empty.db(), QStringLiteral("select n from no_such_table"));
        QString error;
        QVERIFY(!missing.run({}, &error) || !missing.next(&error));
        QVERIFY2(error.contains(QLatin1String("no_such_table")), qPrintable(error));
        // The connection works on.
        exec(db, QStringLiteral("create table t (n bigint)"));
    }

    // The parts of a union all come one after the other, each in its own order, as the work
    // lists read them, even where a server's planner would share the parts among workers.
    void readsAUnionsPartsInTurn_data() { EngineDatabase::addEngineRows(); }
    void readsAUnionsPartsInTurn()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QSqlDatabase& db = empty.db();
        exec(db, QStringLiteral("create table t (n bigint)"));
        exec(db, QStringLiteral("insert into t (n) values (1), (2), (3), (4), (5), (6)"));
        if (engine == 1) {
            for (const char* cheap :
                 {"parallel_setup_cost", "parallel_tuple_cost", "min_parallel_table_scan_size"})
                exec(db, QStringLiteral("set %1 = 0").arg(QLatin1String(cheap)));
        }
        RowReader both(db, QStringLiteral("select n from (select n from t where n > 3 order by n) "
                                          "high union all select n from (select n from t "
                                          "where n <= 3 order by n desc) low"));
        QCOMPARE(readAll(both, {}, 1), (QStringList{"4", "5", "6", "3", "2", "1"}));
        if (engine == 1) {
            QSqlQuery plan(db);
            QVERIFY(plan.exec(QStringLiteral("explain select n from t where n > 3 union all "
                                             "select n from t where n <= 3")));
            QStringList lines;
            while (plan.next())
                lines << plan.value(0).toString();
            QVERIFY2(!lines.join(u'\n').contains(QLatin1String("Parallel Append")),
                     qPrintable(lines.join(u'\n')));
        }
    }

    // A report's hold refuses every change and gives the connection back as it was, in
    // a transaction or not.
    void holdsAConnectionReadOnly_data() { EngineDatabase::addEngineRows(); }
    void holdsAConnectionReadOnly()
    {
        VELMORA_EMPTY_DATABASE(empty, m_server);
        QSqlDatabase& db = empty.db();
        exec(db, QStringLiteral("create table t (n bigint)"));
        QVERIFY(!velmora::inTransaction(db));
        for (const bool inTransaction : {false, true}) {
            std::optional<velmora::Transaction> transaction;
            if (inTransaction) {
                // Held inside a transaction that has only begun, as well.
                transaction.emplace(db);
                QVERIFY(velmora::inTransaction(db));
            }
            {
                const velmora::ReadOnlyHold hold(db);
                QVERIFY2(hold.isActive(), qPrintable(hold.error()));
                QSqlQuery query(db);
                QVERIFY(!query.exec(QStringLiteral("insert into t (n) values (2)")));
                QCOMPARE(velmora::failureText(query.lastError()), velmora::readOnlyRefusal());
            }
            exec(db, QStringLiteral("insert into t (n) values (3)"));
            if (transaction) {
                QString error;
                QVERIFY2(transaction->commit(&error), qPrintable(error));
            }
        }
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("select count(*), sum(n) from t")) && query.next());
        QCOMPARE(query.value(0).toInt(), 2);
        QCOMPARE(query.value(1).toInt(), 6);
        QVERIFY(!velmora::isReadOnly(db));
    }

private:
    PostgresServer m_server;
};

QTEST_GUILESS_MAIN(TestRowReader)
#include "test_rowreader.moc"
