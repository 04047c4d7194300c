#include "progresswindow.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {
// The window appears only for work that lasts longer than this.
constexpr qint64 kQuietMilliseconds = 400;
// Between two repaints (and looks at the Cancel button).
constexpr qint64 kRefreshMilliseconds = 100;
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent, const QString& title, const QString& heading)
    : QDialog(parent), m_counts(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(tr("&Cancel"), this))
{
    setObjectName(QStringLiteral("frmwork_progress"));
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(heading, this));
    m_counts->setObjectName(QStringLiteral("lblprogress"));
    m_counts->setMinimumWidth(320);
    layout->addWidget(m_counts);
    m_bar->setObjectName(QStringLiteral("barprogress"));
    layout->addWidget(m_bar);
    m_cancel->setObjectName(QStringLiteral("cmdcancel"));
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Closing the window, Escape included, is cancelling.
    connect(this, &QDialog::rejected, this, [this] {
        m_cancelled = true;
        m_cancel->setEnabled(false);
        m_counts->setText(tr("Cancelling..."));
    });
    m_started.start();
}

ProgressWindow::~ProgressWindow()
{
    if (m_pointer)
        QApplication::restoreOverrideCursor();
}

bool ProgressWindow::advance(qint64 done, qint64 total)
{
    if (m_cancelled)
        return false;
    if (!isVisible()) {
        if (m_started.elapsed() < kQuietMilliseconds)
            return true;
        // The operator may reach the Cancel button now: a pointer that says so.
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_pointer = true;
        show();
    } else if (m_shown.isValid() && m_shown.elapsed() < kRefreshMilliseconds) {
        return true;
    }
    m_shown.start();
    const QLocale numbers;
    m_counts->setText(total > 0
                          ? tr("%1 of %2").arg(numbers.toString(done), numbers.toString(total))
                          : numbers.toString(done));
    // The bar counts in thousandths, so that its range fits an int however long the work.
    m_bar->setRange(0, 1000);
    m_bar->setValue(total > 0 ? int(done * 1000 / total) : 0);
    QApplication::processEvents();
    return !m_cancelled;
}

} // namespace velmora
