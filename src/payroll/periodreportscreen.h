#pragma once

#include <QDate>
#include <QMainWindow>
#include <QSqlDatabase>

#include <functional>
#include <optional>
#include <utility>

class QLineEdit;

namespace velmora {

class Dialogs;
class ReportEngine;

// A screen that works out the figures of a period and prints the report that shows them:
// a start and an end date and "&Go".
class PeriodReportScreen : public QMainWindow
{
    Q_OBJECT

public:
    // Works out the figures of the period; the status line's text, or nullopt with the
    // reason in *error.
    using Work = std::function<std::optional<QString>(const QSqlDatabase& db, QDate from, QDate to,
                                                      QString* error)>;
    // What the screen does besides its work: the report and where it goes, the dates the
    // fields show when it opens (none when invalid), the dates an empty field takes on
    // "&Go" (none: an empty field is not a date), and the words before a failure's reason.
    struct Setting
    {
        QString reportFile;
        int destination;
        std::pair<QDate, QDate> shown;
        std::pair<QDate, QDate> whenEmpty;
        QString failure;
    };

    // The figures and their report; false when the dates were refused, the work failed
    // (after the screen's message) or the report failed.
    bool go();

protected:
    PeriodReportScreen(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, Work work,
                       Setting setting, QWidget* parent);

private:
    std::optional<QDate> fieldDate(QLineEdit* field, QDate whenEmpty, const QString& caption);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ReportEngine& m_reports;
    Work m_work;
    Setting m_setting;
    QLineEdit* m_start;
    QLineEdit* m_end;
};

// "Profit and Loss": income before VAT less job payments, driver wages and operational
// costs, month by month, previewed from profitandloss.rpt.
class frmprofit_and_loss final : public PeriodReportScreen
{
    Q_OBJECT

public:
    frmprofit_and_loss(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                       QWidget* parent = nullptr);
};

// "VAT Return": the nine boxes of the period, previewed from vatreturn.rpt.
class frmvat_return final : public PeriodReportScreen
{
    Q_OBJECT

public:
    frmvat_return(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                  QWidget* parent = nullptr);
};

} // namespace velmora
