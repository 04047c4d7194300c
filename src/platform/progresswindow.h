#pragma once

#include "workprogress.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velmora {

// The small window of long work on the screen's own thread, like the one of a running
// report: the steps done of all, a bar, and "Cancel". It appears only when the work lasts
// longer than a moment; from then on it keeps the rest of the program from the
// operator's hands and lets the window repaint and take the Cancel between steps.
class ProgressWindow final : public QDialog, public WorkProgress
{
    Q_OBJECT

public:
    ProgressWindow(QWidget* parent, const QString& title, const QString& heading);
    ~ProgressWindow() override;

    bool advance(qint64 done, qint64 total) override;

private:
    QLabel* m_counts;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QElapsedTimer m_started;
    QElapsedTimer m_shown;
    bool m_cancelled = false;
    bool m_pointer = false; // whether it set the pointer it must put back
};

} // namespace velmora
