#include "csvfile.h"

#include "bytes.h"

#include <QRegularExpression>
#include <QStringEncoder>

namespace velmora {

namespace {

bool plainNumber(QStringView text)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?\d+(\.\d+)?$)"));
    return number.match(text.toString()).hasMatch();
}

bool runsAsFormula(QStringView text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    const bool lead = first == u'=' || first == u'+' || first == u'-' || first == u'@' ||
                      first == u'\t' || first == u'\r';
    return lead && !plainNumber(text);
}

// Appends `text` in UTF-8 straight into *line, without a buffer of its own: a saved list
// writes millions of cells.
void appendUtf8(QByteArray* line, QStringView text)
{
    static thread_local QStringEncoder utf8(QStringEncoder::Utf8,
                                            QStringConverter::Flag::Stateless);
    const qsizetype at = line->size();
    line->resize(at + utf8.requiredSpace(text.size()));
    const char* end = utf8.appendToBuffer(line->data() + at, text);
    line->resize(end - line->constData());
}

} // namespace

void appendCsvField(QByteArray* line, QStringView text)
{
    const bool formula = runsAsFormula(text);
    bool quoted = !text.isEmpty() && (text.front() == u' ' || text.back() == u' ');
    for (qsizetype i = 0; !quoted && i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        quoted = c == u',' || c == u'"' || c == u'\n' || c == u'\r';
    }
    if (quoted)
        *line += '"';
    if (formula)
        *line += '\'';
    if (quoted && text.contains(u'"'))
        *line += text.toString().replace(QStringLiteral("\""), QStringLiteral("\"\"")).toUtf8();
    else
        appendUtf8(line, text);
    if (quoted)
        *line += '"';
}

void appendCsvField(QByteArray* line, QByteArrayView utf8)
{
    const char first = utf8.isEmpty() ? '\0' : utf8.front();
    bool quoted = first == ' ' || (!utf8.isEmpty() && utf8.back() == ' ');
    bool quotes = false;
    for (const char c : utf8) {
        quotes = quotes || c == '"';
        quoted = quoted || c == ',' || c == '\n' || c == '\r';
    }
    // Quotes to double and what a spreadsheet might run are rare: they take the text's way.
    if (quotes || first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' ||
        first == '\r') {
        appendCsvField(line, QString::fromUtf8(utf8));
        return;
    }
    if (quoted)
        *line += '"';
    appendBytes(line, utf8);
    if (quoted)
        *line += '"';
}

QByteArray csvField(QStringView text)
{
    QByteArray field;
    appendCsvField(&field, text);
    return field;
}

namespace {

// Whether `text` reads -?d{1,3}(,ddd)+.dd: an amount as shown, with at least one comma.
template <typename Text> bool shownAmount(const Text& text)
{
    const auto digit = [](auto c) { return c >= '0' && c <= '9'; };
    qsizetype at = !text.isEmpty() && text[0] == '-' ? 1 : 0;
    const qsizetype lead = at;
    while (at < text.size() && digit(text[at]))
        ++at;
    if (at - lead < 1 || at - lead > 3)
        return false;
    int groups = 0;
    for (; at + 3 < text.size() && text[at] == ','; at += 4, ++groups) {
        if (!digit(text[at + 1]) || !digit(text[at + 2]) || !digit(text[at + 3]))
            return false;
    }
    return groups > 0 && at + 3 == text.size() && text[at] == '.' && digit(text[at + 1]) &&
           digit(text[at + 2]);
}

} // namespace

bool isShownAmount(QByteArrayView utf8) { return shownAmount(utf8); }

QString plainShownAmount(QString text)
{
    if (!shownAmount(QStringView(text)))
        return text;
    return text.remove(u',');
}

bool CsvWriter::writeRow(const QStringList& cells)
{
    for (const QString& cell : cells)
        addField(cell);
    return endRow();
}

void CsvWriter::addField(QStringView text)
{
    separate();
    appendCsvField(&m_line, text);
}

void CsvWriter::addField(QByteArrayView utf8)
{
    separate();
    appendCsvField(&m_line, utf8);
}

void CsvWriter::separate()
{
    if (!m_started)
        m_line = QByteArrayLiteral("\xEF\xBB\xBF");
    else if (m_fields > 0)
        m_line += ',';
    m_started = true;
    ++m_fields;
}

bool CsvWriter::endRow()
{
    if (!m_started)
        m_line = QByteArrayLiteral("\xEF\xBB\xBF");
    m_started = true;
    m_line += "\r\n";
    const bool written = m_out.write(m_line) == m_line.size();
    m_line.resize(0); // keeps its buffer for the next row
    m_fields = 0;
    return written;
}

} // namespace velmora
