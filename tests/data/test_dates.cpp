// Dates as users see them: the hand-written dd/mm/yyyy, as text and as UTF-8, agrees with
// Qt's own formatting at the edges of the years it writes by hand and beyond them.
#include "data/dates.h"

#include <QTest>

class TestDates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ukDateAsQtWritesIt_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ordinary") << QDate(2026, 1, 5) << QStringLiteral("05/01/2026");
        QTest::newRow("year end") << QDate(1999, 12, 31) << QStringLiteral("31/12/1999");
        QTest::newRow("first year") << QDate(1, 1, 1) << QStringLiteral("01/01/0001");
        QTest::newRow("three digits") << QDate(999, 10, 20) << QStringLiteral("20/10/0999");
        QTest::newRow("last by hand") << QDate(9999, 12, 31) << QStringLiteral("31/12/9999");
        QTest::newRow("five digits")
            << QDate(10000, 1, 1) << QDate(10000, 1, 1).toString("dd/MM/yyyy");
        QTest::newRow("before the era")
            << QDate(-5, 3, 1) << QDate(-5, 3, 1).toString("dd/MM/yyyy");
        QTest::newRow("invalid") << QDate() << QString();
    }

    void ukDateAsQtWritesIt()
    {
        QFETCH(QDate, date);
        QFETCH(QString, shown);
        QCOMPARE(velmora::ukDate(date), shown);
        QCOMPARE(velmora::ukDate(date), date.toString(QStringLiteral("dd/MM/yyyy")));
        QByteArray appended = "on ";
        velmora::appendUkDate(&appended, date);
        QCOMPARE(appended, "on " + shown.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestDates)
#include "test_dates.moc"
