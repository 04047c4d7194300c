// `velmora-cli report`: every delivered report rendered to PDF from the demo firm, and the
// report error and exit code of a broken file.

#include "csvread.h"
#include "pdftext.h"

#include <QDate>
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
    void pdfNeverOverwritesWhatItMustNot();
    void parametersFromTheCommandLine();
    void statementsOfTheAccountsBetweenTwoNames();
    void rowsAsCsv();

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

void ReportCliTest::pdfNeverOverwritesWhatItMustNot()
{
    const QString report = m_dir.filePath(QStringLiteral("board.rpt"));
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_REPORT_SOURCES "/pageboard.rpt"), report));
    const QString existing = m_dir.filePath(QStringLiteral("existing.pdf"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
    file.close();
    const QByteArray database = [&] {
        QFile db(m_database);
        return db.open(QIODevice::ReadOnly) ? db.readAll() : QByteArray();
    }();
    for (const QStringList& target : {QStringList{existing}, QStringList{m_database, "--force"},
                                      QStringList{report, "--force"}}) {
        const Result result =
            run(QStringList{"report", report, "--database", m_database, "--pdf"} + target);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QStringLiteral("Report Error 515")), qPrintable(result.err));
    }
    QFile kept(existing);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
    QFile db(m_database);
    QVERIFY(db.open(QIODevice::ReadOnly));
    QCOMPARE(db.readAll(), database);
    const Result forced =
        run({"report", report, "--database", m_database, "--pdf", existing, "--force"});
    QVERIFY2(forced.exitCode == 0, qPrintable(forced.err));
    QVERIFY(velmora::test::PdfText(existing).isValid());
}

void ReportCliTest::parametersFromTheCommandLine()
{
    const QString pdf = m_dir.filePath(QStringLiteral("period.pdf"));
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const Result result = run({"report", "drivers.rpt", "--database", m_database, "--pdf", pdf,
                               "--param", "period=" + today + ".." + today});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(velmora::test::PdfText(pdf).text().contains(
        QStringLiteral("Jobs from %1 to %1").arg(QDate::currentDate().toString("dd/MM/yyyy"))));
    const Result wrong =
        run({"report", "drivers.rpt", "--database", m_database, "--pdf",
             m_dir.filePath(QStringLiteral("wrong.pdf")), "--param", "period=soon"});
    QCOMPARE(wrong.exitCode, 1);
    QVERIFY2(wrong.err.contains(QStringLiteral("Report Error 514")), qPrintable(wrong.err));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("wrong.pdf"))));
    const Result twice = run({"report", "drivers.rpt", "--database", m_database, "--pdf",
                              m_dir.filePath(QStringLiteral("twice.pdf")), "--param",
                              "period=" + today + ".." + today, "--param", "period=last-month"});
    QCOMPARE(twice.exitCode, 1);
    QVERIFY2(twice.err.contains(QStringLiteral("--param period is given twice")),
             qPrintable(twice.err));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("twice.pdf"))));
}

// The statements of the demo firm's accounts after an invoice run, to PDF; a reversed or
// unknown account and an existing file are refused.
void ReportCliTest::statementsOfTheAccountsBetweenTwoNames()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("taxi.mdb"));
    QVERIFY(QFile::copy(m_database, database));
    QCOMPARE(run({"invoice", "--database", database}).exitCode, 0);
    const QString pdf = dir.filePath(QStringLiteral("statements.pdf"));
    const QStringList statements{"statements", "--database", database, "--date",
                                 "01/01/2000", "--pdf",      pdf};
    const Result written = run(statements);
    QVERIFY2(written.exitCode == 0, qPrintable(written.err));
    QVERIFY2(written.out.contains(QStringLiteral("Statements of")), qPrintable(written.out));
    const velmora::test::PdfText text(pdf);
    QVERIFY2(text.isValid(), qPrintable(text.error()));
    QVERIFY(text.text().contains(QStringLiteral("Balance brought forward")));
    QCOMPARE(run(statements).exitCode, 1); // the PDF exists now
    QCOMPARE(run(QStringList{"statements", "--database", database, "--date", "01/01/2000", "--pdf",
                             dir.filePath(QStringLiteral("none.pdf")), "--from-account", "999"})
                 .exitCode,
             1);
    QCOMPARE(run({"statements", "--database", database, "--date", "2000-01-01", "--pdf",
                  dir.filePath(QStringLiteral("none.pdf"))})
                 .exitCode,
             1);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.pdf"))));
}

void ReportCliTest::rowsAsCsv()
{
    const QString path = m_dir.filePath(QStringLiteral("rows.rpt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"([report]
title = "Rows"

[data.rows]
money = ["amount"]
dates = ["day"]
sql = '''
select 1 as n, 'Smith, "J"' as name, 123456789 as amount, '2026-12-09' as day, '=1+2' as note
union all
select 2, 'Line' || char(10) || 'break', -50000, '2026-01-31', '-x'
'''

[data.rows.parts]
money = ["amount"]
sql = '''
select :n * 10 as part, 25000 as amount where :n = 1
union all
select :n * 10 + 1, 10000 where :n = 1
'''

[layout]
template = "{{#rows}}{{name}}{{/rows}}"
)");
    file.close();
    const QString csv = m_dir.filePath(QStringLiteral("rows.csv"));
    const Result result = run({"report", path, "--csv", csv, "--database", m_database});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out.trimmed(), QStringLiteral("Wrote 3 rows of rows.rpt to %1").arg(csv));
    QString error;
    const QList<QStringList> rows = velmora::test::readCsvWithPython(csv, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QList<QStringList> expected = {
        {"n", "name", "amount", "day", "note", "part", "parts.amount"},
        {"1", "Smith, \"J\"", "12345.68", "09/12/2026", "'=1+2", "10", "2.50"},
        {"1", "Smith, \"J\"", "12345.68", "09/12/2026", "'=1+2", "11", "1.00"},
        {"2", "Line\nbreak", "-5.00", "31/01/2026", "'-x", "", ""},
    };
    QCOMPARE(rows, expected);

    const Result again = run({"report", path, "--csv", csv, "--database", m_database});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(QStringLiteral("Report Error 515")), qPrintable(again.err));
    const Result both =
        run({"report", path, "--csv", csv, "--pdf", csv + ".pdf", "--database", m_database});
    QCOMPARE(both.exitCode, 1);
    QVERIFY2(both.err.contains(QStringLiteral("Give one of --pdf and --csv.")),
             qPrintable(both.err));
}

QTEST_MAIN(ReportCliTest)
#include "test_report_cli.moc"
