// `velmora-cli report`: every delivered report rendered to PDF from the demo firm, and the
// report error and exit code of a broken file.

#include "pdftext.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class ReportCliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesEveryDeliveredReport_data();
    void writesEveryDeliveredReport();
    void brokenFileExitsWithTheReportError();

private:
    struct Result
    {
        int exitCode;
        QString out;
        QString err;
    };
    Result run(const QStringList& arguments, const QByteArray& input = {});

    QTemporaryDir m_dir;
    QString m_database;
};

ReportCliTest::Result ReportCliTest::run(const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("VELMORA_REPORTS_DIR"));
    environment.remove(QStringLiteral("VELMORA_DATABASE"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        qWarning("velmora-cli did not finish");
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

void ReportCliTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_database = m_dir.filePath(QStringLiteral("taxi.mdb"));
    const Result init =
        run({"init", "--database", m_database, "--operator", "boss", "--demo"}, "secret\n");
    QVERIFY2(init.exitCode == 0, qPrintable(init.err));
}

void ReportCliTest::writesEveryDeliveredReport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::newRow("paging board") << "pageboard.rpt" << QString();
    QTest::newRow("aged debt") << "ageddebt.rpt"
                               << "Aged Debt";
    QTest::newRow("vehicles") << "vehicle.rpt"
                              << "Vehicles";
    QTest::newRow("drivers' jobs") << "drivers.rpt"
                                   << "Drivers' Jobs";
    QTest::newRow("income by driver") << "driverearn.rpt"
                                      << "Income by Driver";
}

void ReportCliTest::writesEveryDeliveredReport()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    const QString pdf = m_dir.filePath(file + QStringLiteral(".pdf"));
    const Result result = run({"report", file, "--pdf", pdf, "--database", m_database});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const velmora::test::PdfText text(pdf);
    QVERIFY2(text.isValid(), qPrintable(text.error()));
    QVERIFY(text.pageCount() >= 1);
    if (!title.isEmpty())
        QVERIFY2(text.text().contains(title), qPrintable(text.text()));
}

void ReportCliTest::brokenFileExitsWithTheReportError()
{
    const QString path = m_dir.filePath(QStringLiteral("broken.rpt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[report]\ntitle = \"Broken\n[layout]\ntemplate = \"x\"\n");
    file.close();
    const QString pdf = m_dir.filePath(QStringLiteral("broken.pdf"));
    const Result result = run({"report", path, "--pdf", pdf, "--database", m_database});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.startsWith(QStringLiteral("velmora-cli report: Report Error 503 The "
                                                  "report file '%1', line 2 is malformed: ")
                                       .arg(path)),
             qPrintable(result.err));
    QVERIFY(!QFile::exists(pdf));
}

QTEST_MAIN(ReportCliTest)
#include "test_report_cli.moc"
