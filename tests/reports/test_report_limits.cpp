// The report engine at any size and against hostile files: long reports stream in bounded
// memory, runs stop when cancelled or past their time limit and leave no file, templates
// that would not end are refused, money must be whole ten-thousandths, parameters are
// checked.

#include "pdftext.h"
#include "reports/reportjob.h"
#include "testdatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using velmora::reports::ReportError;

namespace {

// A query that would run for hours: a recursive count to a billion.
const char* const kRunaway = "with recursive n(x) as (select 1 union all select x + 1 from n "
                             "where x < 1000000000) select count(*) as c from n";

// The highest resident memory of this process so far, in kilobytes.
qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+)"))
                                              .match(QString::fromLatin1(status.readAll()));
    return match.captured(1).toLongLong();
}

} // namespace

class ReportLimitsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void longReportStreamsInBoundedMemory();
    void cancelStopsQueryAndLayout_data();
    void cancelStopsQueryAndLayout();
    void refusedFilesAndValues_data();
    void refusedFilesAndValues();

private:
    QString write(const QString& text);
    ReportError run(const QString& report, const QString& pdf,
                    const QMap<QString, QString>& parameters = {});

    QTemporaryDir m_dir;
    std::unique_ptr<velmora::test::TestDatabase> m_db;
    int m_files = 0;
};

void ReportLimitsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = std::make_unique<velmora::test::TestDatabase>();
    // The cost line a report whose sums run past 64 bits names.
    m_db->exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, "
                              "income_expence, gross_cost, net_cost) "
                              "values ('A', 7, 1, 'I', 90000000, 90000000)"));
}

QString ReportLimitsTest::write(const QString& text)
{
    const QString path = m_dir.filePath(QStringLiteral("report%1.rpt").arg(++m_files));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

ReportError ReportLimitsTest::run(const QString& report, const QString& pdf,
                                  const QMap<QString, QString>& parameters)
{
    velmora::reports::ReportRequest request{
        write(report), m_db->path(), {}, QDate::currentDate(), parameters};
    velmora::reports::PdfFileOutput output(pdf, {QString(), {}, true});
    velmora::reports::ReportControl control;
    return velmora::reports::runReportJob(request, output, control);
}

void ReportLimitsTest::longReportStreamsInBoundedMemory()
{
    const QString pdf = m_dir.filePath(QStringLiteral("long.pdf"));
    const qint64 before = peakKilobytes();
    const ReportError error = run(
        QStringLiteral("[data.rows]\n"
                       "money = [\"amount\"]\n"
                       "sql = '''with recursive n(x) as (select 1 union all select x + 1 from n "
                       "where x < 6000) select x, x * 12345 as amount from n'''\n"
                       "[layout]\n"
                       "template = '''<table class=\"grid\" width=\"100%\"><thead><tr><th>Row</th>"
                       "<th>Amount</th></tr></thead>{{#rows}}<tr><td>Row {{x}}</td>"
                       "<td>{{amount}}</td></tr>{{/rows}}</table><p>The end</p>'''\n"),
        pdf);
    QCOMPARE(error.number, 0);
    // Whole pages of rows are laid out a few at a time, not all at once.
    QVERIFY2(peakKilobytes() - before < 100 * 1024, qPrintable(QString::number(peakKilobytes())));
    const velmora::test::PdfText text(pdf);
    QVERIFY2(text.isValid(), qPrintable(text.error()));
    QVERIFY2(text.pageCount() > 100, qPrintable(QString::number(text.pageCount())));
    const QString all = text.text();
    for (const QString& row : {QStringLiteral("Row 1 "), QStringLiteral("Row 2999 "),
                               QStringLiteral("Row 6000 7,407.00"), QStringLiteral("The end")})
        QVERIFY2(all.contains(row), qPrintable(row));
    // Every row once, the heading on every page.
    QCOMPARE(all.count(QStringLiteral("Row 3000 ")), 1);
    QCOMPARE(all.count(QStringLiteral("Row Amount")), text.pageCount());
}

void ReportLimitsTest::cancelStopsQueryAndLayout_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("afterFirstPage");
    QTest::newRow("during a query") << QString::fromLatin1(kRunaway) << false;
    QTest::newRow("during layout") << QStringLiteral("with recursive n(x) as (select 1 union all "
                                                     "select x + 1 from n) select x as c from n")
                                   << true;
}

