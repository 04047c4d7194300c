#include "paginator.h"

#include "pagepainter.h"
#include "rowmarkup.h"

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

// Whether laying out `html` would show anything: text, an image or a rule.
bool showsSomething(QStringView html)
{
    bool inTag = false;
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c == QLatin1Char('<')) {
            inTag = true;
            const QStringView rest = html.mid(i + 1, 3);
            if (rest.startsWith(QLatin1String("img"), Qt::CaseInsensitive) ||
                rest.startsWith(QLatin1String("hr"), Qt::CaseInsensitive))
                return true;
        } else if (c == QLatin1Char('>')) {
            inTag = false;
        } else if (!inTag && !c.isSpace()) {
            return true;
        }
    }
    return false;
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
      m_threshold(kFirstBatch), m_holding(sink.wantsTotal())
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
        const qsizetype gt = tagEnd(text, lt);
        if (gt < 0) {
            m_scanned = lt;
            return;
        }
        m_scanned = gt + 1;
        if (lt + 1 < text.size() && text.at(lt + 1) == QLatin1Char('/'))
            endTag(tagName(text, lt + 2), gt + 1);
        else if (lt + 1 < text.size() && text.at(lt + 1).isLetter())
            startTag(lt, gt + 1);
        if (m_fastEnd >= 0) {
            m_fastEnd = -1;
            endFast(lt, gt + 1);
            return;
        }
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
    Open open{name, tag.toString(), {}, from, to, -1, -1, 0};
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
        if (m_fast && static_cast<std::size_t>(i) == m_fastDepth) {
            m_fastEnd = to; // endFast() takes it from here
            return;
        }
        m_open.resize(i);
        if (name == QLatin1String("thead") && !m_open.empty() && m_open.back().headFrom >= 0) {
            Open& table = m_open.back();
            table.head = m_pending.mid(table.headFrom, to - table.headFrom);
            table.bodyFrom = to;
        }
        if (name == QLatin1String("table") &&
            std::none_of(m_open.begin(), m_open.end(),
                         [](const Open& open) { return open.table >= 0; }))
            m_refused = false;
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
    if (m_fast) {
        if (const auto rows = m_fast->layOut(m_pending)) {
            placeRows(*rows);
            m_pending.clear();
            m_scanned = 0;
        } else {
            fallBack();
        }
        return;
    }
    // The innermost table and how many rows it has so far.
    const Open* table = nullptr;
    std::size_t depth = m_open.size();
    for (auto it = m_open.rbegin(); it != m_open.rend() && !table; ++it) {
        --depth;
        if (it->table >= 0)
            table = &*it;
    }
    if (!table || table->rows == 0 || tryFast(*table, depth))
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

std::shared_ptr<QTextDocument> Paginator::layOut(const QString& html)
{
    std::shared_ptr<QTextDocument> document = newReportDocument(m_style);
    // The page size first, so that the text is laid out once, on its pages.
    document->setPageSize(m_pageSize);
    document->setHtml(html);
    if (m_y > 0) {
        // Below what the page being filled already shows: an empty frame as tall as that
        // goes first (margins would be dropped at the top of the page, or, the root
        // frame's, stand on every page).
        QTextFrameFormat spacer;
        spacer.setHeight(m_y);
        spacer.setMargin(0);
        spacer.setPadding(0);
        spacer.setBorder(0);
        QTextBlockFormat flat;
        flat.setLineHeight(0, QTextBlockFormat::FixedHeight);
        QTextCursor cursor(document.get());
        const QTextBlockFormat first = cursor.blockFormat();
        const QTextFrame* frame = cursor.insertFrame(spacer);
        cursor.setBlockFormat(flat);
        QTextCursor(document.get()).setBlockFormat(flat);
        // The first block, a page break perhaps, goes on below the frame.
        QTextCursor after = frame->lastCursorPosition();
        after.movePosition(QTextCursor::NextBlock);
        after.setBlockFormat(first);
    }
    return document;
}

