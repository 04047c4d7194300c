#pragma once

#include "pagecontent.h"
#include "reportstream.h"
#include "tablepainter.h"

#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QTextDocument;

namespace velmora::reports {

// Receives the pages of a report as they are laid out.
class PageSink
{
public:
    virtual ~PageSink() = default;
    // Paints `page` (in points, its content area `pageSize`) as the next page of the report;
    // `total` is the report's number of pages, or -1 while it is not known. False when the
    // output fails.
    virtual bool addPage(const PageContent& page, QSizeF pageSize, int total) = 0;
    // Paints the whole of `document` scaled to fill one page.
    virtual bool addFitted(QTextDocument& document) = 0;
    // Whether pages should wait, while the report is short, until their total is known.
    virtual bool wantsTotal() const { return true; }
};

// Lays out a report's rich text as it arrives and hands finished pages to a PageSink, so
// that only the page being filled (and a few after it) is held at any time.
//
// Pages are cut where a row of a data section ends inside a table (the table is closed
// there and opened again on the next page, its <thead> with it) and before a top-level
// element that starts a new page (class "page-break" or page-break-before). Text between
// such places stays together until it is complete. The plain rows of a table that is not
// inside another (see parsePlainRows) are laid out by a TablePainter, much faster than by
// a text document; the rest of the report, and a table with anything else in its rows,
// by a text document. A report of up to kHeldPages pages is handed over once it is
// complete, so that its pages know their total, unless the sink does without.
class Paginator final : public HtmlSink
{
public:
    // `style` is the CSS of the report; `pageSize` the area of a page in points.
    Paginator(const QString& style, QSizeF pageSize, PageSink& sink,
              StreamCounters* counters = nullptr);
    ~Paginator() override;

    void write(QStringView html) override;
    void rowEnded() override;

    // Lays out what is left and hands over its pages. False when the sink failed.
    bool finish();
    static constexpr int kHeldPages = 40;
    // False once the sink has failed; the rest of the report is then dropped.
    bool isHealthy() const { return m_healthy; }
    int pagesDone() const { return m_pages; }

private:
    struct Open
    {
        QString name;
        QString startTag;
        QString head;           // a table's <thead>...</thead>, replayed when it is reopened
        qsizetype from = 0;     // where the start tag is in the pending text
        qsizetype bodyFrom = 0; // where a table's rows start
        qsizetype headFrom = -1;
        int table = -1; // the table's number in the pending text
        int rows = 0;   // <tr> seen directly in the table
    };
    struct Cut
    {
        qsizetype offset;
        int table;
        int row; // the first row after the cut
        QString reopen;
    };

    void scan();
    void startTag(qsizetype from, qsizetype to);
    void endTag(const QString& name, qsizetype to);
    QString closing() const;
    bool cuttable() const;
    void tryFlush();
    void hardCut(qsizetype at);
    void restart(QString pending);
    std::shared_ptr<QTextDocument> layOut(const QString& html);
    void addSlice(const std::shared_ptr<QTextDocument>& document, int index, qreal height = -1);
    void handOver(const std::shared_ptr<QTextDocument>& document, int pages);
    void endPage();
    void deliver(const PageContent& page, int total);
    QString reopening(std::size_t depth) const;
    bool tryFast(const Open& table, std::size_t depth);
    void placeRows(const LaidRows& rows);
    qreal advance(const std::shared_ptr<const LaidRow>& row);
    qreal bottomWith(const LaidRows& rows, bool fresh);
    void placeRow(const std::shared_ptr<const LaidRow>& row);
    void endFast(qsizetype at, qsizetype after);
    void fallBack();

    QString m_style;
    QSizeF m_pageSize;
    PageSink& m_sink;
    StreamCounters* m_counters;
    QString m_pending;
    qsizetype m_scanned = 0;
    std::vector<Open> m_open;
    std::vector<Cut> m_cuts;
    int m_tables = 0;
    qsizetype m_attemptAt = 0;
    qsizetype m_threshold;
    qsizetype m_hardCutAt = -1;
    int m_pages = 0; // handed over
    int m_laid = 0;  // laid out, held ones too
    bool m_healthy = true;
    // The page being filled and how far down it is.
    PageContent m_page;
    qreal m_y = 0;
    std::vector<PageContent> m_held;
    bool m_holding = true;
    // The table whose rows are being laid out by a painter, its heading rows and where it
    // is among the open elements.
    std::unique_ptr<TablePainter> m_fast;
    LaidRows m_head;
    std::size_t m_fastDepth = 0;
    qsizetype m_fastEnd = -1;
    bool m_headOnPage = false;
    bool m_rowsOnPage = false;
    // The last row on the page being filled and where its text starts, the row of data
    // before it and the table's last row of data, whichever page that is on.
    std::shared_ptr<const LaidRow> m_lastRow;
    qreal m_textTop = 0;
    std::shared_ptr<const LaidRow> m_before;
    std::shared_ptr<const LaidRow> m_tableLast;
    bool m_tableStarts = false; // on the page being filled
    qreal m_startText = -1;     // where the table's first row's text starts, when on this page
    bool m_refused = false;     // the open table's rows are not plain
};

} // namespace velmora::reports
