#pragma once

#include "reportstream.h"

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
    // Paints page `index` of `document` (laid out in points, pages of `pageSize`) as the
    // next page of the report; `total` is the report's number of pages, or -1 while it is
    // not known. False when the output fails.
    virtual bool addPage(QTextDocument& document, int index, QSizeF pageSize, int total) = 0;
    // Paints the whole of `document` scaled to fill one page.
    virtual bool addFitted(QTextDocument& document) = 0;
};

// Lays out a report's rich text as it arrives and hands finished pages to a PageSink, so
// that only the page being filled (and a few after it) is held at any time.
//
// Pages are cut where a row of a data section ends inside a table (the table is closed
// there and opened again on the next page, its <thead> with it) and before a top-level
// element that starts a new page (class "page-break" or page-break-before). Text between
// such places stays together until it is complete.
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
    // False once the sink has failed; the rest of the report is then dropped.
    bool isHealthy() const { return m_healthy; }
    int pagesDone() const { return m_pages; }

private:
    struct Open
    {
        QString name;
        QString startTag;
        QString head; // a table's <thead>...</thead>, replayed when it is reopened
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
    bool handOver(QTextDocument& document, int pages, int total);
    std::unique_ptr<QTextDocument> layOut(const QString& html);

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
    int m_pages = 0;
    bool m_healthy = true;
};

} // namespace velmora::reports
