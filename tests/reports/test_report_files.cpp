// The report files delivered with the program, each rendered to PDF from a seeded firm
// and read back: the figures they must show, in the columns they must show them.

#include "data/dates.h"
#include "pdftext.h"
#include "reportfirm.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "reports/reportjob.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using velmora::test::PdfText;

class ReportFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void agedDebtPlacesEachUnpaidPartByAge();
    void agedDebtTotalsPerAccountAndOverall();
    void vehiclesMarkDatesAlreadyPast();
    void driversJobsAreGroupedByDriver();
    void incomeByDriverCountsReceiptLinesOnly();
    void pagingBoardFillsOneLandscapePage();

private:
    // Renders the delivered report `name` to PDF and reads it back.
    std::unique_ptr<PdfText> render(const QString& name,
                                    const QMap<QString, QString>& parameters = {});
    static QString day(int offset) { return velmora::ukDate(QDate::currentDate().addDays(offset)); }

    std::unique_ptr<velmora::test::TestDatabase> m_db;
    QTemporaryDir m_out;
};

void ReportFilesTest::initTestCase()
{
    QVERIFY(m_out.isValid());
    m_db = std::make_unique<velmora::test::TestDatabase>();
    velmora::test::addReportFirm(*m_db, QDate::currentDate());
}

std::unique_ptr<PdfText> ReportFilesTest::render(const QString& name,
                                                 const QMap<QString, QString>& parameters)
{
    velmora::reports::ReportRequest request;
    request.reportPath = QStringLiteral(VELMORA_REPORT_SOURCES "/") + name;
    request.databasePath = m_db->path();
    request.parameters = parameters;
    const QString pdf = m_out.filePath(name + QStringLiteral(".pdf"));
    QFile::remove(pdf);
    velmora::reports::PdfFileOutput output(pdf, {QString(), {}, true});
    velmora::reports::ReportControl control;
    const auto error = velmora::reports::runReportJob(request, output, control);
    if (error.number != 0)
        qWarning("%s: %d %s", qPrintable(name), error.number, qPrintable(error.text));
    auto text = std::make_unique<PdfText>(pdf);
    if (!text->isValid())
        qWarning("%s", qPrintable(text->error()));
    return text;
}

void ReportFilesTest::agedDebtPlacesEachUnpaidPartByAge()
{
    const auto pdf = render(QStringLiteral("ageddebt.rpt"));
    QVERIFY(pdf->isValid());
    const QString heading = QStringLiteral("Invoice");
    const QString days31 = QStringLiteral("31\u201360 days");
    const QString days61 = QStringLiteral("61\u201390 days");
    using Row = QMap<QString, QString>;
    QCOMPARE(
        pdf->row(QStringLiteral("101"), heading),
        (Row{
            {heading, "101"}, {"Date", day(-10)}, {"Current", "1,234.50"}, {"Total", "1,234.50"}}));
    // Net 500.00 less 120.25 paid.
    QCOMPARE(pdf->row(QStringLiteral("102"), heading),
             (Row{{heading, "102"}, {"Date", day(-45)}, {days31, "379.75"}, {"Total", "379.75"}}));
    QCOMPARE(pdf->row(QStringLiteral("103"), heading),
             (Row{{heading, "103"}, {"Date", day(-75)}, {days61, "88.40"}, {"Total", "88.40"}}));
    QCOMPARE(pdf->row(QStringLiteral("104"), heading), (Row{{heading, "104"},
                                                            {"Date", day(-200)},
                                                            {"Over 90 days", "1,000.00"},
                                                            {"Total", "1,000.00"}}));
    // Thirty days old is still current; thirty-one is not.
    QCOMPARE(pdf->row(QStringLiteral("106"), heading).value("Current"), QStringLiteral("10.00"));
    QCOMPARE(pdf->row(QStringLiteral("107"), heading).value(days31), QStringLiteral("20.00"));
    // Paid in full: neither the invoice nor its account appears.
    QVERIFY(pdf->row(QStringLiteral("105"), heading).isEmpty());
    QVERIFY(!pdf->text().contains(QStringLiteral("Crowther")));
}

