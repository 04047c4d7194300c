#include "jobs/costlineform.h"

#include <QTest>

using velmora::CostLineTexts;
using velmora::CostSide;

namespace {

CostLineTexts typed(const char* type, const char* cost, const char* percent, const char* vat)
{
    CostLineTexts line;
    line.type = QString::fromLatin1(type);
    line.cost = QString::fromLatin1(cost);
    line.percent = QString::fromLatin1(percent);
    line.vat = QString::fromLatin1(vat);
    return line;
}

} // namespace

class TestCostLineForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void creditNoteStaysNegative()
    {
        CostLineTexts line = typed("Credit Note", "50", "", "");
        QVERIFY(velmora::leaveCost(line, CostSide::Receipt));
        QCOMPARE(line.cost, QStringLiteral("-50.00"));
        QVERIFY(velmora::leaveCost(line, CostSide::Receipt));
        QCOMPARE(line.cost, QStringLiteral("-50.00"));
        line.cost = QStringLiteral("-20");
        QVERIFY(velmora::leaveCost(line, CostSide::Receipt));
        QCOMPARE(line.cost, QStringLiteral("-20.00"));
        // Saving a credit note typed as positive still stores it negative.
        line.cost = QStringLiteral("20");
        QCOMPARE(velmora::entryOf(line, CostSide::Receipt).figures.gross.toString(),
                 QStringLiteral("-20.00"));
        // On the payment side the type has no such meaning.
        line.cost = QStringLiteral("20");
        QVERIFY(velmora::leaveCost(line, CostSide::Payment));
        QCOMPARE(line.cost, QStringLiteral("20.00"));
    }

    void costField()
    {
        CostLineTexts line = typed("Fare", "", "", "");
        QVERIFY(!velmora::leaveCost(line, CostSide::Receipt));
        line.cost = QStringLiteral("1234.5");
        QVERIFY(velmora::leaveCost(line, CostSide::Receipt));
        QCOMPARE(line.cost, QStringLiteral("1,234.50"));
        CostLineTexts unused = typed("None", "", "", "");
        QVERIFY(velmora::leaveCost(unused, CostSide::Receipt));
        QCOMPARE(unused.cost, QString());
        // The largest amount passes; a penny more says it is too large, not missing.
        const QString missing = QStringLiteral("You must supply a cost");
        line.cost = QStringLiteral("999,999,999.99");
        QVERIFY(velmora::leaveCost(line, CostSide::Receipt));
        line.cost = QStringLiteral("1000000000");
        QVERIFY(!velmora::leaveCost(line, CostSide::Receipt));
        QCOMPARE(velmora::unreadableCostMessage(line, missing),
                 QStringLiteral("The cost is too large: a line may hold at most 999,999,999.99"));
        line.cost.clear();
        QCOMPARE(velmora::unreadableCostMessage(line, missing), missing);
    }

    void discount_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QString>("shownPercent");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("net");
        const int receipt = static_cast<int>(CostSide::Receipt);
        const int payment = static_cast<int>(CostSide::Payment);
        QTest::newRow("receipt 10") << receipt << "10"
                                    << "10"
                                    << "10.00"
                                    << "90.00";
        QTest::newRow("receipt 12.4 is 12") << receipt << "12.4"
                                            << "12"
                                            << "12.00"
                                            << "88.00";
        QTest::newRow("receipt 12.5 is 13") << receipt << "12.5"
                                            << "13"
                                            << "13.00"
                                            << "87.00";
        QTest::newRow("receipt none") << receipt << ""
                                      << ""
                                      << "0.00"
                                      << "100.00";
        QTest::newRow("receipt 0") << receipt << "0"
                                   << "0"
                                   << "0.00"
                                   << "100.00";
        QTest::newRow("payment 5") << payment << "5"
                                   << "5"
                                   << "5.00"
                                   << "95.00";
        QTest::newRow("payment 0") << payment << "0"
                                   << "0"
                                   << "0.00"
                                   << "100.00";
        QTest::newRow("payment none") << payment << ""
                                      << ""
                                      << "0.00"
                                      << "100.00";
    }
    void discount()
    {
        QFETCH(int, side);
        QFETCH(QString, percent);
        QFETCH(QString, shownPercent);
        QFETCH(QString, discount);
        QFETCH(QString, net);
        CostLineTexts line = typed("Fare", "100.00", "", "");
        line.percent = percent;
        velmora::showDiscount(line, static_cast<CostSide>(side));
        QCOMPARE(line.percent, shownPercent);
        QCOMPARE(line.discount, discount);
        QCOMPARE(line.net, net);
    }

    void vatOnReceiptsIsWorkedOnTheSpot()
    {
        CostLineTexts line = typed("Fare", "100.00", "10", "y");
        velmora::leaveVat(line, CostSide::Receipt, false);
        QCOMPARE(line.vat, QStringLiteral("Y"));
        QCOMPARE(line.discount, QStringLiteral("10.00"));
        QCOMPARE(line.vatValue, QStringLiteral("15.75"));
        QCOMPARE(line.net, QStringLiteral("105.75"));

        CostLineTexts empty = typed("Fare", "100.00", "", "");
        velmora::leaveVat(empty, CostSide::Receipt, true);
        QCOMPARE(empty.percent, QStringLiteral("0"));
        QCOMPARE(empty.vat, QStringLiteral("Y"));
        QCOMPARE(empty.net, QStringLiteral("117.50"));

        CostLineTexts unregistered = typed("Fare", "100.00", "", "");
        velmora::leaveVat(unregistered, CostSide::Receipt, false);
        QCOMPARE(unregistered.vat, QStringLiteral("N"));
        QCOMPARE(unregistered.vatValue, QString());
    }

    void vatOnPaymentsWaitsForTheSave()
    {
        CostLineTexts line = typed("Fuel", "200.00", "5", "Y");
        velmora::leaveVat(line, CostSide::Payment, true);
        QCOMPARE(line.vatValue, QString());
        QCOMPARE(line.net, QString());
        QVERIFY(velmora::checkLine(line, CostSide::Payment));
        QCOMPARE(line.discount, QStringLiteral("10.00"));
        QCOMPARE(line.vatValue, QStringLiteral("33.25"));
        QCOMPARE(line.net, QStringLiteral("223.25"));

        CostLineTexts empty = typed("Fuel", "200.00", "5", "");
        velmora::leaveVat(empty, CostSide::Payment, true);
        QCOMPARE(empty.vat, QStringLiteral("Y"));
        QCOMPARE(empty.net, QStringLiteral("223.25"));
        CostLineTexts unregistered = typed("Fuel", "200.00", "5", "");
        velmora::leaveVat(unregistered, CostSide::Payment, false);
        QCOMPARE(unregistered.vat, QStringLiteral("N"));
    }

    void vatValuesOverAThousand()
    {
        CostLineTexts receipt = typed("Fare", "10000", "", "Y");
        velmora::showVat(receipt, CostSide::Receipt);
        QCOMPARE(receipt.vatValue, QStringLiteral("1,750.00"));
        CostLineTexts payment = typed("Fuel", "10000", "", "Y");
        velmora::showVat(payment, CostSide::Payment);
        QCOMPARE(payment.vatValue, QStringLiteral("1,750.00"));
        QCOMPARE(payment.net, QStringLiteral("11,750.00"));
    }

    void checkBeforeSaving()
    {
        CostLineTexts line = typed("Fare", "100", "10", "x");
        QVERIFY(velmora::checkLine(line, CostSide::Receipt));
        QCOMPARE(line.description, QStringLiteral("Fare"));
        QCOMPARE(line.cost, QStringLiteral("100.00"));
        QCOMPARE(line.vat, QStringLiteral("N"));
        QCOMPARE(line.vatValue, QStringLiteral("0.00"));
        QCOMPARE(line.net, QStringLiteral("90.00"));
        // A receipt's flag counts in either case, a payment's only as typed.
        CostLineTexts lower = typed("Fare", "100", "", "y");
        QVERIFY(velmora::checkLine(lower, CostSide::Receipt));
        QCOMPARE(lower.vat + lower.net, QStringLiteral("Y117.50"));
        CostLineTexts paymentLower = typed("Fuel", "100", "", "y");
        QVERIFY(velmora::checkLine(paymentLower, CostSide::Payment));
        QCOMPARE(paymentLower.vat + paymentLower.net, QStringLiteral("N100.00"));
        CostLineTexts noCost = typed("Fare", "", "", "");
        QVERIFY(!velmora::checkLine(noCost, CostSide::Receipt));
        QCOMPARE(noCost.description, QStringLiteral("Fare"));
    }

    void entries()
    {
        const auto entry = velmora::entryOf(typed("Fare", "100", "10", "y"), CostSide::Receipt);
        QCOMPARE(entry.type, QStringLiteral("Fare"));
        QVERIFY(entry.vat);
        QCOMPARE(entry.figures.net.toString(), QStringLiteral("105.75"));
        QVERIFY(velmora::lineInUse(typed("Fare", "", "", "")));
        QVERIFY(!velmora::lineInUse(typed("None", "", "", "")));
        QVERIFY(!velmora::lineInUse(typed("", "", "", "")));
    }
};

QTEST_MAIN(TestCostLineForm)
#include "test_costlineform.moc"
