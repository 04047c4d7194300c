#include "pagetotals.h"

#include "pagepainter.h"

#include <QByteArray>
#include <QRegularExpression>

#include <vector>

namespace velmora::reports {

namespace {

constexpr qreal kNumberPoints = 7.5; // the footer's size

// The widths of the characters of "Page 123 of 456" in Helvetica, in thousandths of the
// font's size.
int helveticaWidth(char c)
{
    switch (c) {
    case ' ':
        return 278;
    case 'P':
        return 667;
    case 'f':
        return 278;
    default:
        return 556; // a, e, g, o and the digits
    }
}

// Reads PDF objects from the file by number through its cross-reference table.
class PdfObjects
{
public:
    explicit PdfObjects(const QString& path) : m_file(path) {}

    bool open(QString* error)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            return fail(m_file.errorString(), error);
        const qint64 size = m_file.size();
        m_file.seek(std::max<qint64>(0, size - 64));
        const QByteArray tail = m_file.read(64);
        const qsizetype at = tail.lastIndexOf("startxref");
        if (at < 0)
            return fail(QStringLiteral("it has no cross-reference table"), error);
        m_startXref = tail.mid(at + 9).trimmed().split('\n').value(0).trimmed().toLongLong();
        m_file.seek(m_startXref);
        if (m_file.readLine().trimmed() != "xref")
            return fail(QStringLiteral("its cross-reference table is not where it says"), error);
        const QList<QByteArray> head = m_file.readLine().trimmed().split(' ');
        const qint64 count = head.value(1).toLongLong();
        if (head.value(0) != "0" || count <= 0)
            return fail(QStringLiteral("its cross-reference table is not one section"), error);
        const QByteArray table = m_file.read(count * 20);
        for (qint64 number = 0; number < count; ++number)
            m_offsets.push_back(table.mid(number * 20, 10).toLongLong());
        m_trailer = m_file.readAll();
        return true;
    }

    // The text of object `number` between "obj" and "endobj" (a dictionary, never a stream).
    QByteArray object(qint64 number) const
    {
        if (number <= 0 || number >= static_cast<qint64>(m_offsets.size()))
            return {};
        m_file.seek(m_offsets[number]);
        QByteArray text;
        while (!m_file.atEnd()) {
            const QByteArray line = m_file.readLine();
            if (line.startsWith("endobj") || line.startsWith("stream"))
                break;
            text += line;
        }
        return text.mid(text.indexOf("obj") + 3);
    }

    qint64 count() const { return static_cast<qint64>(m_offsets.size()); }
    qint64 startXref() const { return m_startXref; }
    QByteArray trailer() const { return m_trailer; }

private:
    bool fail(const QString& why, QString* error)
    {
        *error = QStringLiteral("%1 cannot be numbered: %2").arg(m_file.fileName(), why);
        return false;
    }

    mutable QFile m_file;
    std::vector<qint64> m_offsets;
    qint64 m_startXref = 0;
    QByteArray m_trailer;
};

// The object number `key` refers to in `dictionary` ("/Key 12 0 R"), or 0.
qint64 reference(const QByteArray& dictionary, const char* key)
{
    const QRegularExpression pattern(QStringLiteral("%1\\s+(\\d+)\\s+0\\s+R").arg(key));
    return pattern.match(QString::fromLatin1(dictionary)).captured(1).toLongLong();
}

// Appends the update to `out` positioned at its end.
class Update
{
public:
    Update(QFile& out, qint64 next) : m_out(out), m_next(next) {}

