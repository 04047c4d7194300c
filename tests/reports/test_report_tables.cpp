// Tables whose rows are painted without a text document: rows cut across pages with the
// heading again, long cells wrapping, group rows across all columns, odd markup left to
// the text document, and the same words in the same places as a text document prints.

#include "pdftext.h"
#include "reports/pagepainter.h"
#include "reports/rowmarkup.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora::reports;
using velmora::test::PdfText;

namespace {

const QString kHead = QStringLiteral(
    "<table class=\"grid\" width=\"100%\" cellspacing=\"0\"><thead><tr><th width=\"15%\">Code</th>"
    "<th width=\"55%\">Name</th><th class=\"num\" width=\"30%\">Amount</th></tr></thead>\n");

} // namespace

class ReportTablesTest : public QObject
{
    Q_OBJECT

private slots:
    void plainRowsAreRead_data();
    void plainRowsAreRead();
    void paintedRowsPrintAsATextDocument_data();
    void paintedRowsPrintAsATextDocument();
    void headingRepeatsOnEveryPage();
    void oddMarkupFallsBack();
    void shortReportsKnowTheirTotal_data();
    void shortReportsKnowTheirTotal();
    void longCellWraps();

private:
    // Prints `rows` in a table between a heading and a closing line, each row handed to the
    // paginator as a record of its own (`streamed`) or the whole text at once.
    PdfText print(const QStringList& rows, bool streamed, const QString& name,
                  const QString& head = kHead);

    QTemporaryDir m_dir;
};

namespace {

QStringList plainRows(int count, const QString& cell = QStringLiteral("Name %1"))
{
    QStringList rows;
    for (int i = 1; i <= count; ++i) {
        if (i % 10 == 1)
            rows.append(QStringLiteral("<tr class=\"group\"><td colspan=\"3\">Group %1 <span "
                                       "class=\"muted\">&nbsp;10 rows &middot; ok</span></td></tr>")
                            .arg(i / 10 + 1));
        rows.append(QStringLiteral("<tr>\n  <td>R%1</td>\n  <td>%2</td>\n  <td class=\"num\">"
                                   "<b>1,2%1.50</b></td>\n</tr>\n")
                        .arg(i)
                        .arg(cell.arg(i)));
    }
    return rows;
}

QStringList words(const PdfText& text)
{
    return text.text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

PdfText ReportTablesTest::print(const QStringList& rows, bool streamed, const QString& name,
                                const QString& head)
{
    RenderedReport look;
    look.title = QStringLiteral("Tables");
    look.company = QStringLiteral("Firm");
    look.printed = QDate(2026, 11, 30);
    const QString path = m_dir.filePath(name + QStringLiteral(".pdf"));
    {
        QPdfWriter writer(path);
        applyPageLayout(look, writer);
        DevicePages pages(look, writer);
        Paginator paginator(look.style, contentSize(look), pages);
        paginator.write(QStringLiteral("<h1>Heading</h1><p>Before the table</p>") + head);
        if (streamed) {
            for (const QString& row : rows) {
                paginator.write(row);
                paginator.rowEnded();
            }
        } else {
            paginator.write(rows.join(QString()));
        }
        paginator.write(QStringLiteral("</table><p>After the table</p>"));
        if (!paginator.finish() || !pages.end())
            qWarning("the PDF could not be written");
    }
    return PdfText(path);
}

void ReportTablesTest::plainRowsAreRead_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("cells"); // empty: not plain
    QTest::newRow("text and entities")
        << "<tr class=\"x\">\n <td> A&amp;B \n C </td><td colspan=\"2\">&nbsp;1&#183;2</td></tr>"
        << QStringList{"A&B C", QStringLiteral("\u00a01\u00b72")};
    QTest::newRow("inline markup and breaks")
        << "<thead><tr><th>x <b>y</b> <span class=\"m\">z</span><br/> w</th></tr></thead>"
        << QStringList{QStringLiteral("x y z\u2028w")};
    QTest::newRow("paragraph") << "<tr><td><p>a</p></td></tr>" << QStringList{};
    QTest::newRow("image") << "<tr><td><img src=\"a.png\"/></td></tr>" << QStringList{};
    QTest::newRow("nested table") << "<tr><td><table><tr><td>a</td></tr></table></td></tr>"
                                  << QStringList{};
    QTest::newRow("unknown entity") << "<tr><td>&bogus;</td></tr>" << QStringList{};
    QTest::newRow("row span") << "<tr><td rowspan=\"2\">a</td></tr>" << QStringList{};
    QTest::newRow("text between rows") << "<tr><td>a</td></tr>b" << QStringList{};
    QTest::newRow("page break") << "<tr style=\"page-break-before: always\"><td>a</td></tr>"
                                << QStringList{};
}

void ReportTablesTest::plainRowsAreRead()
{
    QFETCH(QString, html);
    QFETCH(QStringList, cells);
    const auto rows = parsePlainRows(html);
    QCOMPARE(rows.has_value(), !cells.isEmpty());
    if (!rows)
        return;
    QCOMPARE(rows->size(), std::size_t(1));
    QStringList texts;
    for (const CellMarkup& cell : rows->front().cells)
        texts.append(cell.text);
    QCOMPARE(texts, cells);
}

void ReportTablesTest::paintedRowsPrintAsATextDocument_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("head");
    QTest::newRow("short rows over pages") << plainRows(160) << kHead;
    QTest::newRow("no heading") << plainRows(90)
                                << QStringLiteral("<table class=\"grid\" width=\"100%\">");
    // Wrapped rows stay whole where the text document would split them between pages.
    QTest::newRow("wrapped rows on one page")
        << plainRows(8, QStringLiteral("%1 ") + QStringLiteral(" and more words ").repeated(12))
        << kHead;
}

