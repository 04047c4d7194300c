#pragma once

#include <QList>
#include <QMap>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace velmora::test {

// A PDF read back with pdftotext (poppler-utils): its pages, plain text and words with
// their places, for checking what a report prints and in which column.
class PdfText
{
public:
    // Reads the PDF at `path`; on failure `isValid()` is false and `error()` says why.
    explicit PdfText(const QString& path);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    // The size of a page in points.
    QSizeF pageSize(int page) const { return m_pages.at(page).size; }
    // All the text, words separated by single blanks and lines by line breaks.
    QString text() const;

    // Where the first cell (words set close together on a line) reading `text` stands, in
    // points from the top left of its page; an empty rectangle when there is none.
    QRectF bounds(const QString& text) const;

    // The cells of the first table line whose first cell is `label`, each under the column
    // heading that it lines up with (same left edge, or same right edge for figures), else
    // the nearest heading starting before it (an indented cell). The headings are the cells
    // of the nearest line above whose first cell is `firstHeading`. Empty when there is no
    // such line.
    QMap<QString, QString> row(const QString& label, const QString& firstHeading) const;

private:
    struct Cell
    {
        QString text;
        double left;
        double right;
        double top;
        double bottom;
    };
    using Line = QList<Cell>;
    static const Cell& headingOf(const Cell& cell, const Line& headings);
    struct Page
    {
        QSizeF size;
        QList<Line> lines;
    };

    QList<Page> m_pages;
    QString m_error;
};

} // namespace velmora::test
