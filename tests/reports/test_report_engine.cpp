// The report engine seam as screens use it: printReport() with the recording engine and
// with the program's engine, the "Report Error" box, printing to PDF files and preview.

#include "pdftext.h"
#include "platform/qtreportengine.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "reportfirm.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using velmora::ReportEngine;
using velmora::ScriptedDialogs;
using velmora::reports::ReportError;

class ReportEngineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void printReportStartsTheFileFromTheReportsFolder();
    void printReportShowsTheEnginesError();
    void missingFileIsAReportError();
    void fileBrokenByHandIsAReportErrorAndPrintingGoesOn();
    void failingQueryIsAReportError();
    void twoCopiesAreTwoFiles();
    void noPrinterFailsWithAClearText();
    void unknownDestinationFails();
    void previewShowsAPreviewWindow();

private:
    // Copies a delivered report into the reports folder, with `from` replaced by `to`.
    void install(const QString& name, const QString& from = {}, const QString& to = {});

    std::unique_ptr<velmora::test::TestDatabase> m_db;
    QTemporaryDir m_reports;
    QTemporaryDir m_prints;
};

void ReportEngineTest::initTestCase()
{
    QVERIFY(m_reports.isValid() && m_prints.isValid());
    m_db = std::make_unique<velmora::test::TestDatabase>();
    velmora::test::addReportFirm(*m_db, QDate::currentDate());
    qputenv("VELMORA_REPORTS_DIR", QFile::encodeName(m_reports.path()));
    install(QStringLiteral("pageboard.rpt"));
}

void ReportEngineTest::cleanup() { qunsetenv("VELMORA_PRINT_DIR"); }

void ReportEngineTest::install(const QString& name, const QString& from, const QString& to)
{
    QFile source(QStringLiteral(VELMORA_REPORT_SOURCES "/") + name);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(source.readAll());
    if (!from.isEmpty()) {
        QVERIFY2(text.contains(from), qPrintable(from));
        text.replace(from, to);
    }
    QFile target(m_reports.filePath(name));
    QVERIFY(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(target.write(text.toUtf8()) > 0);
}

void ReportEngineTest::printReportStartsTheFileFromTheReportsFolder()
{
    velmora::ScriptedReportEngine engine;
    ScriptedDialogs dialogs;
    QVERIFY(velmora::printReport(engine, dialogs, nullptr, QStringLiteral("vehicle.rpt"),
                                 ReportEngine::Preview));
    QVERIFY(velmora::printReport(engine, dialogs, nullptr, QStringLiteral("ageddebt.rpt"),
                                 ReportEngine::Printer));
    QCOMPARE(engine.started.size(), 2);
    QCOMPARE(engine.started.at(0).file, m_reports.filePath(QStringLiteral("vehicle.rpt")));
    QCOMPARE(engine.started.at(0).destination, ReportEngine::Preview);
    QCOMPARE(engine.started.at(1).destination, ReportEngine::Printer);
    QCOMPARE(engine.fileNames(), (QStringList{"vehicle.rpt", "ageddebt.rpt"}));
    QCOMPARE(engine.lastErrorNumber(), 0);
    QVERIFY(dialogs.shown.isEmpty());
}

void ReportEngineTest::printReportShowsTheEnginesError()
{
    velmora::ScriptedReportEngine engine;
    ScriptedDialogs dialogs;
    engine.failures.enqueue({ReportError::NoPrinter, QStringLiteral("No printer is installed.")});
    QVERIFY(!velmora::printReport(engine, dialogs, nullptr, QStringLiteral("drivers.rpt"),
                                  ReportEngine::Printer));
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).kind, ScriptedDialogs::Kind::Exclamation);
    QCOMPARE(dialogs.shown.at(0).title, QStringLiteral("Report Error"));
    QCOMPARE(dialogs.shown.at(0).text, QStringLiteral("507 No printer is installed."));
    QCOMPARE(engine.lastErrorNumber(), 507);
    QCOMPARE(engine.lastErrorText(), QStringLiteral("No printer is installed."));
    // The queue is spent: the next start succeeds and clears the error.
    QCOMPARE(engine.start(), 0);
    QCOMPARE(engine.lastErrorNumber(), 0);
    QVERIFY(engine.lastErrorText().isEmpty());
}

void ReportEngineTest::missingFileIsAReportError()
{
    velmora::QtReportEngine engine(m_db->db());
    ScriptedDialogs dialogs;
    QVERIFY(!velmora::printReport(engine, dialogs, nullptr, QStringLiteral("absent.rpt"),
                                  ReportEngine::Printer));
    QCOMPARE(engine.lastErrorNumber(), int(ReportError::FileMissing));
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("501 The report file '%1' was not found.")
                                              .arg(QDir::toNativeSeparators(m_reports.filePath(
                                                  QStringLiteral("absent.rpt"))))});
    QCOMPARE(dialogs.shown.at(0).title, QStringLiteral("Report Error"));
}

