#pragma once

#include "accounts.h"
#include "addressscreen.h"

namespace velmora {

// Account address maintenance ("Address Details"): creates customer accounts and edits an
// account's name, contact, nickname and address. Saving adds an account with a new
// address row, or updates the current account and its address row in place.
class frmaccount final : public AddressScreen
{
    Q_OBJECT

public:
    frmaccount(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Reloads the account list; the screen keeps its account layout.
    void account_data();
    // Fills the list from the accounts; on none shows "No accounts currently created".
    // True when the list holds accounts.
    bool load_account_list();
    // Empties the name, the nickname and every address field.
    void clear_address_fields();
    // The checks before saving; an empty name with nothing picked becomes a single space.
    // False after showing the first failure with the focus on its field.
    bool validate_address();

protected:
    void opening() override;
    void entryPicked() override;
    void nameLeft() override;
    void contactLeft() override;
    bool validate() override { return validate_address(); }
    std::optional<qint64> write(QString* error, bool* changedElsewhere) override;
    void reload() override;
    void afterSave() override { clearScreen(); }
    void clearScreen() override;

private:
    // Puts an account's nickname, contact and address into the fields (NULLs leave them).
    void showAccount(const AccountRecord& account);
};

} // namespace velmora
