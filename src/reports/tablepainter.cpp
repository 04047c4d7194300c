#include "tablepainter.h"

#include "pagepainter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

namespace velmora::reports {

struct TablePainter::CellLook
{
    qreal padLeft = 0;
    qreal padRight = 0;
    qreal padTop = 0;
    qreal padBottom = 0;
    qreal borderLeft = 0;
    qreal borderRight = 0;
    qreal borderTop = 0;
    qreal borderBottom = 0;
    QBrush topBrush;
    QBrush bottomBrush;
    QBrush background;
    QTextOption option;
    QTextCharFormat::VerticalAlignment valign = QTextCharFormat::AlignTop;
    QFont font;
    std::vector<QTextCharFormat> marks;

    qreal across() const { return padLeft + padRight + borderLeft + borderRight; }
    qreal down() const { return padTop + padBottom + borderTop + borderBottom; }
};

// How the rows of one shape look, and how a text document places them, learnt from a
// sample of three rows of it on one line each.
struct RowLook
{
    QString shape;
    std::vector<TablePainter::CellLook> cells;
    qreal single = 0; // the height laid out for a row on one line
    qreal steady = 0; // from its text to the text of a row like it below
    // The first look learnt that a text document places as it places this one (the same
    // paddings, borders, alignment and line metrics in each cell): the distances below are
    // learnt on it, from its shape, for all the looks that share it.
    const RowLook* placed = this;
    // The rest is learnt when first asked for. Where its text starts in a table at the top,
    // and from the heading's last text to its own:
    mutable qreal top = -1;
    mutable qreal afterHead = -1;
    // By the look of the row above it (none: the heading): where its text starts first on a
    // later page, and from there to the end of a table it ends.
    mutable QHash<const RowLook*, qreal> continued;
    mutable QHash<const RowLook*, qreal> reach;
    // From the text of the row above it, by the looks of the rows before and above it.
    mutable QHash<std::pair<const RowLook*, const RowLook*>, qreal> below;
};

namespace {

QTextTable* firstTable(QTextDocument& document)
{
    const QList<QTextFrame*> frames = document.rootFrame()->childFrames();
    return frames.isEmpty() ? nullptr : qobject_cast<QTextTable*>(frames.first());
}

qreal textTop(QTextDocument& document, QTextTable& table, int row)
{
    const QTextBlock block = table.cellAt(row, 0).firstCursorPosition().block();
    return document.documentLayout()->blockBoundingRect(block).top();
}

qreal cellPadding(const QTextTableCellFormat& cell, QTextFormat::Property side, qreal table)
{
    return cell.hasProperty(side) ? cell.doubleProperty(side) : table;
}

std::unique_ptr<QTextLayout> layText(const QList<QTextLayout::FormatRange>& formats,
                                     const QString& text, const QFont& font,
                                     const QTextOption& option, qreal width, qreal* height)
{
    auto layout = std::make_unique<QTextLayout>(text, font, &layoutDevice());
    layout->setTextOption(option);
    if (!formats.isEmpty())
        layout->setFormats(formats);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    *height = y;
    return layout;
}

// The properties of `format` that may move text up or down, as text: all but colours and
// brushes, with a character format's font given by its line metrics.
QString placingOf(const QTextFormat& format)
{
    QString out;
    const auto properties = format.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const int type = it.value().typeId();
        if (type == QMetaType::QBrush || type == QMetaType::QColor || type == QMetaType::QPen ||
            (format.isCharFormat() && it.key() >= QTextFormat::FirstFontProperty &&
             it.key() <= QTextFormat::LastFontProperty))
            continue;
        out += QString::number(it.key()) + u'=' + it.value().toString() + u';';
    }
    if (format.isCharFormat()) {
        const QFontMetricsF metrics(format.toCharFormat().font(), &layoutDevice());
        out += QStringLiteral("%1,%2,%3")
                   .arg(metrics.ascent())
                   .arg(metrics.descent())
                   .arg(metrics.leading());
    }
    return out;
}

} // namespace

