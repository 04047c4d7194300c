#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

namespace velmora {

namespace reports {
class ReportThread;
}

// The small window shown while a report runs in the background: the pages laid out and
// the rows read so far, and "Cancel", which stops the run (a query in the middle of its
// work included). It closes itself when the run ends or, when `untilFirstPage` is given,
// as soon as the first page is there.
class ReportProgress final : public QDialog
{
    Q_OBJECT

public:
    ReportProgress(reports::ReportThread& run, const QString& title, QWidget* parent,
                   bool untilFirstPage = false);

    // Runs an event loop until the run ends (or has its first page); shows the window
    // only when that takes longer than a moment.
    void waitForRun();

private:
    void refresh();

    reports::ReportThread& m_run;
    bool m_untilFirstPage;
    QLabel* m_counts;
    QPushButton* m_cancel;
    QTimer m_poll;
    int m_ticks = 0;
};

} // namespace velmora
