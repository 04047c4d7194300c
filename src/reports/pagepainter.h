#pragma once

#include "data/outputfile.h"
#include "paginator.h"
#include "renderer.h"
#include "reporterror.h"

#include <QPageLayout>
#include <QPainter>
#include <QString>

#include <functional>
#include <memory>

class QFile;
class QPagedPaintDevice;
class QTextDocument;

namespace velmora::reports {

class PageSpool;

// The resolution every printer and PDF writer is given: pages are laid out in points, and
// a page kept on disk as a picture until its total is known (see DevicePages) is played
// back at its size only on a device whose units are points. The output stays vector text
// and lines, so nothing is lost.
inline constexpr int kDeviceDpi = 72;

// The height of the footer below each page's content, in points.
inline constexpr qreal kFooterPoints = 22;

// A text document that lays out report rich text in points, with the house style and
// `style` after it.
std::unique_ptr<QTextDocument> newReportDocument(const QString& style);

// The 72 dpi device text is laid out for, so that lengths are points (one per thread).
QPaintDevice& layoutDevice();

// How the text engine scales the lengths of a document's frames and cells (padding, borders,
// margins) in its layout: it takes them for pixels of a screen.
qreal lengthScale();

// A4 in the report's orientation with the house margins.
QPageLayout pageLayout(const RenderedReport& report);
// Sets `device` to pageLayout(report).
void applyPageLayout(const RenderedReport& report, QPagedPaintDevice& device);
// The area each page's content fills, in points (the footer's room taken off).
QSizeF contentSize(const RenderedReport& report);

// Paints page `index` of `document` (laid out in pages of `pageSize` points) at the
// painter's origin, in points; only its top `height` points when that is not negative.
void paintPage(QPainter& painter, QTextDocument& document, int index, QSizeF pageSize,
               qreal height = -1);
// What of a footer is painted: all of it, all but the page number, or the number alone.
enum class FooterPart { All, Words, Number };

// The footer below a page of `pageSize`: company and title, the day printed and "Page n of
// N" (or "Page n" while `pages` is not known, -1).
void paintFooter(QPainter& painter, const RenderedReport& report, QSizeF pageSize, int page,
                 int pages, FooterPart part = FooterPart::All);
// Lays the content out unwrapped and scales it to fill `area`, centred.
void paintFitted(QPainter& painter, QTextDocument& document, QSizeF area);

// Pages painted one after the other on a PDF writer or printer whose page layout is set,
// each with its footer when the report has page numbers. Pages that come before their
// total is known are, on a PDF file (`numberLater`), painted without their page number,
// which stampPageTotals() adds to the finished file (numbersToStamp() says how many); on a
// printer they wait in a PageSpool on disk and are painted by end(). Either way every
// footer says "Page n of N" however long the report.
class DevicePages final : public PageSink
{
public:
    DevicePages(const RenderedReport& look, QPagedPaintDevice& device, bool numberLater = false);
    ~DevicePages() override;

    bool addPage(const PageContent& page, QSizeF pageSize, int total) override;
    bool addFitted(QTextDocument& document) override;
    // Finishes the output (an empty page when nothing was painted), the waiting pages
    // painted when the report is `complete` and dropped otherwise; false when it failed.
    bool end(bool complete = true);
    int pages() const { return m_pages; }
    // The pages whose numbers the finished file still needs, all of them, or 0.
    int numbersToStamp() const { return m_unnumbered > 0 ? m_pages : 0; }

private:
    bool begin();
    bool paint(const std::function<void(QPainter&)>& content, QSizeF pageSize, int total,
               FooterPart footer = FooterPart::All);
    bool paintSpooled();

    const RenderedReport& m_look;
    QPagedPaintDevice& m_device;
    QPainter m_painter;
    int m_pages = 0;
    bool m_numberLater;
    int m_unnumbered = 0;
    std::unique_ptr<PageSpool> m_spool; // the pages waiting for their total
    QSizeF m_spooledSize;
};

// Lays the report out on the pages of `device` (a PDF writer or a printer, its page
// layout already set) and paints it: page after page with a footer naming the report and
// "Page n of N", or, for a report fitted to the page, scaled to fill one page.
// False with OutputFailed in *error when the device cannot be painted on.
// With `numbersToStamp`, pages laid out before their total is known are painted without
// their number, and *numbersToStamp says how many pages stampPageTotals() must number.
bool paintReport(const RenderedReport& report, QPagedPaintDevice& device, ReportError* error,
                 int* numbersToStamp = nullptr);

// Writes the report as a PDF file into `out`, open for writing, and closes it.
bool writePdf(const RenderedReport& report, QFile& out, ReportError* error);

// Writes the report as a PDF file at `path` through an OutputFile under `rules`
// (OutputRefused when they refuse the path).
bool writePdf(const RenderedReport& report, const QString& path, const OutputRules& rules,
              ReportError* error);

} // namespace velmora::reports