void ReportLimitsTest::cancelStopsQueryAndLayout()
{
    QFETCH(QString, sql);
    QFETCH(bool, afterFirstPage);
    const QString pdf = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    velmora::reports::ReportRequest request{
        write(QStringLiteral("[data.rows]\nsql = '''%1'''\n[layout]\ntemplate = '''<table>"
                             "{{#rows}}<tr><td>{{c}}</td></tr>{{/rows}}</table>'''\n")
                  .arg(sql)),
        m_db->path(),
        {},
        QDate::currentDate(),
        {}};
    velmora::reports::ReportWorkers workers;
    velmora::reports::ReportThread run(workers, request,
                                       std::make_unique<velmora::reports::PdfFileOutput>(
                                           pdf, velmora::OutputRules{QString(), {}, true}));
    run.start();
    if (afterFirstPage)
        QTRY_VERIFY_WITH_TIMEOUT(run.control().counters.pages.load() > 0, 20000);
    else
        QThread::msleep(300);
    QVERIFY(!run.isFinished());
    run.control().cancel();
    QTRY_VERIFY_WITH_TIMEOUT(run.isFinished(), 5000);
    QCOMPARE(run.error().number, int(ReportError::Cancelled));
    QVERIFY(!QFile::exists(pdf));
    // The thread the cancelled run leaves behind serves the next run as new.
    const QString next = m_dir.filePath(QStringLiteral("next.pdf"));
    request.reportPath =
        write(QStringLiteral("[data.rows]\nsql = 'select 7 as c'\n[layout]\n"
                             "template = '<p>{{#rows}}Value {{c}}{{/rows}}</p>'\n"));
    velmora::reports::ReportThread again(workers, request,
                                         std::make_unique<velmora::reports::PdfFileOutput>(
                                             next, velmora::OutputRules{QString(), {}, true}));
    again.start();
    again.wait();
    QCOMPARE(again.error().number, 0);
    QVERIFY(velmora::test::PdfText(next).text().contains(QStringLiteral("Value 7")));
}

