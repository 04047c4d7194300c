#pragma once

#include "bookingcheck.h"
#include "jobkey.h"
#include "joblists.h"
#include "platform/openingscreen.h"

#include <QSqlDatabase>
#include <QWidget>

class QLineEdit;
class QTabWidget;

namespace velmora {

class BookingTab;
class CostTab;
class Dialogs;
class FieldEvents;
class ProfitTab;
class SearchPanel;

// The job management screen ("Jobs Management Summary "): books, finds, loads and
// changes jobs, and records each job's receipt and payment lines and shows its profit.
// Its opening steps run when it is first shown; when a list it needs is empty it says
// so and puts "F" in its hidden field txtload, and the opener closes it again.
class frmjob_management final : public OpeningScreen<QWidget>
{
    Q_OBJECT

public:
    frmjob_management(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Puts `key` into txtjob_prefix and txtjobno. Called before the screen is first
    // shown, it makes the screen open on that job.
    void presetJob(const JobKey& key);
    // On a screen already open: puts `key` into the two fields and selects that job, as
    // "&Select" does.
    void selectJob(const JobKey& key);

Q_SIGNALS:
    // A job was added or updated, so the board of current jobs is out of date.
    void jobsChanged();

protected:
    // Asks about receipt or payment lines not saved before the screen closes.
    void closeEvent(QCloseEvent* event) override;

private:
    // Whether the lines of `tab` may be left: saved on Yes, dropped on No.
    // Opening steps.
    void opening() override;
    bool readCostTypes();
    bool get_vatdetails();
    bool get_drivers();
    bool get_accounts();
    bool get_paymenttypes();
    bool get_vehicles();
    // Booking work.
    bool validaterecord(BookingCheck* check);
    // Asks first when the checked booking's driver or the driver's vehicle has a document
    // that runs out before the job's day; true to go on.
    bool documentsAgreed(const BookingCheck& check);
    bool add_job();
    bool update_job();
    void select();
    // Loads the job `key` into the whole screen; it becomes the current job when found.
    bool load_job(const JobKey& key);
    void clearAll();
    void chooseFound(const JobKey& key);
    void showTotals();

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    JobLists m_lists;
    CurrentJob m_job;
    FieldEvents* m_events;
    QTabWidget* m_tabs;
    SearchPanel* m_search;
    BookingTab* m_booking;
    CostTab* m_receipts;
    CostTab* m_payments;
    ProfitTab* m_profit;
    QLineEdit* m_load;
};

} // namespace velmora
