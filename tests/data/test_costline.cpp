#include "data/costline.h"

#include <QTest>

using velmora::Money;

namespace {

Money pounds(const char* text) { return *Money::parse(QString::fromLatin1(text)); }

} // namespace

class TestCostLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void figures_data()
    {
        QTest::addColumn<QString>("gross");
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("vat");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("vatValue");
        QTest::addColumn<QString>("net");
        QTest::newRow("receipt example") << "100.00" << 10 << true << "10.00"
                                         << "15.75"
                                         << "105.75";
        QTest::newRow("receipt without VAT") << "100.00" << 10 << false << "10.00"
                                             << "0.00"
                                             << "90.00";
        QTest::newRow("payment example") << "200.00" << 5 << true << "10.00"
                                         << "33.25"
                                         << "223.25";
        QTest::newRow("no discount") << "40.00" << 0 << false << "0.00"
                                     << "0.00"
                                     << "40.00";
        QTest::newRow("whole discount") << "12.34" << 100 << true << "12.34"
                                        << "0.00"
                                        << "0.00";
        QTest::newRow("discount half goes up") << "0.10" << 5 << false << "0.01"
                                               << "0.00"
                                               << "0.09";
        QTest::newRow("discount below half") << "0.10" << 4 << false << "0.00"
                                             << "0.00"
                                             << "0.10";
        QTest::newRow("VAT half goes up") << "0.10" << 0 << true << "0.00"
                                          << "0.02"
                                          << "0.12";
        QTest::newRow("VAT below half") << "0.02" << 0 << true << "0.00"
                                        << "0.00"
                                        << "0.02";
        QTest::newRow("VAT on odd pence") << "12.35" << 0 << true << "0.00"
                                          << "2.16"
                                          << "14.51";
        QTest::newRow("credit note") << "-50.00" << 0 << true << "0.00"
                                     << "-8.75"
                                     << "-58.75";
        QTest::newRow("credit note halves away from zero") << "-0.10" << 5 << true << "-0.01"
                                                           << "-0.02"
                                                           << "-0.11";
        QTest::newRow("gross rounded first") << "10.005" << 0 << false << "0.00"
                                             << "0.00"
                                             << "10.01";
        QTest::newRow("large") << "999,999,999.99" << 10 << true << "100,000,000.00"
                               << "157,500,000.00"
                               << "1,057,499,999.99";
    }
    void figures()
    {
        QFETCH(QString, gross);
        QFETCH(int, percent);
        QFETCH(bool, vat);
        QFETCH(QString, discount);
        QFETCH(QString, vatValue);
        QFETCH(QString, net);
        const auto line = velmora::costFigures(*Money::parse(gross), percent, vat);
        QCOMPARE(line.discount.toString(), discount);
        QCOMPARE(line.vat.toString(), vatValue);
        QCOMPARE(line.net.toString(), net);
        QCOMPARE(line.gross - line.discount + line.vat, line.net);
        QCOMPARE(line.discountPercent, percent);
    }

    void parts()
    {
        QCOMPARE(velmora::percentOf(pounds("100"), 10), pounds("10"));
        QCOMPARE(velmora::percentOf(pounds("33.33"), 50), pounds("16.67"));
        QCOMPARE(velmora::vatOn(pounds("90")), pounds("15.75"));
        QCOMPARE(velmora::vatOn(pounds("190")), pounds("33.25"));
        QCOMPARE(velmora::vatOn(pounds("-190")), pounds("-33.25"));
        // A driver's share keeps every ten-thousandth and rounds only below that.
        QCOMPARE(velmora::driverShare(pounds("50"), 10), pounds("5"));
        QCOMPARE(velmora::driverShare(pounds("30.01"), 15), pounds("4.5015"));
        QCOMPARE(velmora::driverShare(pounds("0.0005"), 10), Money::fromStored(1));
        QCOMPARE(velmora::driverShare(pounds("-0.0005"), 10), Money::fromStored(-1));
        QCOMPARE(velmora::driverShare(Money::fromStored(INT64_MAX), 100),
                 Money::fromStored(INT64_MAX));
    }

    void vatRates()
    {
        using velmora::VatRates;
        QCOMPARE(velmora::vatOn(Money::fromPence(9000), 200000), Money::fromPence(1800));
        QCOMPARE(velmora::vatOn(Money::fromPence(-9000), 50000), Money::fromPence(-450));
        // The largest amount at a rate near 100 per cent does not overflow.
        QCOMPARE(velmora::vatOn(Money::fromPence(99'999'999'999), 999999),
                 Money::fromPence(99'999'899'999));
        QCOMPARE(velmora::parseVatRate(QStringLiteral("17.5")), std::optional<qint64>(175000));
        QCOMPARE(velmora::parseVatRate(QStringLiteral("100")), std::nullopt);
        QCOMPARE(velmora::parseVatRate(QStringLiteral("-1")), std::nullopt);
        QCOMPARE(velmora::vatRateText(175000), QStringLiteral("17.5"));
        QCOMPARE(velmora::vatRateText(200000), QStringLiteral("20"));

        const QDate change(2011, 1, 4);
        const VatRates twenty = VatRates{}.withRate(200000, change);
        QCOMPARE(twenty.on(change.addDays(-1)), velmora::kStandardVatRate);
        QCOMPARE(twenty.on(change), 200000);
        QCOMPARE(twenty.on(QDate()), 200000);
        // Correcting the rate of the same day keeps the rate before it.
        QCOMPARE(twenty.withRate(210000, change).on(change.addDays(-1)), velmora::kStandardVatRate);
        QCOMPARE(twenty.withRate(50000, change.addYears(1)).on(change.addDays(1)), 200000);
    }

    void percent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("percent"); // -1: refused
        QTest::newRow("whole") << "10" << 10;
        QTest::newRow("rounded down") << "12.4" << 12;
        QTest::newRow("half rounds up") << "12.5" << 13;
        QTest::newRow("above half") << "12.51" << 13;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("point only fraction") << ".6" << 1;
        QTest::newRow("trailing point") << "7." << 7;
        QTest::newRow("hundred") << "100" << 100;
        QTest::newRow("rounds to hundred") << "99.5" << 100;
        QTest::newRow("over a hundred") << "100.5" << -1;
        QTest::newRow("far over") << "250" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("point") << "." << -1;
        QTest::newRow("negative") << "-5" << -1;
        QTest::newRow("letters") << "ten" << -1;
    }
    void percent()
    {
        QFETCH(QString, text);
        QFETCH(int, percent);
        const auto parsed = velmora::parsePercent(text);
        QCOMPARE(parsed.value_or(-1), percent);
    }

    void amount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // empty: refused
        QTest::newRow("plain") << "50"
                               << "50.00";
        QTest::newRow("grouped") << "1,234.5"
                                 << "1,234.50";
        QTest::newRow("negative") << "-50"
                                  << "-50.00";
        QTest::newRow("four decimals half") << "2.345"
                                            << "2.35";
        QTest::newRow("negative half") << "-2.345"
                                       << "-2.35";
        QTest::newRow("largest") << "999999999.99"
                                 << "999,999,999.99";
        QTest::newRow("too large") << "1000000000"
                                   << "";
        QTest::newRow("too small") << "-1000000000"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("letters") << "abc"
                                 << "";
    }
    void amount()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        const auto parsed = velmora::parseLineAmount(text);
        QCOMPARE(parsed ? parsed->toString() : QString(), shown);
    }
};

QTEST_MAIN(TestCostLine)
#include "test_costline.moc"
