#pragma once

#include "addressscreen.h"
#include "drivers.h"

namespace velmora {

// Driver address maintenance ("Address Details"): the account screen's layout and save
// pattern for drivers, with the licence, self-employed, barred and percentage entries.
// Drivers are found by name and contact; a typed name fills the contact drop-down with
// the contacts known for it.
class frmdriver final : public AddressScreen
{
    Q_OBJECT

public:
    frmdriver(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills the list with "name : contact" of every driver; no message when there is none.
    bool load_driver_list();
    // The driver the screen shows once it opens.
    void presetDriver(qint64 id) { m_preset = id; }

protected:
    void opening() override;
    void entryPicked() override;
    void nameLeft() override;
    void contactLeft() override { lookUp(); }
    bool validate() override;
    std::optional<qint64> write(QString* error, bool* changedElsewhere) override;
    void reload() override;
    void afterSave() override;
    void clearScreen() override;

private:
    // Finds the driver by name and contact and fills the screen from it.
    void lookUp();
    void showDriver(const DriverRecord& driver);
    bool percentageChecked();
    // True when `field` is empty or holds a date; otherwise says so naming `caption`.
    bool dateChecked(QLineEdit* field, const QString& caption);
    // Empties the name, contact, licence and address fields and unticks both boxes.
    void clearDriverFields();

    qint64 m_preset = 0;
};

} // namespace velmora
