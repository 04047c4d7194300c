#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QComboBox;
class QLabel;
class QLineEdit;

namespace velmora {

class Dialogs;
class ReportEngine;

// "Create Driver Payment Report": works out the share of every completed percentage job
// of the chosen drivers that no run has taken in yet ("&Create Payment Details"), then
// prints the payment slips (drvearn.rpt), marking the printed wage rows as reported, or
// previews them.
class frmdriver_payment final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmdriver_payment(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                      QWidget* parent = nullptr);

    // The calculation over the drivers the two lists name; its messages are shown here.
    void create_payment_details();

private:
    void opening() override;
    void printPayments();
    void previewPayments();

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ReportEngine& m_reports;
    QComboBox* m_start;
    QComboBox* m_end;
    QLineEdit* m_gross;
    QLabel* m_grossLabel;
};

} // namespace velmora