    qint64 add(const QByteArray& body) { return put(m_next++, body); }
    qint64 put(qint64 number, const QByteArray& body)
    {
        m_entries.push_back({number, m_out.pos()});
        m_out.write(QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n");
        return number;
    }
    qint64 stream(const QByteArray& content)
    {
        return add("<<\n/Length " + QByteArray::number(content.size()) + "\n>>\nstream\n" +
                   content + "\nendstream");
    }
    bool finish(const PdfObjects& pdf)
    {
        const qint64 xref = m_out.pos();
        QByteArray table = "xref\n";
        for (const auto& [number, offset] : m_entries)
            table += QByteArray::number(number) + " 1\n" +
                     QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        // The trailer's entries but its size and its link to the table before.
        QByteArray trailer = pdf.trailer();
        trailer = trailer.mid(trailer.indexOf("<<") + 2);
        trailer = trailer.left(trailer.indexOf(">>"));
        QByteArray kept;
        for (const QByteArray& line : trailer.split('\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith("/Size") &&
                !line.trimmed().startsWith("/Prev"))
                kept += line.trimmed() + "\n";
        }
        table += "trailer\n<<\n/Size " + QByteArray::number(m_next) + "\n" + kept + "/Prev " +
                 QByteArray::number(pdf.startXref()) + "\n>>\nstartxref\n" +
                 QByteArray::number(xref) + "\n%%EOF\n";
        return m_out.write(table) == table.size() && m_out.flush();
    }

private:
    struct Entry
    {
        qint64 number;
        qint64 offset;
    };
    QFile& m_out;
    qint64 m_next;
    std::vector<Entry> m_entries;
};

// The content stream that ends the page's own drawing (begun by a shared "q") and writes
// "Page n of N" right-aligned where paintFooter() puts it, in PDF points from the bottom
// left.
QByteArray numberText(const RenderedReport& look, int page, int pages)
{
    const QByteArray words =
        "Page " + QByteArray::number(page) + " of " + QByteArray::number(pages);
    qreal width = 0;
    for (const char c : words)
        width += helveticaWidth(c) * kNumberPoints / 1000;
    const QPageLayout layout = pageLayout(look);
    const QRectF area = layout.paintRect(QPageLayout::Point);
    const qreal right = area.left() + contentSize(look).width();
    // As paintFooter() sets it: 12 points below the content, its top at the font's ascent.
    const qreal top = area.top() + contentSize(look).height() + 12;
    const qreal baseline =
        layout.fullRect(QPageLayout::Point).height() - top - kNumberPoints * 0.93;
    return "Q\nq\n0.4 0.447 0.498 rg\nBT\n/VelmoraPageNumber " + QByteArray::number(kNumberPoints) +
           " Tf\n" + QByteArray::number(right - width, 'f', 2) + " " +
           QByteArray::number(baseline, 'f', 2) + " Td\n(" + words + ") Tj\nET\nQ\n";
}

} // namespace

bool stampPageTotals(QFile& file, const RenderedReport& look, int pages, QString* error)
{
    PdfObjects pdf(file.fileName());
    if (!pdf.open(error))
        return false;
    const qint64 pagesObject = reference(pdf.object(reference(pdf.trailer(), "/Root")), "/Pages");
    static const QRegularExpression kid(QStringLiteral("(\\d+)\\s+0\\s+R"));
    const QByteArray list = pdf.object(pagesObject);
    const QByteArray kidsText = list.mid(list.indexOf("/Kids"));
    std::vector<qint64> kids;
    for (const auto& match : kid.globalMatch(QString::fromLatin1(
             kidsText.mid(kidsText.indexOf('['), kidsText.indexOf(']') - kidsText.indexOf('[')))))
        kids.push_back(match.captured(1).toLongLong());
    if (static_cast<int>(kids.size()) != pages) {
        *error = QStringLiteral("%1 has %2 pages, not the %3 it was to be numbered for")
                     .arg(file.fileName())
                     .arg(kids.size())
                     .arg(pages);
        return false;
    }
    if (!file.seek(file.size()))
        return false;
    Update update(file, pdf.count());
    const qint64 font = update.add("<<\n/Type /Font\n/Subtype /Type1\n/BaseFont /Helvetica\n"
                                   "/Encoding /WinAnsiEncoding\n>>");
    const qint64 saved = update.stream("q");
    int number = 0;
    for (const qint64 page : kids) {
        QByteArray dictionary = pdf.object(page);
        const qint64 contents = reference(dictionary, "/Contents");
        const qint64 resources = reference(dictionary, "/Resources");
        QByteArray resourceText = pdf.object(resources);
        if (contents == 0 || resources == 0 || !resourceText.contains("/Font <<")) {
            *error = QStringLiteral("%1: page %2 is not as the PDF writer writes pages")
                         .arg(file.fileName())
                         .arg(number + 1);
            return false;
        }
        const qint64 text = update.stream(numberText(look, ++number, pages));
        resourceText.replace("/Font <<",
                             "/Font <<\n/VelmoraPageNumber " + QByteArray::number(font) + " 0 R");
        update.put(resources, resourceText.trimmed());
        dictionary.replace(QByteArray::number(contents) + " 0 R",
                           "[" + QByteArray::number(saved) + " 0 R " +
                               QByteArray::number(contents) + " 0 R " + QByteArray::number(text) +
                               " 0 R]");
        update.put(page, dictionary.trimmed());
    }
    if (!update.finish(pdf)) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace velmora::reports
