// The profit and loss and the VAT return of a quarter worked out by hand: two VAT rates
// (17.5 per cent before 4 January, 20 after), a discount, a credit note, a sale without
// VAT, a payment line with VAT and one without, a driver's wage, an operational cost and a
// month with expenses alone; then the figures as their reports print them.

#include "data/dates.h"
#include "payroll/profitandloss.h"
#include "payroll/vatreturn.h"
#include "payrollfirm.h"
#include "pdftext.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"

#include <QTest>

using velmora::Money;
using velmora::test::PayrollFirm;
using velmora::test::PdfText;
using velmora::test::TestDatabase;

namespace {

const QDate kFrom(2026, 1, 1);
const QDate kTo(2026, 3, 31);

// A cost line with its amounts in pence: before VAT (after any discount) and VAT.
void line(TestDatabase& t, int job, const char* side, qint64 gross, qint64 discount, qint64 vat)
{
    t.exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, income_expence, "
                          "gross_cost, discount_value, net_cost, vat, vat_value) "
                          "values ('A', ?, 1, ?, ?, ?, ?, ?, ?)"),
           {job, QString::fromLatin1(side), gross * 100, discount * 100,
            (gross - discount + vat) * 100, vat != 0 ? "Y" : "N", vat * 100});
}

void addQuarter(TestDatabase& t)
{
    t.exec(QStringLiteral("insert into company (company_id, company_Name, company_vat, vat_rate, "
                          "vat_rate_from, previous_vat_rate) values (1, 'Northgate Cars', "
                          "'GB 123 4567 89', 200000, '2026-01-04', 175000)"));
    PayrollFirm f(t);
    const int driver = f.driver(QStringLiteral("Adams"), 50);
    const int early = f.job(driver, QDate(2026, 1, 2));
    line(t, early, "I", 10000, 0, 1750);
    line(t, early, "E", 4000, 0, 0);
    t.exec(QStringLiteral("insert into driver_wages (driver_id, job_prefix, job_id, "
                          "driver_payment) values (?, 'A', ?, 300000)"),
           {driver, early});
    const int discounted = f.job(driver, QDate(2026, 1, 10));
    line(t, discounted, "I", 20000, 2000, 3600);
    line(t, discounted, "E", 5000, 0, 1000);
    const int credited = f.job(driver, QDate(2026, 2, 5), 0, "A", "C", "N", "23:59:00");
    line(t, credited, "I", -5000, 0, -1000); // a credit note
    line(t, credited, "I", 2599, 0, 0);
    line(t, f.job(driver, QDate(2026, 3, 12)), "E", 8000, 0, 0);
    t.exec(QStringLiteral("insert into operational_cost (opcost_Date, opcost_gross) values "
                          "('2026-03-20', 1500000), ('2026-04-01', 990000)"));
    line(t, f.job(driver, QDate(2026, 4, 1)), "I", 99900, 0, 19980); // after the quarter
}

std::unique_ptr<PdfText> printed(TestDatabase& t, const QString& name)
{
    velmora::reports::ReportError error;
    const QString source = QStringLiteral(VELMORA_REPORT_SOURCES "/") + name;
    const auto report = velmora::reports::renderReportFile(source, t.db(), &error);
    const QString out = t.folder() + QStringLiteral("/") + name + QStringLiteral(".pdf");
    if (!report || !velmora::reports::writePdf(*report, out, {t.path(), {source}, true}, &error))
        qWarning("%s: %d %s", qPrintable(name), error.number, qPrintable(error.text));
    return std::make_unique<PdfText>(out);
}

QString pounds(qint64 pence) { return Money::fromPence(pence).toString(); }

} // namespace

class AccountantTest : public QObject
{
    Q_OBJECT

private slots:
    void profitAndLossByMonth();
    void vatReturnBoxes();
    void lastQuarterBeforeToday_data();
    void lastQuarterBeforeToday();
};

