#include "paginator.h"

#include "pagepainter.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>

namespace velmora::reports {

namespace {

// Text laid out before the first pages are handed over: a report shorter than this is
// laid out in one piece, so its pages know their total.
constexpr qsizetype kFirstBatch = 256 * 1024;
// Roughly how much text each later batch adds before pages are cut off it.
constexpr int kBatchPages = 8;

bool isVoid(const QString& name)
{
    static const QStringList names = {"br",   "img",  "hr",   "meta", "input", "col",
                                      "link", "area", "base", "wbr",  "param", "source"};
    return names.contains(name);
}

// Elements that may stay open across a cut: closed at the end of one page's text and
// opened again at the start of the next.
bool reopens(const QString& name)
{
    static const QStringList names = {"table", "tbody", "div", "center", "body", "html"};
    return names.contains(name);
}

QString tagName(QStringView tag, qsizetype from)
{
    qsizetype end = from;
    while (end < tag.size() && (tag.at(end).isLetterOrNumber()))
        ++end;
    return tag.mid(from, end - from).toString().toLower();
}

// A start tag without what would break a page again or push the top down when it is
// opened a second time.
QString reopenedTag(const QString& tag)
{
    QString out = tag;
    out.replace(QLatin1String("page-break-before"), QLatin1String("x-page-break-before"),
                Qt::CaseInsensitive);
    out.replace(QLatin1String("page-break"), QLatin1String("x-page-break"), Qt::CaseInsensitive);
    return out;
}

void collectTables(QTextFrame* frame, std::vector<QTextTable*>* tables)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            tables->push_back(table);
        collectTables(child, tables);
    }
}

} // namespace

Paginator::Paginator(const QString& style, QSizeF pageSize, PageSink& sink,
                     StreamCounters* counters)
    : m_style(style), m_pageSize(pageSize), m_sink(sink), m_counters(counters),
      m_threshold(kFirstBatch)
{
}

Paginator::~Paginator() = default;

void Paginator::write(QStringView html)
{
    if (!m_healthy)
        return;
    m_pending += html;
    scan();
}

void Paginator::scan()
{
    const QString& text = m_pending;
    while (m_scanned < text.size()) {
        const qsizetype lt = text.indexOf(QLatin1Char('<'), m_scanned);
        if (lt < 0) {
            m_scanned = text.size();
            return;
        }
        if (QStringView(text).mid(lt, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), lt + 4);
            if (end < 0) {
                m_scanned = lt;
                return;
            }
            m_scanned = end + 3;
            continue;
        }
        // The end of the tag, past quoted attribute values.
        QChar quote;
        qsizetype gt = -1;
        for (qsizetype i = lt + 1; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                gt = i;
                break;
            }
        }
        if (gt < 0) {
            m_scanned = lt;
            return;
        }
        m_scanned = gt + 1;
        if (lt + 1 < text.size() && text.at(lt + 1) == QLatin1Char('/'))
            endTag(tagName(text, lt + 2), gt + 1);
        else if (lt + 1 < text.size() && text.at(lt + 1).isLetter())
            startTag(lt, gt + 1);
        if (m_hardCutAt >= 0) {
            const qsizetype at = m_hardCutAt;
            m_hardCutAt = -1;
            hardCut(at);
            return;
        }
    }
}

void Paginator::startTag(qsizetype from, qsizetype to)
{
    const QString name = tagName(m_pending, from + 1);
    const QStringView tag = QStringView(m_pending).mid(from, to - from);
    // Elements whose end may be left out end when the next of their kind starts.
    const auto closeOpen = [this](std::initializer_list<const char*> names, const char* stopAt) {
        for (qsizetype i = static_cast<qsizetype>(m_open.size()) - 1; i >= 0; --i) {
            const QString& open = m_open[i].name;
            if (open == QLatin1String(stopAt))
                return;
            for (const char* each : names) {
                if (open == QLatin1String(each)) {
                    m_open.resize(i);
                    return;
                }
            }
        }
    };
    if (name == QLatin1String("tr"))
        closeOpen({"tr"}, "table");
    else if (name == QLatin1String("td") || name == QLatin1String("th"))
        closeOpen({"td", "th"}, "tr");
    else if (name == QLatin1String("p") || name == QLatin1String("li"))
        closeOpen({name == QLatin1String("p") ? "p" : "li"}, "table");
    if (isVoid(name) || tag.endsWith(QLatin1String("/>")))
        return;
    // A top-level element that starts a new page ends the pages before it, once enough
    // text has gathered to make handing them over worthwhile.
    if (m_open.empty() && from >= m_threshold &&
        tag.contains(QLatin1String("page-break"), Qt::CaseInsensitive))
        m_hardCutAt = from;
    Open open{name, tag.toString(), {}, -1, -1, 0};
    if (name == QLatin1String("table"))
        open.table = m_tables++;
    if (name == QLatin1String("tr")) {
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
            if (it->table >= 0) {
                ++it->rows;
                break;
            }
        }
    }
    if (name == QLatin1String("thead") && !m_open.empty() && m_open.back().table >= 0)
        m_open.back().headFrom = from;
    m_open.push_back(std::move(open));
}

