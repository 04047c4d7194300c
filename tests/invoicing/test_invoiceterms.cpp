// What a UK invoice carries besides the amounts: the company's payment terms and bank
// details as typed and checked, the number the next run starts at, and the invoice as
// printed: due date, VAT rate, bank details, registration number, footer and "COPY".

#include "data/dates.h"
#include "invoicefirm.h"
#include "invoicing/invoicerun.h"
#include "invoicing/nextinvoice.h"
#include "pdftext.h"
#include "reference/company.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "testdatabase.h"

#include <QTest>

using velmora::test::InvoiceFirm;
using velmora::test::PdfText;
using velmora::test::TestDatabase;

namespace {

qint64 run(TestDatabase& t)
{
    velmora::InvoiceRunRange range;
    range.startAccount = 1;
    range.endAccount = 99;
    velmora::InvoiceRunResult result;
    QString error;
    if (!velmora::runInvoices(t.db(), range, &result, &error))
        qFatal("run: %s", qPrintable(error));
    return result.lastInvoice;
}

QString printedInvoice(TestDatabase& t)
{
    velmora::reports::ReportError error;
    const QString source = QStringLiteral(VELMORA_REPORT_SOURCES "/invoice.rpt");
    const auto report = velmora::reports::renderReportFile(source, t.db(), &error);
    const QString out = t.folder() + QStringLiteral("/invoice.pdf");
    if (!report || !velmora::reports::writePdf(*report, out, {t.path(), {source}, true}, &error))
        qWarning("invoice.rpt: %d %s", error.number, qPrintable(error.text));
    const PdfText pdf(out);
    if (!pdf.isValid())
        qWarning("%s", qPrintable(pdf.error()));
    return pdf.text().simplified();
}

} // namespace

class InvoiceTermsTest : public QObject
{
    Q_OBJECT

private slots:
    void termsAreChecked_data();
    void termsAreChecked();
    void nextInvoiceNumberRules();
    void invoiceCarriesTermsBankAndCopy();
};

void InvoiceTermsTest::termsAreChecked_data()
{
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("sortCode");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("outcome"); // the stored sort code, or the error

    QTest::newRow("typed with dashes") << "30"
                                       << "12-34-56"
                                       << "12345678"
                                       << "12-34-56";
    QTest::newRow("typed with blanks") << " 7 "
                                       << "12 34 56"
                                       << "1234 5678"
                                       << "12-34-56";
    QTest::newRow("no bank details") << "0"
                                     << ""
                                     << ""
                                     << "";
    QTest::newRow("short sort code") << "30"
                                     << "12-34-5"
                                     << "12345678"
                                     << "The sort code must be six digits, e.g. 12-34-56";
    QTest::newRow("letters in the account") << "30"
                                            << "123456"
                                            << "1234567X"
                                            << "The bank account number must be eight digits";
    QTest::newRow("nine digits") << "30"
                                 << "123456"
                                 << "123456789"
                                 << "The bank account number must be eight digits";
    QTest::newRow("days past a year")
        << "366"
        << ""
        << ""
        << "The payment terms must be a whole number of days from 0 to 365";
    QTest::newRow("days not a number")
        << "thirty"
        << ""
        << ""
        << "The payment terms must be a whole number of days from 0 to 365";
}

void InvoiceTermsTest::termsAreChecked()
{
    QFETCH(QString, days);
    QFETCH(QString, sortCode);
    QFETCH(QString, account);
    QString error;
    const auto terms = velmora::parseCompanyTerms(days, {}, {}, sortCode, account, {}, &error);
    QTEST(terms ? terms->sortCode : error, "outcome");
    if (terms)
        QCOMPARE(terms->accountNumber, account.remove(QLatin1Char(' ')));
}