void ReportEngineTest::fileBrokenByHandIsAReportErrorAndPrintingGoesOn()
{
    // The closing quotes of the vehicles query taken away.
    install(QStringLiteral("vehicle.rpt"), QStringLiteral("order by v.reg_no\n'''"),
            QStringLiteral("order by v.reg_no\n"));
    qputenv("VELMORA_PRINT_DIR", QFile::encodeName(m_prints.filePath(QStringLiteral("broken"))));
    velmora::QtReportEngine engine(m_db->db());
    ScriptedDialogs dialogs;
    QVERIFY(!velmora::printReport(engine, dialogs, nullptr, QStringLiteral("vehicle.rpt"),
                                  ReportEngine::Printer));
    QCOMPARE(engine.lastErrorNumber(), int(ReportError::Malformed));
    QCOMPARE(dialogs.shown.size(), 1);
    const QString text = dialogs.shown.at(0).text;
    QVERIFY2(text.startsWith(QStringLiteral("503 The report file '%1', line ")
                                 .arg(QDir::toNativeSeparators(
                                     m_reports.filePath(QStringLiteral("vehicle.rpt"))))),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(" is malformed: ")), qPrintable(text));

    QVERIFY(velmora::printReport(engine, dialogs, nullptr, QStringLiteral("pageboard.rpt"),
                                 ReportEngine::Printer));
    QCOMPARE(engine.lastErrorNumber(), 0);
    QCOMPARE(dialogs.shown.size(), 1);
}

void ReportEngineTest::failingQueryIsAReportError()
{
    install(QStringLiteral("driverearn.rpt"), QStringLiteral("coalesce(i.income, 0) as income"),
            QStringLiteral("coalesce(i.incomes, 0) as income"));
    velmora::QtReportEngine engine(m_db->db());
    ScriptedDialogs dialogs;
    QVERIFY(!velmora::printReport(engine, dialogs, nullptr, QStringLiteral("driverearn.rpt"),
                                  ReportEngine::Preview));
    QCOMPARE(engine.lastErrorNumber(), int(ReportError::QueryFailed));
    QVERIFY2(dialogs.texts().value(0).contains(
                 QStringLiteral("the query of 'drivers' failed: no such column: i.incomes")),
             qPrintable(dialogs.texts().value(0)));
}

void ReportEngineTest::twoCopiesAreTwoFiles()
{
    const QString folder = m_prints.filePath(QStringLiteral("copies"));
    qputenv("VELMORA_PRINT_DIR", QFile::encodeName(folder));
    velmora::QtReportEngine engine(m_db->db());
    engine.setReportFile(m_reports.filePath(QStringLiteral("pageboard.rpt")));
    engine.setDestination(ReportEngine::Printer);
    QCOMPARE(engine.start(), 0);
    QCOMPARE(engine.start(), 0);
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, (QStringList{"0001-pageboard.pdf", "0002-pageboard.pdf"}));
    for (const QString& file : files) {
        const velmora::test::PdfText pdf(QDir(folder).filePath(file));
        QVERIFY2(pdf.isValid(), qPrintable(pdf.error()));
        QVERIFY(pdf.text().contains(QStringLiteral("Mrs Henderson")));
    }
}

void ReportEngineTest::noPrinterFailsWithAClearText()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this machine has a printer");
    velmora::QtReportEngine engine(m_db->db());
    engine.setReportFile(m_reports.filePath(QStringLiteral("pageboard.rpt")));
    engine.setDestination(ReportEngine::Printer);
    QCOMPARE(engine.start(), int(ReportError::NoPrinter));
    QCOMPARE(engine.lastErrorText(),
             QStringLiteral("No printer is installed, so the report 'Paging Board' was not "
                            "printed. Install a printer and make it the default, then print "
                            "again."));
}

void ReportEngineTest::unknownDestinationFails()
{
    velmora::QtReportEngine engine(m_db->db());
    engine.setReportFile(m_reports.filePath(QStringLiteral("pageboard.rpt")));
    engine.setDestination(2);
    QCOMPARE(engine.start(), int(ReportError::BadDestination));
}

void ReportEngineTest::previewShowsAPreviewWindow()
{
    velmora::QtReportEngine engine(m_db->db());
    QString shownTitle;
    QSize shownSize;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* preview = qobject_cast<QDialog*>(window);
            if (preview && preview->isVisible() &&
                preview->objectName() == QLatin1String("frmreport_preview")) {
                shownTitle = preview->windowTitle();
                shownSize = preview->size();
                preview->reject();
            }
        }
    });
    closer.start(20);
    engine.setReportFile(m_reports.filePath(QStringLiteral("pageboard.rpt")));
    engine.setDestination(ReportEngine::Preview);
    QCOMPARE(engine.start(), 0);
    QCOMPARE(shownTitle, QStringLiteral("Paging Board - Print Preview"));
    // The whole preview fits the desktop, the foot of its page too.
    const QSize room = QGuiApplication::primaryScreen()->availableSize();
    QVERIFY(shownSize.width() <= room.width() && shownSize.height() <= room.height());
}

QTEST_MAIN(ReportEngineTest)
#include "test_report_engine.moc"
