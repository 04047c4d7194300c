#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace velmora {

namespace reports {
class PageSpool;
class ReportThread;
} // namespace reports

// The preview of a report: shows its first page as soon as that is laid out and draws
// each later page when it is turned to, while the rest of the report is still being laid
// out in the background. Pages turn with the buttons, Page Up / Page Down, Home / End or
// the page number; "&Print" prints the whole report once it is complete.
class ReportPreview final : public QDialog
{
    Q_OBJECT

public:
    ReportPreview(std::shared_ptr<reports::PageSpool> spool, reports::ReportThread& run,
                  QWidget* parent);

    int currentPage() const { return m_page; }
    void showPage(int index);

private:
    void refresh();
    void render();
    void print();

    std::shared_ptr<reports::PageSpool> m_spool;
    reports::ReportThread& m_run;
    QScrollArea* m_scroll;
    QLabel* m_view;
    QSpinBox* m_number;
    QLabel* m_of;
    QToolButton* m_print;
    QTimer m_poll;
    int m_page = -1;
    int m_shownCount = -1;
    bool m_shownFinished = false;
    qreal m_zoom = 1.4;
};

} // namespace velmora