void ReportFilesTest::agedDebtTotalsPerAccountAndOverall()
{
    const auto pdf = render(QStringLiteral("ageddebt.rpt"));
    QVERIFY(pdf->isValid());
    const QString heading = QStringLiteral("Invoice");
    const QStringList columns = {"Current", QStringLiteral("31\u201360 days"),
                                 QStringLiteral("61\u201390 days"), "Over 90 days", "Total"};
    const auto figures = [&](const QString& label) {
        const QMap<QString, QString> row = pdf->row(label, heading);
        QStringList values;
        for (const QString& column : columns)
            values.append(row.value(column));
        return values;
    };
    QCOMPARE(figures(QStringLiteral("Total Ashdown Legal LLP")),
             (QStringList{"1,234.50", "379.75", "0.00", "0.00", "1,614.25"}));
    QCOMPARE(figures(QStringLiteral("Total Brightwater Hotel")),
             (QStringList{"10.00", "20.00", "88.40", "1,000.00", "1,118.40"}));
    QCOMPARE(figures(QStringLiteral("All accounts (6 invoices)")),
             (QStringList{"1,244.50", "399.75", "88.40", "1,000.00", "2,732.65"}));
    const QString text = pdf->text();
    QVERIFY(text.contains(QStringLiteral("Northgate Private Hire Ltd")));
    QVERIFY(text.contains(QStringLiteral("as at ") + day(0)));
    QVERIFY(text.contains(QStringLiteral("Page 1 of 1")));
    QCOMPARE(pdf->pageCount(), 1);
    QVERIFY(pdf->pageSize(0).width() < pdf->pageSize(0).height());
}

void ReportFilesTest::vehiclesMarkDatesAlreadyPast()
{
    const auto pdf = render(QStringLiteral("vehicle.rpt"));
    QVERIFY(pdf->isValid());
    const QString heading = QStringLiteral("Registration");
    using Row = QMap<QString, QString>;
    QCOMPARE(pdf->row(QStringLiteral("HG70 KLM"), heading),
             (Row{{heading, "HG70 KLM"},
                  {"Type", "Executive"},
                  {"Driver", "Sunita Rao"},
                  {"Seats", "4"},
                  {"Owner", "Driver"},
                  {"Road tax due", day(-40) + " expired"},
                  {"Plated to", day(200)},
                  {"Insurance due", day(150)}}));
    QCOMPARE(pdf->row(QStringLiteral("YX21 ABC"), heading),
             (Row{{heading, "YX21 ABC"},
                  {"Type", "Saloon Car"},
                  {"Driver", "Dave Kettering"},
                  {"Seats", "4"},
                  {"Owner", "Firm"},
                  {"Road tax due", day(100)},
                  {"Plated to", day(30)},
                  {"Insurance due", day(-5) + " expired"}}));
    QCOMPARE(pdf->row(QStringLiteral("LR19 XYZ"), heading), (Row{{heading, "LR19 XYZ"},
                                                                 {"Type", "8 Seater"},
                                                                 {"Driver", "None"},
                                                                 {"Seats", "8"},
                                                                 {"Owner", "Firm"},
                                                                 {"Road tax due", day(60)},
                                                                 {"Plated to", day(90)},
                                                                 {"Insurance due", day(120)}}));
    QVERIFY(pdf->text().contains(QStringLiteral("3 vehicles; 2 with a date already past.")));
    QVERIFY(pdf->pageSize(0).width() > pdf->pageSize(0).height());
}

