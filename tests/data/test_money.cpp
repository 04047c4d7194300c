#include "data/money.h"

#include <QTest>

using velmora::Money;

class TestMoney : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("whole") << "12" << true << qint64(120000);
        QTest::newRow("pence") << "105.75" << true << qint64(1057500);
        QTest::newRow("one decimal") << "3.5" << true << qint64(35000);
        QTest::newRow("four decimals") << "0.0001" << true << qint64(1);
        QTest::newRow("grouped") << "1,234.50" << true << qint64(12345000);
        QTest::newRow("millions") << "1,234,567.89" << true << qint64(12345678900);
        QTest::newRow("negative") << "-15.75" << true << qint64(-157500);
        QTest::newRow("pound sign and blanks") << " £7 " << true << qint64(70000);
        QTest::newRow("leading point") << ".5" << true << qint64(5000);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("blank") << "   " << false << qint64(0);
        QTest::newRow("letters") << "7x" << false << qint64(0);
        QTest::newRow("five decimals") << "1.00001" << false << qint64(0);
        QTest::newRow("bad grouping") << "12,34.00" << false << qint64(0);
        QTest::newRow("lone point") << "." << false << qint64(0);
        QTest::newRow("too large") << "123456789012345" << false << qint64(0);
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, stored);
        const auto money = Money::parse(text);
        QCOMPARE(money.has_value(), valid);
        if (valid)
            QCOMPARE(money->stored(), stored);
    }

    void format_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("plain");
        QTest::newRow("zero") << qint64(0) << "0.00"
                              << "0.00";
        QTest::newRow("pence") << qint64(1057500) << "105.75"
                               << "105.75";
        QTest::newRow("thousands") << qint64(12345000) << "1,234.50"
                                   << "1234.50";
        QTest::newRow("millions") << qint64(12345678900) << "1,234,567.89"
                                  << "1234567.89";
        QTest::newRow("half up") << qint64(23450) << "2.35"
                                 << "2.35";
        QTest::newRow("below half") << qint64(23449) << "2.34"
                                    << "2.34";
        QTest::newRow("negative half") << qint64(-23450) << "-2.35"
                                       << "-2.35";
        QTest::newRow("small negative") << qint64(-500) << "-0.05"
                                        << "-0.05";
        QTest::newRow("rounds to zero") << qint64(-49) << "0.00"
                                        << "0.00";
    }
    void format()
    {
        QFETCH(qint64, stored);
        QFETCH(QString, shown);
        QFETCH(QString, plain);
        QCOMPARE(Money::fromStored(stored).toString(), shown);
        QCOMPARE(Money::fromStored(stored).toPlainString(), plain);
    }

    void sumsAreExact()
    {
        // A tenth of a penny added ten thousand times stays exactly ten pounds.
        Money total;
        for (int i = 0; i < 10000; ++i)
            total += Money::parse(u"0.001").value();
        QCOMPARE(total, Money::fromPence(1000));
        QCOMPARE(Money::fromPence(10) - Money::fromPence(25), -Money::fromPence(15));
        QVERIFY(Money::fromPence(1) > Money());
    }

    void storedFormRoundTrips()
    {
        const Money large = Money::fromStored(9'000'000'000'000'000'001);
        QCOMPARE(Money::fromVariant(large.toVariant()), large);
        QCOMPARE(Money::fromVariant(QVariant()), Money());
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "test_money.moc"
