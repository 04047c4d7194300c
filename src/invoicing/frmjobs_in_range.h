#pragma once

#include <QDate>
#include <QMainWindow>
#include <QSqlDatabase>

#include <optional>

class QLabel;
class QLineEdit;

namespace velmora {

class Dialogs;

// "No Of Jobs Within A Date Range": "&Select" counts the jobs booked on the days from the
// start date to the end date, both included.
class frmjobs_in_range final : public QMainWindow
{
    Q_OBJECT

public:
    frmjobs_in_range(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    void count();
    // The date in `field`, or nullopt after saying it is not one.
    std::optional<QDate> dateIn(QLineEdit* field);
    void tell(const QString& text);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_start;
    QLineEdit* m_end;
    QLineEdit* m_jobs;
    QLabel* m_jobsCaption;
};

} // namespace velmora
