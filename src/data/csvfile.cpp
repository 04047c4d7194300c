#include "csvfile.h"

#include <QRegularExpression>

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

} // namespace

QByteArray csvField(QStringView text)
{
    QString cell = text.toString();
    if (runsAsFormula(text))
        cell.prepend(u'\'');
    const bool quoted = cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') ||
                        cell.contains(u'\r') || cell.startsWith(u' ') || cell.endsWith(u' ');
    if (!quoted)
        return cell.toUtf8();
    cell.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return '"' + cell.toUtf8() + '"';
}

QString plainShownAmount(const QString& text)
{
    static const QRegularExpression shown(QStringLiteral(R"(^-?\d{1,3}(,\d{3})+\.\d{2}$)"));
    if (!shown.match(text).hasMatch())
        return text;
    QString plain = text;
    return plain.remove(u',');
}

bool CsvWriter::writeRow(const QStringList& cells)
{
    m_line.clear();
    if (!m_started)
        m_line = QByteArrayLiteral("\xEF\xBB\xBF");
    m_started = true;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            m_line += ',';
        m_line += csvField(cells.at(i));
    }
    m_line += "\r\n";
    return m_out.write(m_line) == m_line.size();
}

} // namespace velmora
