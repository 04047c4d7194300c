#pragma once

#include "addressrecord.h"
#include "platform/fieldsnapshot.h"
#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace velmora {

class Dialogs;
class FieldEvents;

// The "Address Details" layout and save pattern that the account and driver screens
// share: a drop-down of existing records (`txtacc_name1`), the record's name and contact,
// the entries of its role, the one address row the record owns (its second and third
// lines crossed over in storage), the entry-order guards of the address, "&Clear Address"
// (`Command1`), "&Save" (`mnusave`) and "&Exit" (`mnuexit`). A role supplies its opening
// steps, list, look-ups, checks and the write of record and address.
class AddressScreen : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    // The record being edited; 0 while the screen holds a new one.
    qint64 currentId() const { return m_currentId; }

protected:
    enum class Role { Account, Driver };

    AddressScreen(Role role, QSqlDatabase db, Dialogs& dialogs, QWidget* parent);

    // An entry was picked in the list.
    virtual void entryPicked() = 0;
    // The focus left the name or the contact field.
    virtual void nameLeft() = 0;
    virtual void contactLeft() = 0;
    // The checks before saving: false after showing the first failure.
    virtual bool validate() = 0;
    // Writes record and address; the record's id, or nullopt with the reason in *error and
    // *changedElsewhere set when the record changed since the screen read it.
    virtual std::optional<qint64> write(QString* error, bool* changedElsewhere) = 0;
    // Shows the current record again as it is stored now.
    virtual void reload() = 0;
    // Returns the screen to a new record after a save, and on "&Clear Address".
    virtual void afterSave() = 0;
    virtual void clearScreen() = 0;

    // The screen shows a stored record (or is empty): what closing compares against.
    void shown();
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // An information box titled as the program.
    void tell(const QString& text);
    // Shows `message` and puts the focus into `field` when it is empty; true when it is not.
    bool filled(QLineEdit* field, const QString& message);
    // Moves the focus into `field` (its enter guard runs; no leave handler does).
    void moveFocus(QWidget* field);
    // Runs `handler` whenever the focus leaves `field`.
    void onLeave(QWidget* field, std::function<void()> handler);

    // The address as typed.
    Address address() const;
    // Copies each part that is not NULL into its field; NULL parts leave their field as is.
    void showAddress(const Address& address);
    // Empties the five address lines, both postcode blocks and the three phone numbers.
    void clearAddress();
    // Empties a drop-down's list and its text.
    static void clearList(QComboBox* list);
    // Puts `text` into `field` unless it is NULL.
    static void copyText(QLineEdit* field, const Text& text);
    static void copyText(QComboBox* field, const Text& text);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    qint64 m_currentId = 0;
    std::optional<qint64> m_currentVersion; // the current record's row version as shown

    QComboBox* m_list;    // txtacc_name1
    QLineEdit* m_name;    // txtacc_name
    QComboBox* m_contact; // txtcompany_name
    QLineEdit* m_nickname;
    QLineEdit* m_invoiceEmail; // accounts only
    QLineEdit* m_licence;
    QCheckBox* m_selfEmployed; // Check1
    QCheckBox* m_barred;       // Check2
    QLineEdit* m_percentage;
    QLineEdit* m_badgeExpiry; // dates, dd/mm/yyyy; drivers only
    QLineEdit* m_licenceExpiry;
    QLineEdit* m_dbsExpiry;
    QLineEdit* m_addr1;
    QLineEdit* m_addr5;  // second line, stored in address_line3
    QLineEdit* m_addr2;  // third line, stored in address_line2
    QLineEdit* m_town;   // txtaddr3
    QLineEdit* m_county; // txtaddr4
    QLineEdit* m_postcode1;
    QLineEdit* m_postcode2;
    QLineEdit* m_phone1;
    QLineEdit* m_phone2;
    QLineEdit* m_phone3;

private:
    void buildLayout(Role role);
    // Limits every field to its column's width.
    void fitColumns(Role role);
    void addGuards();
    bool save();
    // Each address field with the part of Address it holds.
    QList<std::pair<QLineEdit*, Text Address::*>> addressFields() const;

    FieldEvents* m_events;
    Role m_role;
    FieldSnapshot m_shown;
    bool m_watching = false;
};

} // namespace velmora