void ReportLimitsTest::refusedFilesAndValues_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("says");
    const QString layout = QStringLiteral("[layout]\ntemplate = '''%1'''\n");
    QTest::newRow("time limit")
        << QStringLiteral("[report]\nquery-time-limit = 1\n[data.rows]\nsql = '''%1'''\n")
                   .arg(QLatin1String(kRunaway)) +
               layout.arg(QStringLiteral("{{#rows}}{{c}}{{/rows}}"))
        << QString() << int(ReportError::TimedOut) << "ran longer than its time limit of 1 s";
    // Hostile shapes: every one is stopped within its limit, in bounded memory.
    const QString endless = QStringLiteral(
        "[data.rows]\nsql = '''with recursive n(x) as (select 1 union all select x + 1 from n) "
        "select x, %1 from n'''\n");
    const QString table =
        layout.arg(QStringLiteral("<table>{{#rows}}<tr><td>Row {{x}}</td></tr>{{/rows}}</table>"));
    QTest::newRow("endless rows past the row limit")
        << QStringLiteral("[report]\nrow-limit = 2000\n") + endless.arg(QStringLiteral("1")) + table
        << QString() << int(ReportError::TooManyRows) << "read 2000 rows, its limit";
    QTest::newRow("endless rows past the page limit")
        << QStringLiteral("[report]\npage-limit = 2\n") + endless.arg(QStringLiteral("1")) + table
        << QString() << int(ReportError::TooManyPages) << "reached 2 pages, its limit";
    QTest::newRow("endless rows past the time limit")
        << QStringLiteral("[report]\ntime-limit = 1\n") + endless.arg(QStringLiteral("1")) +
               layout.arg(QStringLiteral("{{#rows}}{{/rows}}"))
        << QString() << int(ReportError::TimedOut) << "ran longer than its time limit of 1 s";
    QTest::newRow("endless zero-blobs")
        << QStringLiteral("[report]\nrow-limit = 300\n") +
               endless.arg(QStringLiteral("zeroblob(900000) as b")) + table
        << QString() << int(ReportError::TooManyRows) << "read 300 rows";
    QTest::newRow("a huge zero-blob")
        << QStringLiteral("[data.rows]\nsql = 'select zeroblob(500000000) as b'\n") +
               layout.arg(QStringLiteral("{{#rows}}{{b}}{{/rows}}"))
        << QString() << int(ReportError::QueryFailed) << "larger than the 1048576 bytes";
    QTest::newRow("a huge string")
        << QStringLiteral("[data.rows]\nsql = 'select hex(zeroblob(600000)) as s'\n") +
               layout.arg(QStringLiteral("{{#rows}}{{s}}{{/rows}}"))
        << QString() << int(ReportError::QueryFailed) << "larger than the 1048576 bytes";
    QTest::newRow("sums past 64 bits")
        << QStringLiteral("[data.rows]\nsql = 'select sum(x) as s from (select "
                          "9223372036854775807 as x union all select 1)'\n") +
               layout.arg(QStringLiteral("{{#rows}}{{s}}{{/rows}}"))
        << QString() << int(ReportError::QueryFailed)
        << "its sums ran past what can be held; the largest amount is on a cost line of job A7";
    QTest::newRow("partial includes itself")
        << layout.arg(QStringLiteral("{{>row}}")) +
               QStringLiteral("[layout.partials]\nrow = '''<p>{{>again}}</p>'''\nagain = "
                              "'''{{>row}}'''\n")
        << QString() << int(ReportError::TooComplex) << "the partial \"row\" includes itself";
    QTest::newRow("partial of another file")
        << layout.arg(QStringLiteral("{{>header}}")) << QString() << int(ReportError::Malformed)
        << "the partial \"header\" is not defined in this file";
    QTest::newRow("nesting too deep")
        << layout.arg(QStringLiteral("{{#a}}").repeated(40) + QStringLiteral("{{/a}}").repeated(40))
        << QString() << int(ReportError::TooComplex) << "nest more than";
    QTest::newRow("template too large")
        << layout.arg(QStringLiteral("x").repeated(600 * 1024)) << QString()
        << int(ReportError::TooComplex) << "larger than";
    QTest::newRow("money with a fraction")
        << QStringLiteral("[data.rows]\nmoney = [\"m\"]\nsql = \"select 12.5 as m\"\n") +
               layout.arg(QStringLiteral("{{#rows}}{{m}}{{/rows}}"))
        << QString() << int(ReportError::BadMoney) << "the money column 'm' of 'rows' holds '12.5'";
    QTest::newRow("money beyond exact range")
        << QStringLiteral("[data.rows]\nmoney = [\"m\"]\nsql = \"select 1e300 as m\"\n") +
               layout.arg(QStringLiteral("{{#rows}}{{m}}{{/rows}}"))
        << QString() << int(ReportError::BadMoney) << "not a whole number of ten-thousandths";
    const QString period = QStringLiteral("[parameters.period]\ntype = \"date-range\"\n"
                                          "[data.rows]\nsql = \"select :period_from as f\"\n") +
                           layout.arg(QStringLiteral("{{period}}"));
    QTest::newRow("period backwards") << period << "period=2026-02-01..2026-01-01"
                                      << int(ReportError::BadParameter) << "is not a period";
    QTest::newRow("unknown parameter")
        << period << "month=2026-01-01" << int(ReportError::BadParameter)
        << "has no parameter named 'month'";
}

void ReportLimitsTest::refusedFilesAndValues()
{
    QFETCH(QString, report);
    QFETCH(QString, parameter);
    QFETCH(int, number);
    QFETCH(QString, says);
    QMap<QString, QString> parameters;
    if (!parameter.isEmpty())
        parameters.insert(parameter.section(QLatin1Char('='), 0, 0),
                          parameter.section(QLatin1Char('='), 1));
    const QString pdf = m_dir.filePath(QStringLiteral("refused.pdf"));
    const ReportError error = run(report, pdf, parameters);
    QCOMPARE(error.number, number);
    QVERIFY2(error.text.contains(says), qPrintable(error.text));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY2(peakKilobytes() < 150 * 1024, qPrintable(QString::number(peakKilobytes())));
}

QTEST_MAIN(ReportLimitsTest)
#include "test_report_limits.moc"
