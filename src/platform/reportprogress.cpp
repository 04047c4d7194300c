#include "reportprogress.h"

#include "reports/reportjob.h"

#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {
constexpr int kPollMilliseconds = 100;
// The window appears only for a run that lasts longer than this many polls.
constexpr int kQuietPolls = 4;
} // namespace

ReportProgress::ReportProgress(reports::ReportThread& run, const QString& title, QWidget* parent,
                               bool untilFirstPage)
    : QDialog(parent), m_run(run), m_untilFirstPage(untilFirstPage), m_counts(new QLabel(this)),
      m_cancel(new QPushButton(tr("&Cancel"), this))
{
    setObjectName(QStringLiteral("frmreport_progress"));
    setWindowTitle(tr("Printing %1").arg(title));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(tr("Running the report \"%1\"...").arg(title), this);
    layout->addWidget(heading);
    m_counts->setObjectName(QStringLiteral("lblprogress"));
    m_counts->setMinimumWidth(320);
    layout->addWidget(m_counts);
    m_cancel->setObjectName(QStringLiteral("cmdcancel"));
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_run.control().cancel();
        m_cancel->setEnabled(false);
        m_counts->setText(tr("Cancelling..."));
    });
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &ReportProgress::refresh);
    refresh();
}

void ReportProgress::refresh()
{
    const auto& counters = m_run.control().counters;
    const bool done = m_run.isFinished() || (m_untilFirstPage && counters.pages.load() > 0);
    if (done) {
        m_poll.stop();
        if (isVisible())
            accept();
        return;
    }
    if (++m_ticks == kQuietPolls && !isVisible())
        open();
    if (m_cancel->isEnabled()) {
        const QLocale numbers;
        m_counts->setText(tr("%1 pages laid out, %2 rows read")
                              .arg(numbers.toString(counters.pages.load()),
                                   numbers.toString(static_cast<qlonglong>(counters.rows.load()))));
    }
}

void ReportProgress::waitForRun()
{
    QEventLoop loop;
    connect(&m_poll, &QTimer::timeout, &loop, [this, &loop] {
        if (!m_poll.isActive())
            loop.quit();
    });
    // Closing the window is cancelling.
    connect(this, &QDialog::rejected, this, [this] { m_run.control().cancel(); });
    m_poll.start();
    refresh();
    if (m_poll.isActive())
        loop.exec();
    hide();
}

} // namespace velmora