TablePainter::TablePainter(const QString& style, const QString& tableTag, qreal width)
    : m_style(style), m_tableTag(tableTag), m_width(width)
{
}

TablePainter::~TablePainter() = default;

qreal TablePainter::firstTextTop(QTextDocument& document, QTextTable& table)
{
    return textTop(document, table, 0);
}

QString TablePainter::sample(const LaidRow& row) const { return row.look().shape; }

std::vector<qreal> TablePainter::sampleTops(const QString& rows)
{
    // One document takes every sample, its style read once.
    if (!m_sample) {
        m_sample = newReportDocument(m_style);
        m_sample->setTextWidth(m_width);
    }
    m_sample->setHtml(m_tableTag + m_head + rows + QLatin1String("</table><p>X</p>"));
    std::vector<qreal> tops;
    const auto layout = m_sample->documentLayout();
    tops.push_back(layout->blockBoundingRect(m_sample->lastBlock()).top());
    if (QTextTable* table = firstTable(*m_sample)) {
        for (int row = 0; row < table->rows(); ++row)
            tops.push_back(textTop(*m_sample, *table, row));
    }
    return tops;
}

qreal TablePainter::topOf(const LaidRow& row)
{
    if (row.headRow() >= 0)
        return m_headTops.at(row.headRow());
    const RowLook& look = *row.look().placed;
    if (look.top < 0) {
        const auto tops = sampleTops(look.shape);
        look.top = tops.size() > m_headTops.size() + 1 ? tops[m_headTops.size() + 1] : 0;
    }
    return look.top;
}

qreal TablePainter::continuedTop(const LaidRow* before, const LaidRow& row)
{
    const RowLook& look = *row.look().placed;
    const RowLook* upper = before ? before->look().placed : &look;
    const auto known = look.continued.constFind(upper);
    if (known != look.continued.constEnd())
        return *known;
    qreal top = topOf(row);
    const int heading = static_cast<int>(m_headTops.size());
    const QString rows = upper->shape + look.shape;
    const auto tops = sampleTops(rows);
    if (tops.size() == std::size_t(heading) + 3) {
        // Pages that end where the second row's text starts push that row onto the next.
        const qreal page = tops[heading + 2];
        auto document = newReportDocument(m_style);
        document->setPageSize(QSizeF(m_width, page));
        document->setHtml(m_tableTag + m_head + rows + QLatin1String("</table>"));
        QTextTable* table = firstTable(*document);
        if (table && table->rows() == heading + 2) {
            const qreal moved = textTop(*document, *table, heading + 1) - page;
            if (moved >= 0 && moved < page)
                top = moved;
        }
    }
    look.continued.insert(upper, top);
    return top;
}

qreal TablePainter::reach(const LaidRow* before, const LaidRow& row)
{
    return reachOf(before ? before->look().placed : nullptr, *row.look().placed) + row.grow();
}

qreal TablePainter::reachOf(const RowLook* upper, const RowLook& look)
{
    auto known = look.reach.constFind(upper);
    if (known == look.reach.constEnd()) {
        const auto tops = sampleTops(upper ? upper->shape + look.shape : look.shape);
        known = look.reach.insert(upper, tops.size() > 1 ? tops.front() - tops.back() : 0);
    }
    return *known;
}

qreal TablePainter::pitch(const LaidRow* before, const LaidRow& above, const LaidRow& row)
{
    // The borders of the row before `above` move it too, so distances are learnt for each
    // row before it.
    const RowLook& look = *row.look().placed;
    const std::size_t heading = m_headTops.size();
    qreal distance = 0;
    if (row.headRow() > 0) {
        distance = m_headTops.at(row.headRow()) - m_headTops.at(row.headRow() - 1);
    } else if (above.headRow() >= 0) {
        if (look.afterHead < 0) {
            const auto tops = sampleTops(look.shape);
            look.afterHead = tops.size() == heading + 2 && heading > 0
                                 ? tops[heading + 1] - tops[heading]
                                 : reachOf(nullptr, *above.look().placed);
        }
        distance = look.afterHead;
    } else {
        const RowLook* upper = before ? before->look().placed : nullptr;
        const std::pair key(upper, above.look().placed);
        auto known = look.below.constFind(key);
        if (known == look.below.constEnd()) {
            const QString rows =
                (upper ? upper->shape : QString()) + key.second->shape + look.shape;
            const auto tops = sampleTops(rows);
            const std::size_t at = heading + (before ? 2 : 1);
            known = look.below.insert(key, tops.size() == at + 2 ? tops[at + 1] - tops[at]
                                                                 : reachOf(upper, *key.second));
        }
        distance = *known;
    }
    return distance + above.grow();
}