void AccountantTest::profitAndLossByMonth()
{
    TestDatabase t;
    addQuarter(t);
    QString error;
    const auto months = velmora::runProfitAndLoss(t.db(), kFrom, kTo, &error);
    QVERIFY2(months, qPrintable(error));
    // month, income, payments, wages, operational, profit (pence)
    const QList<QList<qint64>> expected = {
        {1, 28000, 9000, 3000, 0, 16000},
        {2, -2401, 0, 0, 0, -2401},
        {3, 0, 8000, 0, 15000, -23000},
    };
    QCOMPARE(months->size(), std::size_t(3));
    for (std::size_t i = 0; i < months->size(); ++i) {
        const velmora::ProfitMonth& month = (*months)[i];
        const QList<qint64>& want = expected[int(i)];
        QCOMPARE(month.month, QDate(2026, int(want[0]), 1));
        QCOMPARE(month.income, Money::fromPence(want[1]));
        QCOMPARE(month.payments, Money::fromPence(want[2]));
        QCOMPARE(month.wages, Money::fromPence(want[3]));
        QCOMPARE(month.operational, Money::fromPence(want[4]));
        QCOMPARE(month.profit(), Money::fromPence(want[5]));
    }

    const auto pdf = printed(t, QStringLiteral("profitandloss.rpt"));
    QVERIFY2(pdf->isValid(), qPrintable(pdf->error()));
    const auto period = pdf->row(QStringLiteral("The period"), QStringLiteral("Month"));
    QCOMPARE(period.value(QStringLiteral("Income")), pounds(25599));
    QCOMPARE(period.value(QStringLiteral("Job payments")), pounds(17000));
    QCOMPARE(period.value(QStringLiteral("Driver wages")), pounds(3000));
    QCOMPARE(period.value(QStringLiteral("Operational costs")), pounds(15000));
    QCOMPARE(period.value(QStringLiteral("Operating profit")), pounds(-9401));
    QCOMPARE(pdf->row(QStringLiteral("02/2026"), QStringLiteral("Month"))
                 .value(QStringLiteral("Income")),
             pounds(-2401));
}

void AccountantTest::vatReturnBoxes()
{
    TestDatabase t;
    addQuarter(t);
    QString error;
    const auto vat = velmora::runVatReturn(t.db(), kFrom, kTo, &error);
    QVERIFY2(vat, qPrintable(error));
    // Sales: 100.00 at 17.5% (17.50), 180.00 - 50.00 at 20% (36.00 - 10.00), 25.99 without
    // VAT. Purchases: 50.00 at 20% (10.00), 40.00 + 80.00 without VAT.
    const QList<qint64> boxes = {4350, 0, 4350, 1000, 3350, 25500, 17000, 0, 0};
    for (int box = 0; box < 9; ++box)
        QVERIFY2(vat->boxes[box] == Money::fromPence(boxes[box]),
                 qPrintable(QString::number(box + 1)));
    QCOMPARE(vat->salesBeforeVat, Money::fromPence(25599));
    QCOMPARE(vat->purchasesBeforeVat, Money::fromPence(17000));
    QStringList rates;
    for (const velmora::VatRateTotal& rate : vat->rates)
        rates << QStringLiteral("%1 %2 %3 %4")
                     .arg(rate.sales ? "sales" : "purchases", velmora::vatRateText(rate.rate),
                          rate.beforeVat.toString(), rate.vat.toString());
    QCOMPARE(rates,
             QStringList({"sales 20 130.00 26.00", "sales 17.5 100.00 17.50", "sales 0 25.99 0.00",
                          "purchases 20 50.00 10.00", "purchases 0 120.00 0.00"}));

    const auto pdf = printed(t, QStringLiteral("vatreturn.rpt"));
    QVERIFY2(pdf->isValid(), qPrintable(pdf->error()));
    for (const auto& [box, amount] : {std::pair{"1", 4350}, std::pair{"4", 1000},
                                      std::pair{"5", 3350}, std::pair{"6", 25500}}) {
        QCOMPARE(pdf->row(QString::fromLatin1(box), QStringLiteral("Box"))
                     .value(QStringLiteral("Amount")),
                 pounds(amount));
    }
    QCOMPARE(pdf->row(QStringLiteral("Sales at 17.5%"), QStringLiteral("Lines"))
                 .value(QStringLiteral("VAT")),
             pounds(1750));
}

void AccountantTest::lastQuarterBeforeToday_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("December") << QDate(2026, 12, 8) << QDate(2026, 7, 1) << QDate(2026, 9, 30);
    QTest::newRow("a quarter's first day")
        << QDate(2026, 4, 1) << QDate(2026, 1, 1) << QDate(2026, 3, 31);
    QTest::newRow("into the year before")
        << QDate(2026, 3, 31) << QDate(2025, 10, 1) << QDate(2025, 12, 31);
}

void AccountantTest::lastQuarterBeforeToday()
{
    QFETCH(QDate, today);
    const auto [from, to] = velmora::lastQuarter(today);
    QTEST(from, "from");
    QTEST(to, "to");
}

QTEST_MAIN(AccountantTest)
#include "test_accountant.moc"