void ReportFilesTest::driversJobsAreGroupedByDriver()
{
    // A period around the seeded jobs, from yyyy-MM-dd and from dd/MM/yyyy.
    const auto pdf =
        render(QStringLiteral("drivers.rpt"),
               {{"period", velmora::storedDate(QDate::currentDate().addDays(-7)) + ".." + day(7)}});
    QVERIFY(pdf->isValid());
    using Row = QMap<QString, QString>;
    QCOMPARE(pdf->row(QStringLiteral("A1"), QStringLiteral("Job")),
             (Row{{"Job", "A1"},
                  {"Date", day(-2)},
                  {"Time", "09:15"},
                  {"Passenger", "Mr J. Patel"},
                  {"From", "Harrogate Station"},
                  {"To", "Leeds Bradford Airport"},
                  {"Status", "Completed"}}));
    QCOMPARE(pdf->row(QStringLiteral("A2"), QStringLiteral("Job")).value("Status"),
             QStringLiteral("On board"));
    QCOMPARE(pdf->row(QStringLiteral("A4"), QStringLiteral("Job")).value("Passenger"),
             QStringLiteral("Mr & Mrs Lund"));
    const QString text = pdf->text();
    const QStringList order = {"Dave Kettering 2 jobs",    "\nA1 ", "\nA2 ",
                               "Sunita Rao 2 jobs",        "\nA4 ", "\nA3 ",
                               "No driver assigned 1 job", "\nA5 "};
    qsizetype at = -1;
    for (const QString& part : order) {
        const qsizetype found = text.indexOf(part, at + 1);
        QVERIFY2(found > at, qPrintable(part));
        at = found;
    }
    QVERIFY(!text.contains(QStringLiteral("Tom Ellery")));
    // The default period, last month, holds none of them.
    const auto lastMonth = render(QStringLiteral("drivers.rpt"));
    QVERIFY(lastMonth->text().contains(QStringLiteral("There are no jobs in this period.")));
}

void ReportFilesTest::incomeByDriverCountsReceiptLinesOnly()
{
    const auto pdf = render(QStringLiteral("driverearn.rpt"));
    QVERIFY(pdf->isValid());
    const QString heading = QStringLiteral("Driver");
    using Row = QMap<QString, QString>;
    // 45.00 and 5.50 on one job, 12.80 on the other; the 12.00 payment line is not income.
    QCOMPARE(pdf->row(QStringLiteral("Dave Kettering"), heading),
             (Row{{heading, "Dave Kettering"},
                  {"Jobs", "2"},
                  {"Income", "63.30"},
                  {"Average per job", "31.65"}}));
    // A job without receipt lines still counts as a job.
    QCOMPARE(pdf->row(QStringLiteral("Sunita Rao"), heading), (Row{{heading, "Sunita Rao"},
                                                                   {"Jobs", "2"},
                                                                   {"Income", "1,150.25"},
                                                                   {"Average per job", "575.13"}}));
    QCOMPARE(pdf->row(QStringLiteral("No driver assigned"), heading),
             (Row{{heading, "No driver assigned"},
                  {"Jobs", "1"},
                  {"Income", "20.00"},
                  {"Average per job", "20.00"}}));
    QCOMPARE(pdf->row(QStringLiteral("All drivers"), heading),
             (Row{{heading, "All drivers"},
                  {"Jobs", "5"},
                  {"Income", "1,233.55"},
                  {"Average per job", "246.71"}}));
    QVERIFY(!pdf->text().contains(QStringLiteral("Tom Ellery")));
}

void ReportFilesTest::pagingBoardFillsOneLandscapePage()
{
    const auto pdf = render(QStringLiteral("pageboard.rpt"));
    QVERIFY(pdf->isValid());
    QCOMPARE(pdf->pageCount(), 1);
    const QSizeF page = pdf->pageSize(0);
    QVERIFY(page.width() > page.height());
    const QRectF name = pdf->bounds(QStringLiteral("Mrs Henderson"));
    QVERIFY(!name.isEmpty());
    QVERIFY2(name.width() > 0.8 * page.width(), "the name spans the page");
    QVERIFY(!pdf->text().contains(QStringLiteral("Page 1")));
}

QTEST_MAIN(ReportFilesTest)
#include "test_report_files.moc"