std::optional<LaidRows> TablePainter::layHead(const QString& html)
{
    const auto rows = parsePlainRows(html);
    if (!rows)
        return std::nullopt;
    const auto tops = sampleTops(html);
    if (tops.size() != rows->size() + 1 || !learnColumns())
        return std::nullopt;
    LaidRows laid;
    m_learningHead = true;
    const bool learnt = learnLooks(*rows);
    m_learningHead = false;
    if (!learnt)
        return std::nullopt;
    for (const RowMarkup& row : *rows) {
        laid.push_back(layRow(row, m_looks.value(row.shape), static_cast<int>(laid.size())));
        if (!laid.back())
            return std::nullopt;
    }
    m_head = html;
    m_headTops.assign(tops.begin() + 1, tops.end());
    return laid;
}

std::optional<LaidRows> TablePainter::layOut(QStringView html)
{
    const auto rows = parsePlainRows(html);
    if (!rows)
        return std::nullopt;
    if (m_edges.empty()) {
        sampleTops(html.toString());
        if (!learnColumns())
            return std::nullopt;
    }
    if (!learnLooks(*rows))
        return std::nullopt;
    LaidRows laid;
    laid.reserve(rows->size());
    for (const RowMarkup& row : *rows) {
        auto one = layRow(row, m_looks.value(row.shape));
        if (!one)
            return std::nullopt;
        laid.push_back(std::move(one));
    }
    return laid;
}

bool TablePainter::learnColumns()
{
    QTextTable* table = firstTable(*m_sample);
    if (!table || table->format().border() > 0)
        return false;
    const auto layout = m_sample->documentLayout();
    const QTextTableFormat tableFormat = table->format();
    const qreal scale = lengthScale();
    for (int row = 0; row < table->rows(); ++row) {
        std::vector<qreal> edges;
        qreal right = 0;
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.columnSpan() != 1 || cell.rowSpan() != 1)
                break;
            const auto format = cell.format().toTableCellFormat();
            const QTextBlock block = cell.firstCursorPosition().block();
            const qreal left = layout->blockBoundingRect(block).left();
            edges.push_back(left - scale * (format.leftBorder() +
                                            cellPadding(format, QTextFormat::TableCellLeftPadding,
                                                        tableFormat.cellPadding())));
            if (column + 1 == table->columns() && block.layout()->lineCount() > 0)
                right = left + block.layout()->lineAt(0).width() +
                        scale * (format.rightBorder() +
                                 cellPadding(format, QTextFormat::TableCellRightPadding,
                                             tableFormat.cellPadding()));
        }
        if (static_cast<int>(edges.size()) != table->columns())
            continue;
        edges.push_back(right);
        if (!std::is_sorted(edges.begin(), edges.end()))
            return false;
        m_edges = std::move(edges);
        return true;
    }
    return false;
}

