#include "frmaccount.h"

#include "accounts.h"
#include "mail/mailsettings.h"

#include <QComboBox>
#include <QLineEdit>

namespace velmora {

frmaccount::frmaccount(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : AddressScreen(Role::Account, std::move(db), dialogs, parent)
{
    setObjectName(QStringLiteral("frmaccount"));
    onLeave(m_nickname, [this] {
        if (m_nickname->text().isEmpty())
            m_nickname->setText(QStringLiteral(" "));
    });
}

void frmaccount::opening()
{
    m_currentId = 0;
    account_data();
}

void frmaccount::account_data() { load_account_list(); }

bool frmaccount::load_account_list()
{
    clearList(m_list);
    QString error;
    const auto accounts = listAccounts(m_db, &error);
    if (!accounts) {
        tell(error);
        return false;
    }
    if (accounts->isEmpty()) {
        tell(tr("No accounts currently created"));
        return false;
    }
    for (const AccountRecord& account : *accounts)
        m_list->addItem(accountEntry(account));
    m_list->setCurrentIndex(-1);
    return true;
}

void frmaccount::clear_address_fields()
{
    m_name->clear();
    m_nickname->clear();
    m_invoiceEmail->clear();
    clearAddress();
}

bool frmaccount::validate_address()
{
    if (m_name->text().isEmpty() && m_list->currentText().isEmpty())
        m_name->setText(QStringLiteral(" "));
    const QString email = m_invoiceEmail->text().trimmed();
    if (!email.isEmpty() && !isMailAddress(email)) {
        tell(tr("The e-mail address for invoices is not an e-mail address"));
        moveFocus(m_invoiceEmail);
        return false;
    }
    return filled(m_addr1, tr("First line of address must be supplied")) &&
           filled(m_town, tr("A town must be supplied")) &&
           filled(m_county, tr("A county must be supplied"));
}

void frmaccount::entryPicked()
{
    const QString entry = m_list->currentText();
    if (entry.isEmpty()) {
        tell(tr("An account name must be selected or input"));
        moveFocus(m_list);
        return;
    }
    m_currentId = accountIdOfEntry(entry);
    if (m_currentId > 0) {
        QString error;
        const auto account = findAccountById(m_db, m_currentId, &error);
        if (!account) {
            tell(error.isEmpty() ? tr("The selected record can not be found, please resubmit")
                                 : error);
            return;
        }
        clear_address_fields();
        m_name->setText(account->name.value_or(QString()));
        showAccount(*account);
    }
    moveFocus(m_contact);
}

void frmaccount::nameLeft()
{
    if (m_name->text().isEmpty())
        tell(tr("Please input or select an account name"));
    else
        moveFocus(m_contact);
}

void frmaccount::contactLeft()
{
    m_currentId = 0;
    QString error;
    const auto account = findAccount(m_db, m_name->text(), m_contact->currentText(), &error);
    if (!account) {
        tell(error.isEmpty() ? tr("New account details") : error);
        return;
    }
    m_currentId = account->id;
    showAccount(*account);
}

void frmaccount::showAccount(const AccountRecord& account)
{
    m_currentVersion = account.version;
    copyText(m_nickname, account.nickname);
    copyText(m_invoiceEmail, account.invoiceEmail);
    copyText(m_contact, account.contact);
    showAddress(account.address);
    shown();
}

std::optional<qint64> frmaccount::write(QString* error, bool* changedElsewhere)
{
    return saveAccount(m_db,
                       {.id = m_currentId,
                        .name = m_name->text(),
                        .contact = m_contact->currentText(),
                        .nickname = m_nickname->text(),
                        .address = address(),
                        .invoiceEmail = m_invoiceEmail->text(),
                        .version = m_currentVersion},
                       error, changedElsewhere);
}

void frmaccount::reload()
{
    QString error;
    const auto account = findAccountById(m_db, m_currentId, &error);
    if (!account) {
        tell(error.isEmpty() ? tr("The selected record can not be found, please resubmit") : error);
        return;
    }
    clear_address_fields();
    m_name->setText(account->name.value_or(QString()));
    showAccount(*account);
}

void frmaccount::clearScreen()
{
    clear_address_fields();
    clearList(m_list);
    clearList(m_contact);
    m_currentId = 0;
    account_data();
}

} // namespace velmora
