// What the data layer makes of typed text: dates with two- or four-digit years, and the
// widths of the text columns.
#include "data/columnwidths.h"
#include "data/dates.h"
#include "testdatabase.h"

#include <QTest>

using velmora::test::TestDatabase;

class TestTypedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedDates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");
        QTest::newRow("two-digit year is 20xx") << "7/12/26" << QDate(2026, 12, 7);
        QTest::newRow("year 00") << "01/01/00" << QDate(2000, 1, 1);
        QTest::newRow("year 99") << "31/12/99" << QDate(2099, 12, 31);
        QTest::newRow("four digits") << " 06/12/2026 " << QDate(2026, 12, 6);
        QTest::newRow("no such day") << "29/2/27" << QDate();
        QTest::newRow("three-digit year") << "7/12/126" << QDate();
        QTest::newRow("other separator") << "7-12-26" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void typedDates()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QCOMPARE(velmora::parseUkDate(typed).value_or(QDate()), date);
    }

    // Every width names a text column that the schema has.
    void widthsMatchTheSchema()
    {
        TestDatabase t;
        for (const velmora::ColumnWidth& entry : velmora::columnWidths()) {
            const QString column = QString::fromLatin1(entry.column);
            const QStringList rows = t.rows(
                QStringLiteral("select type from pragma_table_info(?) where lower(name) = ?"),
                {QString::fromLatin1(entry.table), column});
            QVERIFY2(rows == QStringList{"TEXT"}, entry.column);
            QVERIFY(entry.width > 0);
        }
        QCOMPARE(velmora::columnWidth(u"Accounts", u"ACCOUNT_NAME"), 40);
        QCOMPARE(velmora::columnWidth(u"accounts", u"account_balance"), 0);
    }

    void widthsRefuseLongerText()
    {
        const QStringList columns{"account_name", "nickname", "account_balance"};
        QString error;
        QVERIFY(velmora::fitsColumns(u"accounts", columns,
                                     {QString(40, u'a'), QString(20, u'n'), 123456789}, &error));
        QVERIFY(!velmora::fitsColumns(u"accounts", columns,
                                      {QString(40, u'a'), QString(21, u'n'), 1}, &error));
        QCOMPARE(error, QStringLiteral("nickname may be at most 20 characters long."));
    }
};

QTEST_MAIN(TestTypedText)
#include "test_typedtext.moc"