bool TablePainter::learnLooks(const std::vector<RowMarkup>& rows)
{
    std::vector<const RowMarkup*> fresh;
    QSet<QString> asked;
    for (const RowMarkup& row : rows) {
        if (!m_looks.contains(row.shape) && !asked.contains(row.shape)) {
            asked.insert(row.shape);
            fresh.push_back(&row);
        }
    }
    // New shapes are learnt together, each as three rows below the heading, each stretch of
    // text one mark; a shape refused there is tried again alone before it is refused.
    if (fresh.size() > 1) {
        QString html;
        for (const RowMarkup* row : fresh)
            html += row->shape + row->shape + row->shape;
        const auto tops = sampleTops(html);
        std::vector<const RowMarkup*> again;
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            if (!readLook(*fresh[i], static_cast<int>(3 * i), fresh.size(), tops))
                again.push_back(fresh[i]);
        }
        fresh = std::move(again);
    }
    bool all = true;
    for (const RowMarkup* row : fresh) {
        const auto tops = sampleTops(row->shape + row->shape + row->shape);
        if (!readLook(*row, 0, 1, tops)) {
            m_looks.insert(row->shape, nullptr);
            all = false;
        }
    }
    return all && std::all_of(rows.begin(), rows.end(), [this](const RowMarkup& row) {
               return m_looks.value(row.shape) != nullptr;
           });
}

bool TablePainter::readLook(const RowMarkup& row, int from, std::size_t shapes,
                            const std::vector<qreal>& tops)
{
    QTextTable* table = firstTable(*m_sample);
    const int first = static_cast<int>(m_headTops.size()) + from;
    const int rows = static_cast<int>(m_headTops.size() + 3 * shapes);
    if (!table || table->rows() != rows || tops.size() != std::size_t(rows) + 1 ||
        table->format().border() > 0)
        return false;
    auto look = std::make_shared<RowLook>();
    look->shape = row.shape;
    QString placing; // what places the row, for finding a look placed alike
    const qreal padding = table->format().cellPadding();
    const QFont base = m_sample->defaultFont();
    int column = 0;
    for (const CellMarkup& markup : row.cells) {
        const QTextTableCell cell = table->cellAt(first, column);
        if (cell.column() != column || cell.columnSpan() != markup.span || cell.rowSpan() != 1)
            return false;
        column += markup.span;
        const QTextBlock block = cell.firstCursorPosition().block();
        if (cell.lastCursorPosition().block() != block)
            return false;
        const auto format = cell.format().toTableCellFormat();
        CellLook cellLook;
        const qreal scale = lengthScale();
        cellLook.padLeft = scale * cellPadding(format, QTextFormat::TableCellLeftPadding, padding);
        cellLook.padRight =
            scale * cellPadding(format, QTextFormat::TableCellRightPadding, padding);
        cellLook.padTop = scale * cellPadding(format, QTextFormat::TableCellTopPadding, padding);
        cellLook.padBottom =
            scale * cellPadding(format, QTextFormat::TableCellBottomPadding, padding);
        cellLook.borderLeft = scale * format.leftBorder();
        cellLook.borderRight = scale * format.rightBorder();
        cellLook.borderTop = scale * format.topBorder();
        cellLook.borderBottom = scale * format.bottomBorder();
        cellLook.topBrush = format.topBorderBrush();
        cellLook.bottomBrush = format.bottomBorderBrush();
        cellLook.background = format.background();
        cellLook.valign = format.verticalAlignment();
        const QTextBlockFormat blockFormat = block.blockFormat();
        cellLook.option.setAlignment(blockFormat.alignment());
        cellLook.option.setWrapMode(blockFormat.nonBreakableLines()
                                        ? QTextOption::NoWrap
                                        : m_sample->defaultTextOption().wrapMode());
        cellLook.option.setUseDesignMetrics(true);
        cellLook.font = block.charFormat().font().resolve(base);
        placing += QString::number(markup.span) + u'|' + placingOf(format) + u'|' +
                   placingOf(blockFormat) + u'|';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextCharFormat each = it.fragment().charFormat();
            each.setFont(each.font().resolve(base));
            placing += placingOf(each) + u'|';
            for (int i = 0; i < it.fragment().length(); ++i)
                cellLook.marks.push_back(each);
        }
        if (static_cast<int>(cellLook.marks.size()) != markup.marks)
            return false;
        if (!cellLook.marks.empty())
            cellLook.font = cellLook.marks.front().font();
        look->cells.push_back(std::move(cellLook));
        placing += u'/';
    }
    if (column != table->columns() || column + 1 != static_cast<int>(m_edges.size()))
        return false;
    look->steady = tops[first + 3] - tops[first + 2];
    RowMarkup sample = row;
    for (CellMarkup& cell : sample.cells) {
        cell.text.clear();
        cell.runs.clear();
        for (int mark = 0; mark < cell.marks; ++mark) {
            cell.text += kShapeMark;
            cell.runs.push_back({mark, 1, mark});
        }
    }
    const auto laid = layRow(sample, look);
    if (!laid)
        return false;
    look->single = laid->grow();
    placing += QString::number(look->steady) + u'|' + QString::number(look->single);
    const auto placed = m_placed.constFind(placing);
    if (placed != m_placed.constEnd())
        look->placed = *placed;
    else
        m_placed.insert(placing, look.get());
    // Rows straight below the table's own heading give the distances that samples of one
    // and two of them would.
    if (from == 0 && !m_learningHead) {
        const RowLook& on = *look->placed;
        const int heading = static_cast<int>(m_headTops.size());
        if (on.top < 0)
            on.top = tops[heading + 1];
        if (on.afterHead < 0 && heading > 0)
            on.afterHead = tops[heading + 1] - tops[heading];
        if (!on.below.contains({nullptr, &on}))
            on.below.insert({nullptr, &on}, tops[heading + 2] - tops[heading + 1]);
        if (!on.below.contains({&on, &on}))
            on.below.insert({&on, &on}, look->steady);
    }
    m_looks.insert(row.shape, look);
    return true;
}

