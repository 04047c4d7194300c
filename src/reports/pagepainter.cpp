#include "pagepainter.h"

#include "data/dates.h"
#include "pagespool.h"
#include "pagetotals.h"
#include "paginator.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

namespace velmora::reports {

namespace {

const QString kFontFamily = QStringLiteral("DejaVu Sans");

// The house font at `points`. The faint letter spacing turns ligatures off, so that a PDF's
// text reads back and searches as it was written ("office", not "o\uFB03ce").
QFont houseFont(qreal points)
{
    QFont font(kFontFamily);
    font.setPointSizeF(points);
    font.setLetterSpacing(QFont::PercentageSpacing, 100.1);
    return font;
}

// The look every report shares; a definition's own style is added after it. The text
// engine reads lengths in px only, which are points here (see kLayoutDpi).
const QString kHouseStyle = QStringLiteral(R"(
body { font-family: "DejaVu Sans"; font-size: 9pt; color: #1d2731; }
p { margin-top: 0; margin-bottom: 0; }
h1 { font-size: 17pt; font-weight: bold; color: #16324f; margin-top: 0; margin-bottom: 2px; }
h2 { font-size: 12pt; font-weight: bold; color: #16324f; margin-top: 12px; margin-bottom: 4px; }
h3 { font-size: 10pt; font-weight: bold; color: #16324f; margin-top: 10px; margin-bottom: 3px; }
.muted { color: #66727f; }
.small { font-size: 8pt; }
.title { font-size: 15pt; font-weight: bold; color: #16324f; }
table.grid { border-collapse: collapse; }
table.grid th { background-color: #16324f; color: #ffffff; font-weight: bold;
                padding: 5px 6px 5px 6px; text-align: left; white-space: nowrap; }
table.grid td { padding: 4px 6px 4px 6px; border-bottom: 1px solid #dde3e8; }
table.grid tr.group td { background-color: #e8eef4; font-weight: bold; color: #16324f;
                         padding-top: 6px; border-bottom: 1px solid #b8c4cf; }
table.grid tr.total td { font-weight: bold; border-top: 1px solid #16324f;
                         border-bottom: 0; padding-bottom: 8px; }
table.grid tr.grand td { font-weight: bold; background-color: #dbe4ed;
                         border-top: 2px solid #16324f; border-bottom: 2px solid #16324f; }
table.grid th.num, table.grid td.num { text-align: right; }
.past { color: #b3261e; font-weight: bold; }
.page-break { page-break-before: always; }
)");

// Rich text is laid out in points: the text engine reads CSS lengths (padding, margins,
// borders) as pixels of the layout device, so a 72 dpi layout makes them points whatever
// the resolution of the printer or PDF, and the painter scales the layout to the device.
constexpr qreal kLayoutDpi = 72;
constexpr qreal kInchesPerMetre = 1 / 0.0254;

QImage pointImage()
{
    QImage image(1, 1, QImage::Format_Mono);
    image.setDotsPerMeterX(qRound(kLayoutDpi * kInchesPerMetre));
    image.setDotsPerMeterY(qRound(kLayoutDpi * kInchesPerMetre));
    return image;
}

// A text document that lays out in points: its layout device is a 72 dpi image kept
// with it.
class PointDocument final : public QTextDocument
{
public:
    PointDocument() : m_device(pointImage()) { documentLayout()->setPaintDevice(&m_device); }

private:
    QImage m_device;
};

// The device's pixels per point, across and down.
QPointF pixelsPerPoint(const QPaintDevice& device)
{
    return {device.logicalDpiX() / kLayoutDpi, device.logicalDpiY() / kLayoutDpi};
}

ReportError outputFailed(const QString& name, const QString& reason)
{
    return {ReportError::OutputFailed,
            QStringLiteral("The report could not be written to '%1': %2.").arg(name, reason)};
}

} // namespace

QPaintDevice& layoutDevice()
{
    thread_local QImage device = pointImage();
    return device;
}

std::unique_ptr<QTextDocument> newReportDocument(const QString& style)
{
    auto document = std::make_unique<PointDocument>();
    document->setUseDesignMetrics(true);
    document->setDocumentMargin(0);
    document->setDefaultFont(houseFont(9));
    document->setDefaultStyleSheet(kHouseStyle + style);
    return document;
}

qreal lengthScale()
{
    static const qreal scale = [] {
        auto document = newReportDocument(QString());
        document->setHtml(QStringLiteral("<p>X</p>"));
        QTextFrameFormat format = document->rootFrame()->frameFormat();
        format.setTopMargin(1000);
        document->rootFrame()->setFrameFormat(format);
        const qreal top =
            document->documentLayout()->blockBoundingRect(document->firstBlock()).top();
        return top > 0 ? top / 1000 : 1.0;
    }();
    return scale;
}

QPageLayout pageLayout(const RenderedReport& report)
{
    return QPageLayout(QPageSize(QPageSize::A4), report.orientation, QMarginsF(15, 14, 15, 10),
                       QPageLayout::Millimeter);
}

void applyPageLayout(const RenderedReport& report, QPagedPaintDevice& device)
{
    device.setPageLayout(pageLayout(report));
}

QSizeF contentSize(const RenderedReport& report)
{
    const QSizeF area = pageLayout(report).paintRect(QPageLayout::Point).size();
    return {area.width(), area.height() - (report.pageNumbers ? kFooterPoints : 0)};
}

void paintPage(QPainter& painter, QTextDocument& document, int index, QSizeF pageSize, qreal height)
{
    painter.save();
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(QPointF(0, index * pageSize.height()),
                          QSizeF(pageSize.width(), height < 0 ? pageSize.height() : height));
    painter.translate(0, -index * pageSize.height());
    painter.setClipRect(context.clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void paintFooter(QPainter& painter, const RenderedReport& report, QSizeF pageSize, int page,
                 int pages, FooterPart part)
{
    // Drawn in device pixels, where the footer's font has its true size.
    const QPointF scale = pixelsPerPoint(*painter.device());
    const qreal point = scale.y();
    const QRectF area(0, (pageSize.height() + 8) * point, pageSize.width() * scale.x(),
                      (kFooterPoints - 8) * point);
    painter.save();
    painter.scale(1 / scale.x(), 1 / scale.y());
    painter.setFont(houseFont(7.5));
    const QRectF text = area.adjusted(0, 4 * point, 0, 0);
    if (part != FooterPart::Number) {
        painter.setPen(QPen(QColor(0xb8, 0xc4, 0xcf), 0.6 * point));
        painter.drawLine(area.topLeft(), area.topRight());
        painter.setPen(QColor(0x66, 0x72, 0x7f));
        const QString name =
            report.company.isEmpty()
                ? report.title
                : QStringLiteral("%1  \u00b7  %2").arg(report.company, report.title);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, name);
        painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("Printed %1").arg(ukDate(report.printed)));
    }
    if (part != FooterPart::Words) {
        painter.setPen(QColor(0x66, 0x72, 0x7f));
        painter.drawText(text, Qt::AlignRight | Qt::AlignTop,
                         pages > 0 ? QStringLiteral("Page %1 of %2").arg(page).arg(pages)
                                   : QStringLiteral("Page %1").arg(page));
    }
    painter.restore();
}

void paintFitted(QPainter& painter, QTextDocument& document, QSizeF area)
{
    document.setTextWidth(-1);
    // Laid out again as wide as its widest line, so that centred lines centre on it.
    document.setTextWidth(document.idealWidth() + 1);
    const QSizeF natural = document.size();
    if (natural.isEmpty())
        return;
    const qreal scale = std::min(area.width() / natural.width(), area.height() / natural.height());
    painter.save();
    painter.translate((area.width() - natural.width() * scale) / 2,
                      (area.height() - natural.height() * scale) / 2);
    painter.scale(scale, scale);
    document.drawContents(&painter);
    painter.restore();
}

DevicePages::DevicePages(const RenderedReport& look, QPagedPaintDevice& device, bool numberLater)
    : m_look(look), m_device(device), m_numberLater(numberLater)
{
}

DevicePages::~DevicePages()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool DevicePages::begin()
{
    if (!m_painter.begin(&m_device))
        return false;
    m_painter.setRenderHint(QPainter::Antialiasing);
    const QPointF scale = pixelsPerPoint(m_device);
    m_painter.scale(scale.x(), scale.y());
    return true;
}

bool DevicePages::addPage(const PageContent& page, QSizeF pageSize, int total)
{
    if (total < 0 && m_look.pageNumbers && m_numberLater) {
        ++m_unnumbered;
        return paint([&page](QPainter& painter) { page.paint(painter); }, pageSize, total,
                     FooterPart::Words);
    }
    if (total < 0 && m_look.pageNumbers) {
        if (!m_spool)
            m_spool = std::make_unique<PageSpool>();
        m_spooledSize = pageSize;
        return m_spool->addPage(page, pageSize, total);
    }
    return paint([&page](QPainter& painter) { page.paint(painter); }, pageSize, total);
}

bool DevicePages::paint(const std::function<void(QPainter&)>& content, QSizeF pageSize, int total,
                        FooterPart footer)
{
    if (!m_painter.isActive() && !begin())
        return false;
    if (m_pages > 0 && !m_device.newPage())
        return false;
    ++m_pages;
    content(m_painter);
    if (m_look.pageNumbers)
        paintFooter(m_painter, m_look, pageSize, m_pages, total, footer);
    return true;
}

bool DevicePages::paintSpooled()
{
    const int total = m_pages + m_spool->pageCount();
    for (int index = 0; index < m_spool->pageCount(); ++index) {
        const std::optional<QPicture> picture = m_spool->page(index);
        if (!picture ||
            !paint([&picture](QPainter& painter) { painter.drawPicture(0, 0, *picture); },
                   m_spooledSize, total))
            return false;
    }
    m_spool.reset();
    return true;
}

bool DevicePages::addFitted(QTextDocument& document)
{
    if (!m_painter.isActive() && !begin())
        return false;
    ++m_pages;
    paintFitted(m_painter, document, pageLayout(m_look).paintRect(QPageLayout::Point).size());
    return true;
}

bool DevicePages::end(bool complete)
{
    if (!complete)
        m_spool.reset();
    if (m_spool && !paintSpooled())
        return false;
    if (!m_painter.isActive() && !begin())
        return false;
    return m_painter.end();
}

bool paintReport(const RenderedReport& report, QPagedPaintDevice& device, ReportError* error,
                 int* numbersToStamp)
{
    DevicePages pages(report, device, numbersToStamp != nullptr);
    bool painted = true;
    if (report.fitToPage) {
        auto document = newReportDocument(report.style);
        document->setHtml(report.html);
        painted = pages.addFitted(*document);
    } else {
        Paginator paginator(report.style, contentSize(report), pages);
        paginator.write(report.html);
        painted = paginator.finish();
    }
    if (!pages.end() || !painted) {
        *error = {ReportError::OutputFailed,
                  QStringLiteral("The report '%1' could not be started on the printer or file.")
                      .arg(report.title)};
        return false;
    }
    if (numbersToStamp)
        *numbersToStamp = pages.numbersToStamp();
    return true;
}

bool writePdf(const RenderedReport& report, QFile& out, ReportError* error)
{
    int unnumbered = 0;
    {
        QPdfWriter writer(&out);
        writer.setResolution(kDeviceDpi);
        writer.setTitle(report.title);
        writer.setCreator(QStringLiteral("Velmora"));
        applyPageLayout(report, writer);
        if (!paintReport(report, writer, error, &unnumbered))
            return false;
    }
    QString reason;
    if (!out.flush() || out.error() != QFileDevice::NoError ||
        (unnumbered > 0 && !stampPageTotals(out, report, unnumbered, &reason))) {
        *error = outputFailed(QDir::toNativeSeparators(out.fileName()),
                              reason.isEmpty() ? out.errorString() : reason);
        return false;
    }
    out.close();
    return true;
}

bool writePdf(const RenderedReport& report, const QString& path, const OutputRules& rules,
              ReportError* error)
{
    QString reason = outputRefusal(path, rules);
    if (!reason.isEmpty()) {
        *error = {ReportError::OutputRefused, reason};
        return false;
    }
    OutputFile file(path, rules);
    if (!file.open(&reason) || !writePdf(report, file.file(), error) || !file.commit(&reason)) {
        if (!reason.isEmpty())
            *error = {ReportError::OutputFailed, reason};
        return false;
    }
    return true;
}

} // namespace velmora::reports