void Paginator::addSlice(const std::shared_ptr<QTextDocument>& document, int index, qreal height)
{
    m_page.add([document, index, height, size = m_pageSize](QPainter& painter) {
        paintPage(painter, *document, index, size, height);
    });
}

void Paginator::handOver(const std::shared_ptr<QTextDocument>& document, int pages)
{
    for (int index = 0; index < pages && m_healthy; ++index) {
        addSlice(document, index);
        endPage();
    }
}

void Paginator::endPage()
{
    PageContent page = std::move(m_page);
    m_page = {};
    m_y = 0;
    m_headOnPage = false;
    m_rowsOnPage = false;
    m_lastRow.reset();
    m_startText = -1;
    m_tableStarts = false;
    ++m_laid;
    if (m_counters)
        m_counters->pages.store(m_laid, std::memory_order_relaxed);
    if (!m_holding) {
        deliver(page, -1);
        return;
    }
    m_held.push_back(std::move(page));
    if (static_cast<int>(m_held.size()) > kHeldPages) {
        m_holding = false;
        for (const PageContent& held : m_held)
            deliver(held, -1);
        m_held.clear();
    }
}

void Paginator::deliver(const PageContent& page, int total)
{
    if (!m_healthy)
        return;
    m_healthy = m_sink.addPage(page, m_pageSize, total);
    ++m_pages;
}

QString Paginator::reopening(std::size_t depth) const
{
    QString out;
    for (std::size_t i = 0; i < depth && i < m_open.size(); ++i) {
        out += reopenedTag(m_open[i].startTag);
        if (m_open[i].table >= 0)
            out += m_open[i].head;
    }
    return out;
}

bool Paginator::tryFast(const Open& table, std::size_t depth)
{
    if (m_refused || std::any_of(m_open.begin(), m_open.begin() + depth,
                                 [](const Open& open) { return open.table >= 0; }))
        return false;
    auto painter = std::make_unique<TablePainter>(m_style, table.startTag, m_pageSize.width());
    std::optional<LaidRows> head = LaidRows();
    if (!table.head.isEmpty())
        head = painter->layHead(table.head);
    const auto rows =
        head ? painter->layOut(QStringView(m_pending).mid(table.bodyFrom)) : std::nullopt;
    if (!rows) {
        m_refused = true;
        return false;
    }
    // What comes before the table, laid out with its first row, to find where that starts.
    QString before = m_pending.left(table.from) + table.startTag + table.head;
    if (!rows->empty())
        before += painter->sample(*rows->front());
    before += QLatin1String("</table>");
    for (std::size_t i = depth; i-- > 0;)
        before += QStringLiteral("</%1>").arg(m_open[i].name);
    const auto document = layOut(before);
    std::vector<QTextTable*> tables;
    collectTables(document->rootFrame(), &tables);
    if (static_cast<int>(tables.size()) != table.table + 1) {
        m_refused = true;
        return false;
    }
    const qreal height = m_pageSize.height();
    const qreal text = TablePainter::firstTextTop(*document, *tables.back());
    const int page = std::max(0, static_cast<int>(std::floor(text / height)));
    handOver(document, page);
    m_startText = text - page * height;
    const qreal top = document->documentLayout()->frameBoundingRect(tables.back()).top();
    m_y = std::max<qreal>(0, top - page * height);
    addSlice(document, page, m_y);
    m_fast = std::move(painter);
    m_head = std::move(*head);
    m_fastDepth = depth;
    m_pending.clear();
    m_scanned = 0;
    m_cuts.clear();
    m_attemptAt = 0;
    m_tableStarts = true;
    m_tableLast.reset();
    placeRows(*rows);
    return true;
}

qreal Paginator::advance(const std::shared_ptr<const LaidRow>& row)
{
    const bool heading = row->headRow() >= 0;
    if (m_startText >= 0 && !m_lastRow)
        m_textTop = m_startText;
    else if (!heading && (!m_lastRow || m_lastRow->headRow() >= 0) && !m_tableStarts)
        m_textTop = m_fast->continuedTop(m_tableLast.get(), *row);
    else if (!m_lastRow)
        m_textTop = m_fast->topOf(*row);
    else
        m_textTop += m_fast->pitch(m_before.get(), *m_lastRow, *row);
    m_before = heading ? nullptr : m_tableLast;
    if (!heading)
        m_tableLast = row;
    m_lastRow = row;
    return m_textTop + m_fast->reach(m_before.get(), *row);
}

