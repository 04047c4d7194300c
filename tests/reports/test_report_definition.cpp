// The report engine's core: reading definition files, running their queries read-only,
// rendering templates and laying out pages, and the errors it gives for broken files.

#include "data/dates.h"
#include "pdftext.h"
#include "reports/definition.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "reports/sqltext.h"
#include "testdatabase.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using velmora::reports::ReportError;

class ReportDefinitionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void missingFileIsNamed();
    void syntaxErrorNamesFileAndLine();
    void unknownSettingNamesFileAndLine();
    void wrongValuesAreMalformed();
    void templateErrorNamesItsLineInTheFile();
    void failingQueryNamesItsLine();
    void writingQueriesAreRefused();
    void connectionIsReadOnlyWhileReportRuns();
    void unknownParameterFails();
    void formatColumnMustExist();
    void closedDatabaseFails();
    void valuesAreFormattedAndEscaped();
    void nestedSectionsTakeTheirParentsColumns();
    void companyDetailsReachEveryTemplate();
    void recordsCanStartNewPages();
    void orientationAndPageNumbers();
    void longReportsKnowTheirLastPage();
    void placeholdersBecomePositional();

private:
    QString write(const QString& text);
    // Loads and renders `text` as a definition file; the error, numbered 0 on success.
    ReportError failure(const QString& text);
    // Loads and renders `text`, which must succeed, and returns the rich text.
    QString html(const QString& text);
    QString pdf(const QString& text);

    QTemporaryDir m_dir;
    std::unique_ptr<velmora::test::TestDatabase> m_db;
    int m_files = 0;
};

void ReportDefinitionTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = std::make_unique<velmora::test::TestDatabase>();
    m_db->exec(QStringLiteral("insert into company (company_id, company_Name, company_addr1, "
                              "company_town, company_postcode1, company_postcode2) values "
                              "(1, 'Northgate Private Hire Ltd', '14 Station Approach', "
                              "'Harrogate', 'HG1', '1TE')"));
    m_db->exec(QStringLiteral("insert into jobboard (\"Customer Name\") values ('Mrs Henderson')"));
}

