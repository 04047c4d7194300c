// Rows written a batch at a time arrive as they were given, on either engine: on a server
// they travel as arrays, whose text must keep quotes, backslashes, braces, commas, the word
// NULL and missing values apart.

#include "data/rowbatch.h"
#include "enginedatabase.h"

#include <QSqlQuery>
#include <QTest>

using namespace velmora;

class TestRowBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsArriveAsGiven_data() { test::EngineDatabase::addEngineRows(); }

    void rowsArriveAsGiven()
    {
        VELMORA_EMPTY_DATABASE(t, m_server);
        test::exec(t.db(), QStringLiteral("CREATE TABLE batched (n bigint, s text)"));
        const QVariantList texts = {
            QStringLiteral("say \"hi\""),    QStringLiteral("C:\\jobs\\"), QStringLiteral("{a,b}"),
            QStringLiteral("NULL"),          QStringLiteral(""),           QVariant(),
            QStringLiteral("Zoë, 'quoted'"), QStringLiteral(" padded ")};
        // More rows than a batch holds, so that full batches and a last part-batch both run.
        const qint64 rows = 1203;
        const auto number = [](qint64 row) {
            return row == 7 ? QVariant() : QVariant(row * 3'000'000'000LL - 9);
        };
        QString error;
        RowBatch insert = insertBatch(t.db(), QStringLiteral("batched"),
                                      {QStringLiteral("n"), QStringLiteral("s")},
                                      {BatchValue::Integer, BatchValue::Text});
        for (qint64 row = 0; row < rows; ++row)
            QVERIFY2(insert.add({number(row), texts[row % texts.size()]}, &error),
                     qPrintable(error));
        QVERIFY2(insert.flush(&error), qPrintable(error));
        // An update through the rows as a table, with a value bound before them.
        RowBatch update(t.db(),
                        QStringLiteral("UPDATE batched SET s = v.column2 || ? FROM (%1) AS v "
                                       "WHERE batched.n = v.column1"),
                        {BatchValue::Integer, BatchValue::Text}, {QStringLiteral("!")});
        QVERIFY2(update.add({number(1), QStringLiteral("a\\\"b")}, &error), qPrintable(error));
        QVERIFY2(update.flush(&error), qPrintable(error));

        QSqlQuery query(t.db());
        QVERIFY(query.exec(QStringLiteral("SELECT n, s FROM batched ORDER BY n")));
        QList<QVariantList> read;
        while (query.next())
            read.append({query.value(0), query.value(1)});
        QCOMPARE(read.size(), rows);
        // The row without a number sorts first on a file and last on a server.
        const auto unnumbered = std::find_if(read.begin(), read.end(),
                                             [](const QVariantList& r) { return r[0].isNull(); });
        QVERIFY(unnumbered != read.end());
        QCOMPARE((*unnumbered)[1], texts[7 % texts.size()]);
        read.erase(unnumbered);
        for (qint64 row = 0, at = 0; row < rows; ++row) {
            if (row == 7)
                continue;
            const QVariantList& r = read[at++];
            QCOMPARE(r[0].toLongLong(), number(row).toLongLong());
            const QVariant expected =
                row == 1 ? QVariant(QStringLiteral("a\\\"b!")) : texts[row % texts.size()];
            if (expected.isNull())
                QVERIFY(r[1].isNull());
            else
                QCOMPARE(r[1].toString(), expected.toString());
        }
    }

private:
    test::PostgresServer m_server;
};

QTEST_GUILESS_MAIN(TestRowBatch)
#include "test_rowbatch.moc"