void ReportTablesTest::paintedRowsPrintAsATextDocument()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, head);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
    const PdfText painted = print(rows, true, name, head);
    const PdfText document = print(rows, false, name + QStringLiteral("-document"), head);
    QVERIFY2(painted.isValid(), qPrintable(painted.error()));
    QVERIFY2(document.isValid(), qPrintable(document.error()));
    QCOMPARE(painted.pageCount(), document.pageCount());
    QCOMPARE(words(painted), words(document));
    // Each cell where the text document puts it.
    for (const QString& word : {QStringLiteral("R1"), QStringLiteral("Group"),
                                QStringLiteral("1,21.50"), QStringLiteral("After")}) {
        const QRectF at = painted.bounds(word);
        const QRectF expected = document.bounds(word);
        QVERIFY2(std::abs(at.left() - expected.left()) < 1 &&
                     std::abs(at.top() - expected.top()) < 1,
                 qPrintable(word));
    }
}

void ReportTablesTest::headingRepeatsOnEveryPage()
{
    const PdfText text = print(plainRows(300), true, QStringLiteral("heading"));
    QVERIFY(text.pageCount() > 5);
    const QStringList all = words(text);
    QCOMPARE(all.count(QStringLiteral("Code")), text.pageCount());
    QCOMPARE(all.count(QStringLiteral("Group")), 30);
    // Every row once, in order.
    int last = 0;
    for (const QString& word : all) {
        if (word.startsWith('R') && word.mid(1).toInt() > 0) {
            QCOMPARE(word.mid(1).toInt(), last + 1);
            last = word.mid(1).toInt();
        }
    }
    QCOMPARE(last, 300);
    QVERIFY(text.text().contains(QStringLiteral("Page 1 of %1").arg(text.pageCount())));
}

void ReportTablesTest::oddMarkupFallsBack()
{
    QStringList rows = plainRows(120);
    rows.insert(60, QStringLiteral("<tr><td colspan=\"3\"><p>A paragraph</p></td></tr>"));
    const PdfText text = print(rows, true, QStringLiteral("odd"));
    const QStringList all = words(text);
    QCOMPARE(all.count(QStringLiteral("Code")), text.pageCount());
    QCOMPARE(all.count(QStringLiteral("paragraph")), 1);
    QVERIFY(all.indexOf(QStringLiteral("R54")) < all.indexOf(QStringLiteral("paragraph")));
    QVERIFY(all.indexOf(QStringLiteral("paragraph")) < all.indexOf(QStringLiteral("R55")));
    QCOMPARE(all.count(QStringLiteral("R120")), 1);
    QVERIFY(all.indexOf(QStringLiteral("R120")) < all.indexOf(QStringLiteral("After")));
}

namespace {

// Counts the pages handed over and the totals they were given.
class CountingSink final : public PageSink
{
public:
    explicit CountingSink(bool wantsTotal) : m_wantsTotal(wantsTotal) {}
    bool addPage(const PageContent&, QSizeF, int total) override
    {
        totals.append(total);
        return true;
    }
    bool addFitted(QTextDocument&) override { return true; }
    bool wantsTotal() const override { return m_wantsTotal; }

    QList<int> totals;

private:
    bool m_wantsTotal;
};

} // namespace

void ReportTablesTest::shortReportsKnowTheirTotal_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("wantsTotal");
    QTest::addColumn<bool>("total"); // whether the pages are given their total
    QTest::newRow("short, printed") << 60 << true << true;
    QTest::newRow("short, previewed") << 60 << false << false;
    QTest::newRow("long, printed") << 1500 << true << false;
}

void ReportTablesTest::shortReportsKnowTheirTotal()
{
    QFETCH(int, rows);
    QFETCH(bool, wantsTotal);
    QFETCH(bool, total);
    CountingSink sink(wantsTotal);
    RenderedReport look;
    Paginator paginator(look.style, contentSize(look), sink);
    paginator.write(kHead);
    for (const QString& row : plainRows(rows)) {
        paginator.write(row);
        paginator.rowEnded();
    }
    // A page is handed over before the end unless it waits for the total.
    QCOMPARE(sink.totals.isEmpty(), total);
    paginator.write(QStringLiteral("</table>"));
    QVERIFY(paginator.finish());
    QVERIFY(sink.totals.size() > 1);
    QCOMPARE(sink.totals.count(sink.totals.size()), total ? sink.totals.size() : 0);
}

void ReportTablesTest::longCellWraps()
{
    const PdfText text =
        print(plainRows(3, QStringLiteral("first%1 ") + QStringLiteral("filler ").repeated(60) +
                               QStringLiteral("last%1")),
              true, QStringLiteral("wrap"));
    const QStringList lines = text.text().split(QLatin1Char('\n'));
    const auto lineOf = [&lines](const QString& word) {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines.at(i).split(QLatin1Char(' ')).contains(word))
                return i;
        }
        return qsizetype(-1);
    };
    QVERIFY(lineOf(QStringLiteral("first2")) >= 0);
    QVERIFY(lineOf(QStringLiteral("last2")) > lineOf(QStringLiteral("first2")) + 2);
    // The next row starts below the whole of the wrapped cell.
    QVERIFY(lineOf(QStringLiteral("R3")) > lineOf(QStringLiteral("last2")));
}

QTEST_MAIN(ReportTablesTest)
#include "test_report_tables.moc"
