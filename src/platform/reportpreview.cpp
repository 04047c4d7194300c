#include "reportpreview.h"

#include "reports/pagepainter.h"
#include "reports/pagespool.h"
#include "reports/reportjob.h"
#include "windowplace.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace velmora {

namespace {

// What the scroll bar and the margins take beside the page, in pixels.
constexpr int kPageRoom = 60;

QToolButton* button(QWidget* parent, const QString& text, const QString& name)
{
    auto* result = new QToolButton(parent);
    result->setText(text);
    result->setObjectName(name);
    result->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return result;
}

// One page at about `zoom` pixels per point, with its footer.
QImage pageImage(const reports::PageSpool& spool, int index, int total, qreal zoom)
{
    // A whole number of dots per inch, as the painter's device reports its resolution.
    zoom = std::max(1.0, std::round(zoom * 72)) / 72;
    const reports::RenderedReport look = spool.look();
    const QSizeF area = reports::pageLayout(look).paintRect(QPageLayout::Point).size();
    const QSizeF paper = reports::pageLayout(look).fullRect(QPageLayout::Point).size();
    const QMarginsF margins = reports::pageLayout(look).margins(QPageLayout::Point);
    QImage image((paper * zoom).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(zoom * 72 / 0.0254));
    image.setDotsPerMeterY(qRound(zoom * 72 / 0.0254));
    image.fill(Qt::white);
    const auto picture = spool.page(index);
    if (!picture)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(zoom, zoom);
    painter.translate(margins.left(), margins.top());
    painter.setClipRect(QRectF(QPointF(0, 0), area));
    painter.drawPicture(0, 0, *picture);
    painter.setClipping(false);
    if (look.pageNumbers && !look.fitToPage)
        reports::paintFooter(painter, look, spool.pageSize(), index + 1, total);
    return image;
}

} // namespace

ReportPreview::ReportPreview(std::shared_ptr<reports::PageSpool> spool, reports::ReportThread& run,
                             QWidget* parent)
    : QDialog(parent), m_spool(std::move(spool)), m_run(run), m_scroll(new QScrollArea(this)),
      m_view(new QLabel(this)), m_number(new QSpinBox(this)), m_of(new QLabel(this)),
      m_print(button(this, tr("&Print"), QStringLiteral("cmdprint")))
{
    setObjectName(QStringLiteral("frmreport_preview"));
    setWindowTitle(tr("%1 - Print Preview").arg(m_spool->look().title));
    // The whole window on the screen, the page as wide as the window.
    resize(withinScreen(parent, QSize(1000, 820)));
    const qreal paper = reports::pageLayout(m_spool->look()).fullRect(QPageLayout::Point).width();
    m_zoom = std::clamp((width() - kPageRoom) / paper, 0.4, 4.0);
    auto* first = button(this, tr("&First"), QStringLiteral("cmdfirst"));
    auto* previous = button(this, tr("P&revious"), QStringLiteral("cmdprevious"));
    auto* next = button(this, tr("&Next"), QStringLiteral("cmdnext"));
    auto* last = button(this, tr("&Last"), QStringLiteral("cmdlast"));
    auto* zoomIn = button(this, tr("Zoom &In"), QStringLiteral("cmdzoomin"));
    auto* zoomOut = button(this, tr("Zoom &Out"), QStringLiteral("cmdzoomout"));
    auto* close = button(this, tr("&Close"), QStringLiteral("cmdclose"));
    m_number->setObjectName(QStringLiteral("txtpage"));
    m_number->setRange(1, 1);
    m_number->setKeyboardTracking(false);
    m_of->setObjectName(QStringLiteral("lblpages"));
    auto* bar = new QHBoxLayout;
    for (QWidget* widget : std::initializer_list<QWidget*>{first, previous, m_number, m_of, next,
                                                           last, zoomOut, zoomIn, m_print})
        bar->addWidget(widget);
    bar->addStretch();
    bar->addWidget(close);
    m_view->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(first, &QToolButton::clicked, this, [this] { showPage(0); });
    connect(previous, &QToolButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(next, &QToolButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(last, &QToolButton::clicked, this, [this] { showPage(m_spool->pageCount() - 1); });
    connect(m_number, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    connect(zoomIn, &QToolButton::clicked, this, [this] {
        m_zoom = std::min(m_zoom * 1.25, 4.0);
        render();
    });
    connect(zoomOut, &QToolButton::clicked, this, [this] {
        m_zoom = std::max(m_zoom / 1.25, 0.4);
        render();
    });
    connect(m_print, &QToolButton::clicked, this, &ReportPreview::print);
    connect(close, &QToolButton::clicked, this, &QDialog::reject);
    new QShortcut(QKeySequence(Qt::Key_PageDown), this, [this] { showPage(m_page + 1); });
    new QShortcut(QKeySequence(Qt::Key_PageUp), this, [this] { showPage(m_page - 1); });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home), this, [this] { showPage(0); });
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_End), this,
                  [this] { showPage(m_spool->pageCount() - 1); });

    m_poll.setInterval(200);
    connect(&m_poll, &QTimer::timeout, this, &ReportPreview::refresh);
    m_poll.start();
    refresh();
    showPage(0);
}

void ReportPreview::showPage(int index)
{
    const int count = m_spool->pageCount();
    index = std::clamp(index, 0, std::max(0, count - 1));
    if (index == m_page && m_view->pixmap().isNull() == (count == 0))
        return;
    m_page = index;
    const QSignalBlocker blocker(m_number);
    m_number->setValue(index + 1);
    render();
}

void ReportPreview::render()
{
    if (m_page < 0 || m_page >= m_spool->pageCount())
        return;
    const int total = m_run.isFinished() && m_run.error().number == 0 ? m_spool->pageCount() : -1;
    m_view->setPixmap(QPixmap::fromImage(pageImage(*m_spool, m_page, total, m_zoom)));
}

// Follows the run: the page count so far, and the footer's total once it is known.
void ReportPreview::refresh()
{
    const int count = m_spool->pageCount();
    const bool finished = m_run.isFinished();
    if (count == m_shownCount && finished == m_shownFinished)
        return;
    const bool firstPage = m_shownCount <= 0 && count > 0;
    m_shownCount = count;
    m_shownFinished = finished;
    m_number->setRange(1, std::max(1, count));
    const bool failed = finished && m_run.error().number != 0;
    m_of->setText(failed     ? tr("of %1 (stopped: %2)").arg(count).arg(m_run.error().number)
                  : finished ? tr("of %1").arg(count)
                             : tr("of %1 so far...").arg(count));
    m_print->setEnabled(finished && !failed);
    if (finished)
        m_poll.stop();
    if (firstPage || finished)
        render();
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    const reports::RenderedReport look = m_spool->look();
    printer.setDocName(look.title);
    reports::applyPageLayout(look, printer);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The pages are pictures, which play back at their size only in points.
    printer.setResolution(reports::kDeviceDpi);
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const qreal scale = printer.logicalDpiY() / 72.0;
    const int total = m_spool->pageCount();
    for (int index = 0; index < total; ++index) {
        if (index > 0)
            printer.newPage();
        const auto picture = m_spool->page(index);
        if (!picture)
            break;
        painter.save();
        painter.scale(printer.logicalDpiX() / 72.0, scale);
        painter.drawPicture(0, 0, *picture);
        if (look.pageNumbers && !look.fitToPage)
            reports::paintFooter(painter, look, m_spool->pageSize(), index + 1, total);
        painter.restore();
    }
    painter.end();
}

} // namespace velmora