void InvoiceTermsTest::nextInvoiceNumberRules()
{
    TestDatabase t;
    InvoiceFirm f(t);
    f.addCompany();
    const auto fare = f.addType(QStringLiteral("Fare"));
    const auto addJob = [&](qint64 number) {
        f.addJob(QStringLiteral("A"), number, 1);
        f.addCost(QStringLiteral("A"), number, fare, QStringLiteral("I"), 100000, 0, 0, 100000);
    };
    f.addAccount(QStringLiteral("Acme"));
    QString error;
    // Nothing issued: the first invoice is 0 unless the firm says otherwise, and any number
    // may be chosen.
    auto numbering = velmora::readInvoiceNumbering(t.db(), &error);
    QVERIFY(numbering);
    QCOMPARE(numbering->next, 0);
    QVERIFY2(velmora::setNextInvoiceNumber(t.db(), 1001, &error), qPrintable(error));
    QVERIFY2(velmora::setNextInvoiceNumber(t.db(), 500, &error), qPrintable(error));
    addJob(1);
    QCOMPARE(run(t), 500);
    // Once issued, only numbers above the highest.
    numbering = velmora::readInvoiceNumbering(t.db(), &error);
    QCOMPARE(numbering->next, 501);
    QCOMPARE(numbering->lowest, 501);
    QVERIFY(!velmora::setNextInvoiceNumber(t.db(), 500, &error));
    QCOMPARE(error, QStringLiteral("The next invoice number must be above 500, the highest "
                                   "invoice number issued"));
    QVERIFY(velmora::setNextInvoiceNumber(t.db(), 501, &error)); // already next: no change
    QVERIFY(velmora::setNextInvoiceNumber(t.db(), 2000, &error));
    addJob(2);
    QCOMPARE(run(t), 2000);
    QCOMPARE(t.rows(QStringLiteral("select invoice_no from invoice_header order by 1")),
             (QStringList{"500", "2000"}));
    QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_numbers")), 1);
}

void InvoiceTermsTest::invoiceCarriesTermsBankAndCopy()
{
    TestDatabase t;
    InvoiceFirm f(t);
    f.addCompany();
    QString error;
    const auto terms = velmora::parseCompanyTerms(
        QStringLiteral("14"), QStringLiteral("Northern Bank"), QStringLiteral("Velmora Cars Ltd"),
        QStringLiteral("123456"), QStringLiteral("12345678"),
        QStringLiteral("Thank you for travelling with us"), &error);
    QVERIFY2(terms, qPrintable(error));
    velmora::CompanyDetails details = *velmora::loadCompany(t.db(), &error);
    details.registration = QStringLiteral("01234567");
    const velmora::VatRates rates{200000, QDate(2026, 11, 1), 175000};
    QVERIFY2(velmora::saveCompany(t.db(), details, rates, *terms, &error), qPrintable(error));
    const auto fare = f.addType(QStringLiteral("Fare"));
    const auto account = f.addAccount(QStringLiteral("Acme"));
    f.addJob(QStringLiteral("A"), 1, account);
    f.addCost(QStringLiteral("A"), 1, fare, QStringLiteral("I"), 100000, 0, 20000, 120000);
    f.addJob(QStringLiteral("A"), 2, account);
    f.addCost(QStringLiteral("A"), 2, fare, QStringLiteral("I"), 50000, 0, 0, 50000);
    run(t);
    const QDate issued = velmora::dateFromStored(
        t.value(QStringLiteral("select date from invoice_header")).toString());

    const QString text = printedInvoice(t);
    for (const QString& expected :
         {QStringLiteral("Payment due by %1").arg(velmora::ukDate(issued.addDays(14))),
          QStringLiteral("Company registration number 01234567"),
          QStringLiteral("VAT at 20% on 10.00 2.00"), QStringLiteral("VAT at 0% on 5.00 0.00"),
          QStringLiteral("Payment is due within 14 days"),
          QStringLiteral("Velmora Cars Ltd, Northern Bank, sort code 12-34-56, account number "
                         "12345678"),
          QStringLiteral("Thank you for travelling with us")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n") + text));
    QVERIFY(!text.contains(QStringLiteral("COPY")));

    t.exec(QStringLiteral("update invoice_header set printed = 'C'"));
    t.exec(QStringLiteral("insert into invoice_temp (invoice_no) select invoice_no "
                          "from invoice_header"));
    QVERIFY(printedInvoice(t).contains(QStringLiteral("INVOICE · COPY")));
}

QTEST_MAIN(InvoiceTermsTest)
#include "test_invoiceterms.moc"