void Paginator::endTag(const QString& name, qsizetype to)
{
    for (qsizetype i = static_cast<qsizetype>(m_open.size()) - 1; i >= 0; --i) {
        if (m_open[i].name != name)
            continue;
        m_open.resize(i);
        if (name == QLatin1String("thead") && !m_open.empty() && m_open.back().headFrom >= 0)
            m_open.back().head = m_pending.mid(m_open.back().headFrom, to - m_open.back().headFrom);
        return;
    }
}

QString Paginator::closing() const
{
    QString out;
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it)
        out += QStringLiteral("</%1>").arg(it->name);
    return out;
}

bool Paginator::cuttable() const
{
    if (m_open.empty() || m_scanned != m_pending.size())
        return false;
    for (const Open& open : m_open) {
        if (!reopens(open.name))
            return false;
    }
    const Open& inner = m_open.back();
    return inner.table >= 0 || inner.name == QLatin1String("tbody");
}

void Paginator::rowEnded()
{
    if (!m_healthy || !cuttable())
        return;
    // The innermost table and how many rows it has so far.
    const Open* table = nullptr;
    for (auto it = m_open.rbegin(); it != m_open.rend() && !table; ++it) {
        if (it->table >= 0)
            table = &*it;
    }
    if (!table || table->rows == 0)
        return;
    QString reopen;
    for (const Open& open : m_open) {
        reopen += reopenedTag(open.startTag);
        if (open.table >= 0)
            reopen += open.head;
    }
    m_cuts.push_back({m_pending.size(), table->table, table->rows, reopen});
    if (m_pending.size() - m_attemptAt >= m_threshold)
        tryFlush();
}

std::unique_ptr<QTextDocument> Paginator::layOut(const QString& html)
{
    auto document = newReportDocument(m_style);
    // The page size first, so that the text is laid out once, on its pages.
    document->setPageSize(m_pageSize);
    document->setHtml(html);
    return document;
}

bool Paginator::handOver(QTextDocument& document, int pages, int total)
{
    for (int index = 0; index < pages && m_healthy; ++index) {
        m_healthy = m_sink.addPage(document, index, m_pageSize, total);
        ++m_pages;
        if (m_counters)
            m_counters->pages.store(m_pages, std::memory_order_relaxed);
    }
    return m_healthy;
}

void Paginator::tryFlush()
{
    m_attemptAt = m_pending.size();
    auto document = layOut(m_pending + closing());
    const int pages = document->pageCount();
    std::vector<QTextTable*> tables;
    collectTables(document->rootFrame(), &tables);
    const qreal height = m_pageSize.height();
    const auto pageOf = [height](qreal y) { return static_cast<int>(std::floor(y / height)); };
    const auto layout = document->documentLayout();
    const auto top = [layout](QTextTable* table, int row) {
        return layout->blockBoundingRect(table->cellAt(row, 0).firstCursorPosition().block()).top();
    };
    const auto bottom = [layout, &document](QTextTable* table, int row) {
        qreal lowest = 0;
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() != row)
                continue;
            QTextCursor last = cell.lastCursorPosition();
            lowest = std::max(lowest, layout->blockBoundingRect(last.block()).bottom());
        }
        Q_UNUSED(document);
        return lowest;
    };
    if (pages >= 3 && static_cast<int>(tables.size()) == m_tables) {
        for (auto cut = m_cuts.rbegin(); cut != m_cuts.rend(); ++cut) {
            QTextTable* table = tables[cut->table];
            if (cut->row < 1 || cut->row >= table->rows())
                continue;
            const int page = pageOf(top(table, cut->row));
            if (page < 1 || page >= pages || pageOf(top(table, cut->row - 1)) >= page ||
                bottom(table, cut->row - 1) > page * height + 0.5)
                continue;
            if (!handOver(*document, page, -1))
                return;
            const qsizetype perPage = cut->offset / page;
            QString rest = cut->reopen;
            rest += QStringView(m_pending).mid(cut->offset);
            document.reset();
            restart(std::move(rest));
            m_threshold = std::max<qsizetype>(perPage * kBatchPages, 4096);
            return;
        }
    }
    // No place to cut yet: wait for more rows, longer each time.
    m_threshold = m_threshold * 2;
}

void Paginator::hardCut(qsizetype at)
{
    auto document = layOut(m_pending.left(at) + closing());
    if (!handOver(*document, document->pageCount(), -1))
        return;
    document.reset();
    // The new page starts here already: the element must not break once more.
    const qsizetype tagEnd = m_pending.indexOf(QLatin1Char('>'), at);
    restart(reopenedTag(m_pending.mid(at, tagEnd + 1 - at)) + m_pending.mid(tagEnd + 1));
}

void Paginator::restart(QString pending)
{
    m_pending = std::move(pending);
    m_scanned = 0;
    m_open.clear();
    m_cuts.clear();
    m_tables = 0;
    m_attemptAt = m_pending.size();
    scan();
}

bool Paginator::finish()
{
    if (!m_healthy)
        return false;
    if (m_pending.trimmed().isEmpty() && m_pages > 0)
        return true;
    auto document = layOut(m_pending + closing());
    const int pages = std::max(1, document->pageCount());
    // Laid out in one piece, the report knows how many pages it has.
    return handOver(*document, pages, m_pages == 0 ? pages : -1);
}

} // namespace velmora::reports