std::shared_ptr<const LaidRow> TablePainter::layRow(const RowMarkup& row,
                                                    const std::shared_ptr<const RowLook>& shared,
                                                    int headRow) const
{
    const RowLook& look = *shared;
    std::vector<LaidRow::Cell> cells(row.cells.size());
    std::vector<qreal> heights(row.cells.size());
    qreal height = 0;
    int column = 0;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const CellMarkup& markup = row.cells[i];
        const CellLook& cellLook = look.cells[i];
        if (column + markup.span >= static_cast<int>(m_edges.size()))
            return nullptr;
        LaidRow::Cell& cell = cells[i];
        cell.left = m_edges[column];
        cell.right = m_edges[column + markup.span];
        column += markup.span;
        // Text in one look needs only its font and colour, which is much quicker.
        QList<QTextLayout::FormatRange> formats;
        QFont font = cellLook.font;
        if (markup.runs.size() == 1 && markup.runs.front().length == markup.text.size()) {
            const QTextCharFormat& only = cellLook.marks.at(markup.runs.front().slot);
            font = only.font();
            if (only.hasProperty(QTextFormat::ForegroundBrush))
                cell.ink = only.foreground();
        } else {
            formats.reserve(static_cast<qsizetype>(markup.runs.size()));
            for (const TextRun& run : markup.runs)
                formats.append({run.from, run.length, cellLook.marks.at(run.slot)});
        }
        cell.text = layText(formats, markup.text, font, cellLook.option,
                            cell.right - cell.left - cellLook.across(), &heights[i]);
        height = std::max(height, heights[i] + cellLook.down());
        cell.background = cellLook.background;
        cell.topBorder = cellLook.borderTop;
        cell.topBrush = cellLook.topBrush;
        cell.bottomBorder = cellLook.borderBottom;
        cell.bottomBrush = cellLook.bottomBrush;
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const CellLook& cellLook = look.cells[i];
        const qreal room = height - heights[i] - cellLook.down();
        const qreal shift = cellLook.valign == QTextCharFormat::AlignMiddle   ? room / 2
                            : cellLook.valign == QTextCharFormat::AlignBottom ? room
                                                                              : 0;
        cells[i].textAt = QPointF(cellLook.borderLeft + cellLook.padLeft,
                                  cellLook.borderTop + cellLook.padTop + shift);
    }
    // The box reaches the next row of its look; what a row has beyond one line is its growth.
    const qreal lead = cells.empty() ? 0 : cells.front().textAt.y();
    const qreal gap = look.steady - look.single;
    return std::make_shared<LaidRow>(shared, std::move(cells), height + std::max<qreal>(0, gap),
                                     lead, height - look.single, headRow);
}

} // namespace velmora::reports
