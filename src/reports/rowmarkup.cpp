#include "rowmarkup.h"

#include <QHash>

namespace velmora::reports {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\n') || c == QLatin1Char('\t') ||
           c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

bool isInline(QStringView name)
{
    static const QStringList names = {
        QStringLiteral("span"),  QStringLiteral("b"),   QStringLiteral("strong"),
        QStringLiteral("i"),     QStringLiteral("em"),  QStringLiteral("u"),
        QStringLiteral("small"), QStringLiteral("big"), QStringLiteral("font"),
        QStringLiteral("sub"),   QStringLiteral("sup")};
    return names.contains(name);
}

// The character an entity (without & and ;) stands for; null when it is not known.
QChar entity(QStringView name)
{
    static const QHash<QString, QChar> named = {
        {QStringLiteral("amp"), QLatin1Char('&')},   {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},    {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')}, {QStringLiteral("nbsp"), QChar(0xa0)},
        {QStringLiteral("middot"), QChar(0xb7)},     {QStringLiteral("pound"), QChar(0xa3)},
        {QStringLiteral("euro"), QChar(0x20ac)},     {QStringLiteral("ndash"), QChar(0x2013)},
        {QStringLiteral("mdash"), QChar(0x2014)},    {QStringLiteral("times"), QChar(0xd7)},
        {QStringLiteral("copy"), QChar(0xa9)},       {QStringLiteral("hellip"), QChar(0x2026)}};
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code =
            name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X'))
                ? name.mid(2).toUInt(&ok, 16)
                : name.mid(1).toUInt(&ok, 10);
        return ok && code > 0x20 && code < 0xd800 ? QChar(code) : QChar();
    }
    return named.value(name.toString());
}

// A tag read from the text: its lower-case name, whether it ends one, and all of it.
struct Tag
{
    QString name;
    bool end = false;
    QStringView whole;
};

class RowReader
{
public:
    explicit RowReader(QStringView html) : m_html(html) {}

    std::optional<std::vector<RowMarkup>> read()
    {
        std::vector<RowMarkup> rows;
        while (true) {
            skipBlanks();
            if (m_at >= m_html.size())
                return rows;
            const auto tag = nextTag();
            if (!tag)
                return std::nullopt;
            if (tag->name == QLatin1String("thead") || tag->name == QLatin1String("tbody"))
                continue;
            if (tag->name != QLatin1String("tr") || tag->end || !plainRowTag(tag->whole))
                return std::nullopt;
            RowMarkup row;
            row.shape = tag->whole.toString();
            if (!readCells(&row))
                return std::nullopt;
            rows.push_back(std::move(row));
        }
    }

private:
    static bool plainRowTag(QStringView tag)
    {
        return !tag.contains(QLatin1String("page-break"), Qt::CaseInsensitive);
    }

    void skipBlanks()
    {
        while (m_at < m_html.size() && isBlank(m_html.at(m_at)))
            ++m_at;
    }

    // The tag at the reading place, which must start one.
    std::optional<Tag> nextTag()
    {
        if (m_at >= m_html.size() || m_html.at(m_at) != QLatin1Char('<'))
            return std::nullopt;
        const qsizetype close = tagEnd(m_html, m_at);
        if (close < 0)
            return std::nullopt;
        Tag tag;
        tag.whole = m_html.mid(m_at, close + 1 - m_at);
        m_at += tag.whole.size();
        qsizetype from = 1;
        if (tag.whole.size() > 1 && tag.whole.at(1) == QLatin1Char('/')) {
            tag.end = true;
            from = 2;
        }
        qsizetype to = from;
        while (to < tag.whole.size() && tag.whole.at(to).isLetterOrNumber())
            ++to;
        tag.name = tag.whole.mid(from, to - from).toString().toLower();
        return tag;
    }

    bool readCells(RowMarkup* row)
    {
        while (true) {
            skipBlanks();
            const auto tag = nextTag();
            if (!tag)
                return false;
            if (tag->end && tag->name == QLatin1String("tr")) {
                row->shape += tag->whole;
                return true;
            }
            const bool cell = tag->name == QLatin1String("td") || tag->name == QLatin1String("th");
            if (!cell || tag->end || tag->whole.contains(QLatin1String("rowspan")) ||
                tag->whole.endsWith(QLatin1String("/>")))
                return false;
            row->shape += tag->whole;
            CellMarkup markup;
            markup.span = span(tag->whole);
            if (markup.span < 1 || !readCell(tag->name, &markup, &row->shape))
                return false;
            row->cells.push_back(std::move(markup));
        }
    }

    static int span(QStringView tag)
    {
        const qsizetype at = tag.indexOf(QLatin1String("colspan"), 0, Qt::CaseInsensitive);
        if (at < 0)
            return 1;
        qsizetype i = at + 7;
        while (i < tag.size() && !tag.at(i).isDigit() && tag.at(i) != QLatin1Char('>'))
            ++i;
        qsizetype end = i;
        while (end < tag.size() && tag.at(end).isDigit())
            ++end;
        return tag.mid(i, end - i).toInt();
    }

    // Reads a cell's content up to its end tag.
    bool readCell(const QString& name, CellMarkup* cell, QString* shape)
    {
        bool blank = true; // a blank here would be dropped
        int slot = 0;
        while (m_at < m_html.size()) {
            if (m_html.at(m_at) == QLatin1Char('<')) {
                const auto tag = nextTag();
                if (!tag)
                    return false;
                if (tag->end && tag->name == name) {
                    *shape += tag->whole;
                    trimEnd(cell);
                    cell->marks = slot;
                    return true;
                }
                if (tag->name == QLatin1String("br") && !tag->end) {
                    *shape += QLatin1String("<br/>");
                    trimEnd(cell);
                    cell->text += QChar(QChar::LineSeparator);
                    cell->runs.push_back({int(cell->text.size()) - 1, 1, slot++});
                    blank = true;
                    continue;
                }
                if (!isInline(tag->name))
                    return false;
                *shape += tag->whole;
                continue;
            }
            TextRun run{int(cell->text.size()), 0, slot++};
            *shape += kShapeMark;
            while (m_at < m_html.size() && m_html.at(m_at) != QLatin1Char('<')) {
                QChar c = m_html.at(m_at++);
                if (isBlank(c)) {
                    if (!blank)
                        cell->text += QLatin1Char(' ');
                    blank = true;
                    continue;
                }
                if (c == QLatin1Char('&')) {
                    const qsizetype semi = m_html.indexOf(QLatin1Char(';'), m_at);
                    if (semi < 0 || semi - m_at > 8)
                        return false;
                    c = entity(m_html.mid(m_at, semi - m_at));
                    if (c.isNull())
                        return false;
                    m_at = semi + 1;
                }
                cell->text += c;
                blank = false;
            }
            run.length = int(cell->text.size()) - run.from;
            if (run.length > 0)
                cell->runs.push_back(run);
        }
        return false;
    }

    // Drops a blank that ends the text so far, as the page would.
    static void trimEnd(CellMarkup* cell)
    {
        if (!cell->text.endsWith(QLatin1Char(' ')))
            return;
        cell->text.chop(1);
        TextRun& last = cell->runs.back();
        if (--last.length == 0)
            cell->runs.pop_back();
    }

    QStringView m_html;
    qsizetype m_at = 0;
};

} // namespace

qsizetype tagEnd(QStringView html, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from + 1; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            return i;
        }
    }
    return -1;
}

std::optional<std::vector<RowMarkup>> parsePlainRows(QStringView html)
{
    return RowReader(html).read();
}

} // namespace velmora::reports