// Where the table would end with `rows` (after the heading, when the page lacks it) below
// what the page holds, or at the top of a new page when `fresh`.
qreal Paginator::bottomWith(const LaidRows& rows, bool fresh)
{
    const auto saved =
        std::tuple(m_lastRow, m_before, m_tableLast, m_textTop, m_startText, m_tableStarts);
    if (fresh) {
        m_lastRow.reset();
        m_startText = -1;
        m_tableStarts = false;
    }
    qreal bottom = m_y;
    if (fresh || !m_headOnPage) {
        for (const auto& row : m_head)
            bottom = advance(row);
    }
    for (const auto& row : rows)
        bottom = advance(row);
    std::tie(m_lastRow, m_before, m_tableLast, m_textTop, m_startText, m_tableStarts) = saved;
    return bottom;
}

void Paginator::placeRows(const LaidRows& rows)
{
    const qreal height = m_pageSize.height();
    const auto begun = [this] { return m_rowsOnPage || (!m_headOnPage && m_y > 0); };
    // The rows of one record stay together when they fit on a page.
    if (begun() && bottomWith(rows, false) > height && bottomWith(rows, true) <= height)
        endPage();
    for (const auto& row : rows) {
        if (begun() && bottomWith({row}, false) > height)
            endPage();
        if (!m_healthy)
            return;
        if (!m_headOnPage) {
            for (const auto& each : m_head)
                placeRow(each);
            m_headOnPage = true;
        }
        placeRow(row);
        m_rowsOnPage = true;
    }
}

void Paginator::placeRow(const std::shared_ptr<const LaidRow>& row)
{
    m_y = advance(row);
    m_page.add([row, top = m_textTop](QPainter& painter) { row->paint(painter, top); });
}

void Paginator::endFast(qsizetype at, qsizetype after)
{
    const auto rows = m_fast->layOut(QStringView(m_pending).left(at));
    if (!rows) {
        fallBack();
        return;
    }
    placeRows(*rows);
    QString rest = reopening(m_fastDepth) + m_pending.mid(after);
    m_fast.reset();
    m_head.clear();
    restart(std::move(rest));
}

void Paginator::fallBack()
{
    // The table goes on in a text document, on a page of its own with the heading on top.
    if (m_rowsOnPage)
        endPage();
    QString rest = reopening(m_fastDepth + 1) + m_pending;
    m_fast.reset();
    m_head.clear();
    m_refused = true;
    restart(std::move(rest));
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
    const auto bottom = [layout](QTextTable* table, int row) {
        qreal lowest = 0;
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() != row)
                continue;
            QTextCursor last = cell.lastCursorPosition();
            lowest = std::max(lowest, layout->blockBoundingRect(last.block()).bottom());
        }
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
            handOver(document, page);
            if (!m_healthy)
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
    if (showsSomething(QStringView(m_pending).left(at)) || !m_page.isEmpty()) {
        auto document = layOut(m_pending.left(at) + closing());
        handOver(document, document->pageCount());
        if (!m_healthy)
            return;
    }
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
    if (m_fast && m_healthy)
        endFast(m_pending.size(), m_pending.size());
    if (!m_healthy)
        return false;
    if (showsSomething(m_pending) || (m_page.isEmpty() && m_laid == 0)) {
        auto document = layOut(m_pending + closing());
        handOver(document, std::max(1, document->pageCount()));
    } else if (!m_page.isEmpty()) {
        endPage();
    }
    // Held until now, the pages know how many there are.
    for (const PageContent& held : m_held)
        deliver(held, static_cast<int>(m_held.size()));
    m_held.clear();
    return m_healthy;
}

} // namespace velmora::reports
