#pragma once

#include "bookingcheck.h"
#include "jobrecord.h"
#include "platform/fieldsnapshot.h"

#include <QWidget>

class QCalendarWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class Dialogs;
class FieldEvents;
class SearchPanel;

// The "Booking" tab of the job screen: the job's own fields, the calendar, the buttons
// and, laid over them when asked for, the search panel. The fields look after
// themselves; the screen does the work the buttons ask for.
class BookingTab final : public QWidget
{
    Q_OBJECT

public:
    BookingTab(const JobLists& lists, SearchPanel* search, Dialogs& dialogs, FieldEvents& events,
               QWidget* parent = nullptr);

    // Fill the drop-down lists from the screen's lists: drivers (then an empty entry, the
    // field left empty), accounts (between two empty entries), payment types (between two
    // empty entries, "Account" chosen) and vehicle types (after an empty entry, "Saloon
    // Car" chosen).
    void showDrivers();
    void showAccounts();
    void showPaymentTypes();
    void showVehicleTypes();

    BookingEntry entry() const;
    // The job to write: the fields as they stand with what the check resolved.
    JobRecord record(const BookingCheck& check) const;
    // Shows the time as the check left it and moves the focus where it says.
    void showCheck(const BookingCheck& check);

    QString prefixText() const;
    QString numberText() const;
    void showKey(const JobKey& key);
    // Fills the fields from a loaded job; missing names leave their fields as they are.
    void showJob(const LoadedJob& job);
    // Empties the booking, chooses the default vehicle and payment types (so shows the
    // account fields), shows Add New, hides Update and puts the focus on the customer.
    void clear();
    void setUpdateVisible(bool visible);
    void focusPrefix();
    // Puts the cursor in the customer's field, where booking starts.
    void focusCustomer();
    void focusNumber();
    // Hides the search panel and shows the Clear button again.
    void closeSearch();
    // Remembers the booking as stored (or as emptied); edited() tells whether any field
    // but the job prefix and number was changed since.
    void markSaved();
    bool edited() const;

Q_SIGNALS:
    void addRequested();
    void updateRequested();
    void selectRequested();
    void clearRequested();
    void exitRequested();
    // The job number field was left holding `number` (0 when empty).
    void numberLeft(qint64 number);
    // The operator changed the job prefix or number field.
    void keyEdited();

private:
    void build(SearchPanel* search);
    void watchFields();
    QWidget* field(BookingField which) const;
    void paymentTypeChosen(bool left);
    void accountChosen(int index);
    void accountLeft();
    void openCalendar();
    void dayChosen();
    void openSearch();

    const JobLists& m_lists;
    Dialogs& m_dialogs;
    FieldEvents& m_events;
    QLineEdit* m_prefix;
    QLineEdit* m_number;
    QLineEdit* m_customer;
    QLineEdit* m_date;
    QLineEdit* m_time;
    QComboBox* m_driver;
    QLineEdit* m_pickup;
    QLineEdit* m_drop;
    QLineEdit* m_instructions;
    QComboBox* m_vehicleType;
    QComboBox* m_paymentType;
    QComboBox* m_accountChooser;
    QLineEdit* m_account;
    QLineEdit* m_costCode;
    QLineEdit* m_reference;
    QList<QWidget*> m_accountWidgets; // shown only for the Account payment type
    QPushButton* m_add;
    QPushButton* m_update;
    QPushButton* m_clear;
    QLabel* m_invoice; // "Invoice N" while an invoiced job is shown
    QFrame* m_calendarFrame;
    QCalendarWidget* m_calendar;
    QWidget* m_fields; // the booking fields, hidden while the search panel is open
    SearchPanel* m_search;
    FieldSnapshot m_saved;
};

} // namespace velmora
