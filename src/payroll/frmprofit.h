#pragma once

#include <QDate>
#include <QMainWindow>
#include <QSqlDatabase>

#include <optional>

class QLineEdit;

namespace velmora {

class Dialogs;
class ReportEngine;

// "Profitability Parameters": "&Go" rebuilds the profitability lines of the period the two
// date fields give (a field left empty takes the usual default) and prints
// profitability.rpt from them.
class frmprofit final : public QMainWindow
{
    Q_OBJECT

public:
    frmprofit(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent = nullptr);

    // The run and the print; false when the dates were refused or the run failed (after
    // the screen's message) or the report failed.
    bool go();

private:
    // The date a field holds: its default put into it when empty; nullopt after the
    // message when it holds no date.
    std::optional<QDate> fieldDate(QLineEdit* field, QDate fallback, const QString& caption);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ReportEngine& m_reports;
    QLineEdit* m_start;
    QLineEdit* m_end;
};

} // namespace velmora
