#include "pdftext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace velmora::test {

namespace {

// Words closer than this share of their height belong to one cell: a blank is about a
// third of it, while table cells stand at least their padding apart.
constexpr double kCellGap = 0.45;
// Words whose baselines differ by less than this are on one line.
constexpr double kLineSlack = 3;
// How far apart two edges may be and still line up.
constexpr double kEdgeSlack = 2;

struct Word
{
    QString text;
    double left, top, right, bottom;
};

QString unescape(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

const PdfText::Cell& PdfText::headingOf(const Cell& cell, const Line& headings)
{
    for (const Cell& heading : headings) {
        if (std::abs(cell.right - heading.right) < kEdgeSlack ||
            std::abs(cell.left - heading.left) < kEdgeSlack)
            return heading;
    }
    const Cell* before = &headings.first();
    for (const Cell& heading : headings) {
        if (heading.left < cell.left)
            before = &heading;
    }
    return *before;
}

PdfText::PdfText(const QString& path)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty()) {
        m_error = QStringLiteral("pdftotext was not found: install poppler-utils");
        return;
    }
    QProcess process;
    process.start(program, {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!process.waitForFinished() || process.exitCode() != 0) {
        m_error = QStringLiteral("pdftotext failed on %1: %2")
                      .arg(path, QString::fromLocal8Bit(process.readAllStandardError()));
        return;
    }
    static const QRegularExpression pageTag(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordTag(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*)</word>)re"));
    QList<Word> words;
    const auto finishPage = [this, &words] {
        if (m_pages.isEmpty())
            return;
        std::stable_sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
            return std::abs(a.bottom - b.bottom) < kLineSlack ? a.left < b.left
                                                              : a.bottom < b.bottom;
        });
        QList<Line>& lines = m_pages.last().lines;
        double lineBottom = -1;
        for (const Word& word : words) {
            if (lines.isEmpty() || std::abs(word.bottom - lineBottom) >= kLineSlack) {
                lines.append(Line());
                lineBottom = word.bottom;
            }
            Line& line = lines.last();
            if (!line.isEmpty() &&
                word.left - line.last().right < kCellGap * (word.bottom - word.top)) {
                Cell& cell = line.last();
                cell.text += QLatin1Char(' ') + word.text;
                cell.right = word.right;
                cell.top = std::min(cell.top, word.top);
                cell.bottom = std::max(cell.bottom, word.bottom);
            } else {
                line.append({word.text, word.left, word.right, word.top, word.bottom});
            }
        }
        words.clear();
    };
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& text : output.split(QLatin1Char('\n'))) {
        if (const auto page = pageTag.match(text); page.hasMatch()) {
            finishPage();
            m_pages.append({QSizeF(page.captured(1).toDouble(), page.captured(2).toDouble()), {}});
        } else if (const auto word = wordTag.match(text); word.hasMatch()) {
            words.append({unescape(word.captured(5)), word.captured(1).toDouble(),
                          word.captured(2).toDouble(), word.captured(3).toDouble(),
                          word.captured(4).toDouble()});
        }
    }
    finishPage();
    if (m_pages.isEmpty())
        m_error = QStringLiteral("pdftotext found no page in %1").arg(path);
}

QString PdfText::text() const
{
    QStringList lines;
    for (const Page& page : m_pages) {
        for (const Line& line : page.lines) {
            QStringList cells;
            for (const Cell& cell : line)
                cells.append(cell.text);
            lines.append(cells.join(QLatin1Char(' ')));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QRectF PdfText::bounds(const QString& text) const
{
    for (const Page& page : m_pages) {
        for (const Line& line : page.lines) {
            for (const Cell& cell : line) {
                if (cell.text == text)
                    return QRectF(QPointF(cell.left, cell.top), QPointF(cell.right, cell.bottom));
            }
        }
    }
    return {};
}

QMap<QString, QString> PdfText::row(const QString& label, const QString& firstHeading) const
{
    for (const Page& page : m_pages) {
        const Line* headings = nullptr;
        for (const Line& line : page.lines) {
            if (line.first().text == firstHeading)
                headings = &line;
            if (!headings || line.first().text != label)
                continue;
            QMap<QString, QString> cells;
            for (const Cell& cell : line)
                cells.insert(headingOf(cell, *headings).text, cell.text);
            return cells;
        }
    }
    return {};
}

} // namespace velmora::test