QString ReportDefinitionTest::write(const QString& text)
{
    const QString path = m_dir.filePath(QStringLiteral("report%1.rpt").arg(++m_files));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

ReportError ReportDefinitionTest::failure(const QString& text)
{
    ReportError error;
    velmora::reports::renderReportFile(write(text), m_db->db(), &error);
    return error;
}

QString ReportDefinitionTest::html(const QString& text)
{
    ReportError error;
    const auto report = velmora::reports::renderReportFile(write(text), m_db->db(), &error);
    if (!report)
        qWarning("%d %s", error.number, qPrintable(error.text));
    return report ? report->html : QString();
}

QString ReportDefinitionTest::pdf(const QString& text)
{
    ReportError error;
    const QString path = write(text);
    const auto report = velmora::reports::renderReportFile(path, m_db->db(), &error);
    const QString out = path + QStringLiteral(".pdf");
    if (!report || !velmora::reports::writePdf(*report, out, {m_db->path(), {path}, true}, &error))
        qWarning("%d %s", error.number, qPrintable(error.text));
    return out;
}

void ReportDefinitionTest::missingFileIsNamed()
{
    const QString path = m_dir.filePath(QStringLiteral("nowhere.rpt"));
    ReportError error;
    QVERIFY(!velmora::reports::loadDefinition(path, &error));
    QCOMPARE(error.number, int(ReportError::FileMissing));
    QCOMPARE(
        error.text,
        QStringLiteral("The report file '%1' was not found.").arg(QDir::toNativeSeparators(path)));
}

void ReportDefinitionTest::syntaxErrorNamesFileAndLine()
{
    const QString text = QStringLiteral("[report]\n"
                                        "title = \"Broken\"\n"
                                        "orientation = \"landscape\n"
                                        "[layout]\n"
                                        "template = \"x\"\n");
    const QString path = write(text);
    ReportError error;
    QVERIFY(!velmora::reports::loadDefinition(path, &error));
    QCOMPARE(error.number, int(ReportError::Malformed));
    QVERIFY2(error.text.startsWith(QStringLiteral("The report file '%1', line 3 is malformed: ")
                                       .arg(QDir::toNativeSeparators(path))),
             qPrintable(error.text));
}

void ReportDefinitionTest::unknownSettingNamesFileAndLine()
{
    const ReportError error = failure(QStringLiteral("[report]\n"
                                                     "title = \"Rows\"\n"
                                                     "\n"
                                                     "[data.rows]\n"
                                                     "sqll = \"select 1\"\n"
                                                     "[layout]\n"
                                                     "template = \"x\"\n"));
    QCOMPARE(error.number, int(ReportError::Malformed));
    QVERIFY2(error.text.contains(
                 QStringLiteral("line 5 is malformed: unknown setting 'sqll' in [data.rows]")),
             qPrintable(error.text));
}

void ReportDefinitionTest::wrongValuesAreMalformed()
{
    const ReportError orientation = failure(
        QStringLiteral("[report]\norientation = \"sideways\"\n[layout]\ntemplate = \"x\"\n"));
    QCOMPARE(orientation.number, int(ReportError::Malformed));
    QVERIFY(orientation.text.contains(QStringLiteral("line 2")));
    QVERIFY(orientation.text.contains(QStringLiteral("\"sideways\"")));

    const ReportError noLayout = failure(QStringLiteral("[report]\ntitle = \"x\"\n"));
    QCOMPARE(noLayout.number, int(ReportError::Malformed));
    QVERIFY(noLayout.text.contains(QStringLiteral("no [layout] section")));

    const ReportError noQuery =
        failure(QStringLiteral("[data.rows]\nmoney = []\n[layout]\ntemplate = \"x\"\n"));
    QCOMPARE(noQuery.number, int(ReportError::Malformed));
    QVERIFY(noQuery.text.contains(QStringLiteral("[data.rows] has no sql query")));
}

void ReportDefinitionTest::templateErrorNamesItsLineInTheFile()
{
    const ReportError error = failure(QStringLiteral("[data.rows]\n"
                                                     "sql = \"select 1 as one\"\n"
                                                     "\n"
                                                     "[layout]\n"
                                                     "template = '''\n"
                                                     "<p>First</p>\n"
                                                     "{{#rows}}\n"
                                                     "<p>{{one}}</p>\n"
                                                     "'''\n"));
    QCOMPARE(error.number, int(ReportError::Malformed));
    QVERIFY2(error.text.contains(
                 QStringLiteral("line 7 is malformed: in the template, unclosed section \"rows\"")),
             qPrintable(error.text));
}

void ReportDefinitionTest::failingQueryNamesItsLine()
{
    const QString text = QStringLiteral("[report]\n"
                                        "title = \"Jobs\"\n"
                                        "\n"
                                        "[data.jobs]\n"
                                        "sql = '''\n"
                                        "select no_such_column from jobs\n"
                                        "'''\n"
                                        "[layout]\n"
                                        "template = \"x\"\n");
    const QString path = write(text);
    ReportError error;
    QVERIFY(!velmora::reports::renderReportFile(path, m_db->db(), &error));
    QCOMPARE(error.number, int(ReportError::QueryFailed));
    QVERIFY2(error.text.startsWith(QStringLiteral("The report file '%1', line 6: the query of "
                                                  "'jobs' failed: ")
                                       .arg(QDir::toNativeSeparators(path))),
             qPrintable(error.text));
    QVERIFY2(error.text.contains(QStringLiteral("no_such_column")), qPrintable(error.text));
}

void ReportDefinitionTest::writingQueriesAreRefused()
{
    const ReportError remove = failure(QStringLiteral(
        "[data.gone]\nsql = \"delete from jobboard\"\n[layout]\ntemplate = \"x\"\n"));
    QCOMPARE(remove.number, int(ReportError::QueryRefused));
    QVERIFY2(remove.text.contains(QStringLiteral("line 2: the query of 'gone' is refused: a "
                                                 "report may only read")),
             qPrintable(remove.text));
    const ReportError twice = failure(QStringLiteral(
        "[data.gone]\nsql = \"select 1; delete from jobboard\"\n[layout]\ntemplate = \"x\"\n"));
    QCOMPARE(twice.number, int(ReportError::QueryRefused));
    QVERIFY(twice.text.contains(QStringLiteral("more than one statement")));
    QCOMPARE(m_db->value(QStringLiteral("select count(*) from jobboard")).toInt(), 1);
}

void ReportDefinitionTest::connectionIsReadOnlyWhileReportRuns()
{
    const ReportError error =
        failure(QStringLiteral("[data.gone]\nsql = \"with x as (select 1) delete from jobboard\"\n"
                               "[layout]\ntemplate = \"x\"\n"));
    QCOMPARE(error.number, int(ReportError::QueryRefused));
    QCOMPARE(m_db->value(QStringLiteral("select count(*) from jobboard")).toInt(), 1);
    // Writable again once the report is done.
    m_db->exec(QStringLiteral("insert into invoice_temp (invoice_no) values (7)"));
    QCOMPARE(m_db->value(QStringLiteral("select count(*) from invoice_temp")).toInt(), 1);
    m_db->exec(QStringLiteral("delete from invoice_temp"));
}

void ReportDefinitionTest::unknownParameterFails()
{
    const ReportError error = failure(
        QStringLiteral("[data.rows]\nsql = \"select :nothing\"\n[layout]\ntemplate = \"x\"\n"));
    QCOMPARE(error.number, int(ReportError::QueryFailed));
    QVERIFY(error.text.contains(QStringLiteral(":nothing")));
}

void ReportDefinitionTest::formatColumnMustExist()
{
    const ReportError error = failure(QStringLiteral(
        "[data.rows]\nmoney = [\"amount\"]\nsql = \"select 1 as total\"\n[layout]\ntemplate = "
        "\"x\"\n"));
    QCOMPARE(error.number, int(ReportError::Malformed));
    QVERIFY2(error.text.contains(QStringLiteral("line 3: 'amount', listed under money, is not a "
                                                "column of the query of 'rows'")),
             qPrintable(error.text));
}

void ReportDefinitionTest::closedDatabaseFails()
{
    ReportError error;
    const auto definition = velmora::reports::loadDefinition(
        write(QStringLiteral("[layout]\ntemplate = \"x\"\n")), &error);
    QVERIFY(definition);
    QVERIFY(
        !velmora::reports::renderReport(*definition, QSqlDatabase(), QDate::currentDate(), &error));
    QCOMPARE(error.number, int(ReportError::NoDatabase));
}

void ReportDefinitionTest::valuesAreFormattedAndEscaped()
{
    const QString result = html(QStringLiteral(
        "[data.rows]\n"
        "money = [\"amount\", \"refund\", \"absent\"]\n"
        "dates = [\"day\", \"stamp\"]\n"
        "sql = '''\n"
        "select 12345000 as amount, -500 as refund, null as absent, '2026-03-05' as day,\n"
        "       '2025-11-30 10:30:00' as stamp, 'Mr & Mrs <Lund>' as name, '' as empty\n"
        "'''\n"
        "[layout]\n"
        "template = '''\n"
        "{{#rows}}[{{amount}}|{{refund}}|{{absent}}{{^absent}}none{{/absent}}|{{day}}|"
        "{{stamp}}|{{name}}|{{^empty}}blank{{/empty}}]{{/rows}}\n"
        "'''\n"));
    QVERIFY2(result.contains(QStringLiteral(
                 "[1,234.50|-0.05|none|05/03/2026|30/11/2025|Mr &amp; Mrs &lt;Lund&gt;|blank]")),
             qPrintable(result));
}

void ReportDefinitionTest::nestedSectionsTakeTheirParentsColumns()
{
    const QString result = html(
        QStringLiteral("[data.outer]\n"
                       "sql = \"select 1 as id, 'a' as tag union all select 2, 'b' order by id\"\n"
                       "[data.outer.inner]\n"
                       "sql = \"select :id * 10 as value, :tag as tag, :today as today\"\n"
                       "[layout]\n"
                       "template = '''\n"
                       "{{#outer}}{{_number}}{{#_first}}F{{/_first}}{{#_last}}L{{/_last}}"
                       "({{#inner}}{{value}}{{tag}}{{today}}{{/inner}}){{/outer}}\n"
                       "'''\n"));
    const QString today = velmora::storedDate(QDate::currentDate());
    QVERIFY2(result.contains(QStringLiteral("1F(10a%1)2L(20b%1)").arg(today)), qPrintable(result));
}

void ReportDefinitionTest::companyDetailsReachEveryTemplate()
{
    const QString result = html(QStringLiteral(
        "[report]\ntitle = \"Details\"\n"
        "[layout]\n"
        "template = \"{{title}}|{{company_name}}|{{company_address}}|{{company_postcode}}|"
        "{{printed}}\"\n"));
    QVERIFY2(result.contains(QStringLiteral("Details|Northgate Private Hire Ltd|14 Station "
                                            "Approach, Harrogate, HG1 1TE|HG1 1TE|%1")
                                 .arg(velmora::ukDate(QDate::currentDate()))),
             qPrintable(result));
}

void ReportDefinitionTest::recordsCanStartNewPages()
{
    const velmora::test::PdfText text(pdf(QStringLiteral(
        "[data.records]\n"
        "sql = \"select 1 as n union all select 2 union all select 3 order by n\"\n"
        "[layout]\n"
        "template = '''\n"
        "{{#records}}<p class=\"{{^_first}}page-break{{/_first}}\">Record {{n}}</p>{{/records}}\n"
        "'''\n")));
    QVERIFY2(text.isValid(), qPrintable(text.error()));
    QCOMPARE(text.pageCount(), 3);
    QVERIFY(text.text().contains(QStringLiteral("Record 2")));
    QVERIFY(text.text().contains(QStringLiteral("Page 3 of 3")));
}

void ReportDefinitionTest::longReportsKnowTheirLastPage()
{
    // Past the pages held until the end, the footers still name the total: in a PDF file
    // (numbered when it is finished) and on a printer (its pages kept until then).
    const QString definition = write(QStringLiteral(
        "[data.records]\n"
        "sql = \"with recursive n(i) as (select 1 union all select i + 1 from n where i < 57) "
        "select i from n\"\n"
        "[layout]\n"
        "template = '''\n"
        "{{#records}}<p class=\"{{^_first}}page-break{{/_first}}\">Record {{i}}</p>{{/records}}\n"
        "'''\n"));
    ReportError error;
    const auto report = velmora::reports::renderReportFile(definition, m_db->db(), &error);
    QVERIFY2(report, qPrintable(error.text));
    const QString file = definition + QStringLiteral(".pdf");
    QVERIFY(velmora::reports::writePdf(*report, file, {m_db->path(), {definition}, true}, &error));
    const QString printed = definition + QStringLiteral(".printed.pdf");
    {
        QPdfWriter printer(printed); // as a printer's pages are painted
        printer.setResolution(velmora::reports::kDeviceDpi);
        velmora::reports::applyPageLayout(*report, printer);
        QVERIFY(velmora::reports::paintReport(*report, printer, &error));
    }
    for (const QString& path : {file, printed}) {
        const velmora::test::PdfText text(path);
        QVERIFY2(text.isValid(), qPrintable(text.error()));
        QCOMPARE(text.pageCount(), 57);
        const QString all = text.text();
        for (const int page : {1, 41, 57})
            QVERIFY2(all.contains(QStringLiteral("Page %1 of 57").arg(page)),
                     qPrintable(all.right(400)));
        QCOMPARE(all.count(QStringLiteral(" of 57")), 57);
        QVERIFY(all.indexOf(QStringLiteral("Record 41")) <
                all.indexOf(QStringLiteral("Record 42")));
        QVERIFY(all.contains(QStringLiteral("Record 57")));
    }
}

void ReportDefinitionTest::orientationAndPageNumbers()
{
    const velmora::test::PdfText landscape(
        pdf(QStringLiteral("[report]\ntitle = \"Wide\"\norientation = \"landscape\"\n"
                           "[layout]\ntemplate = \"<p>Across</p>\"\n")));
    QVERIFY2(landscape.isValid(), qPrintable(landscape.error()));
    // A4 in points.
    QCOMPARE(qRound(landscape.pageSize(0).width()), 842);
    QCOMPARE(qRound(landscape.pageSize(0).height()), 595);
    QVERIFY(landscape.text().contains(QStringLiteral("Northgate Private Hire Ltd")));
    QVERIFY(landscape.text().contains(QStringLiteral("Wide")));
    QVERIFY(landscape.text().contains(QStringLiteral("Page 1 of 1")));

    const velmora::test::PdfText bare(pdf(
        QStringLiteral("[report]\npage-numbers = false\n[layout]\ntemplate = \"<p>Alone</p>\"\n")));
    QVERIFY(bare.isValid());
    QCOMPARE(qRound(bare.pageSize(0).width()), 595);
    QVERIFY(!bare.text().contains(QStringLiteral("Page 1")));
}

void ReportDefinitionTest::placeholdersBecomePositional()
{
    QString reason;
    const auto bound = velmora::reports::bindReadOnly(
        QStringLiteral("-- :not a parameter\n"
                       "select ':quoted', \"it''s :x\", [a:b] /* :c */ from t where a = :first "
                       "and b = :second_2;"),
        &reason);
    QVERIFY2(bound, qPrintable(reason));
    QCOMPARE(bound->parameters, (QStringList{"first", "second_2"}));
    QVERIFY(bound->sql.endsWith(QStringLiteral("where a = ? and b = ?")));
    QVERIFY(bound->sql.contains(QStringLiteral("':quoted'")));
    QVERIFY(!velmora::reports::bindReadOnly(QStringLiteral("  \n-- nothing\n"), &reason));
    QVERIFY(reason.contains(QStringLiteral("empty")));
    QVERIFY(!velmora::reports::bindReadOnly(QStringLiteral("update jobs set x = 1"), &reason));
    QVERIFY(velmora::reports::bindReadOnly(QStringLiteral("WITH a AS (SELECT 1) SELECT * FROM a"),
                                           &reason));
}

QTEST_MAIN(ReportDefinitionTest)
#include "test_report_definition.moc"
