#include "frmdriver.h"

#include "data/dates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace velmora {

namespace {

QString shownDate(QDate date) { return date.isValid() ? ukDate(date) : QString(); }

QDate typedDate(const QLineEdit* field) { return parseUkDate(field->text()).value_or(QDate()); }

} // namespace

frmdriver::frmdriver(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : AddressScreen(Role::Driver, std::move(db), dialogs, parent)
{
    setObjectName(QStringLiteral("frmdriver"));
    onLeave(m_percentage, [this] { percentageChecked(); });
}

void frmdriver::opening()
{
    load_driver_list();
    m_currentId = 0;
    if (m_preset == 0)
        return;
    QString error;
    const auto driver = driverById(m_db, m_preset, &error);
    if (!driver) {
        if (!error.isEmpty())
            tell(error);
        return;
    }
    m_name->setText(driver->name.value_or(QString()));
    showDriver(*driver);
}

bool frmdriver::load_driver_list()
{
    clearList(m_list);
    QString error;
    const auto drivers = listDrivers(m_db, &error);
    if (!drivers) {
        tell(error);
        return false;
    }
    for (const DriverRecord& driver : *drivers)
        m_list->addItem(driverEntry(driver));
    m_list->setCurrentIndex(-1);
    return !drivers->isEmpty();
}

void frmdriver::entryPicked()
{
    const QString entry = m_list->currentText();
    if (entry.isEmpty()) {
        tell(tr("An account name must be selected or input"));
        moveFocus(m_list);
        return;
    }
    const DriverEntry parts = splitDriverEntry(entry);
    m_name->setText(parts.name);
    if (parts.contact.isEmpty()) {
        moveFocus(m_contact);
        return;
    }
    m_contact->setEditText(parts.contact);
    lookUp();
}

void frmdriver::nameLeft()
{
    if (!m_list->currentText().isEmpty())
        return;
    if (!filled(m_name, tr("A name must be supplied")))
        return;
    QString error;
    const auto contacts = driverContacts(m_db, m_name->text(), &error);
    if (!contacts) {
        tell(error);
        return;
    }
    if (contacts->isEmpty()) {
        tell(tr("No contact recorded for this driver"));
        moveFocus(m_contact);
        return;
    }
    const QString typed = m_contact->currentText();
    m_contact->clear();
    for (const Text& contact : *contacts) {
        if (contact)
            m_contact->addItem(*contact);
    }
    m_contact->setCurrentIndex(-1);
    m_contact->setEditText(typed);
    if (contacts->size() == 1) {
        m_contact->setEditText(contacts->first().value_or(QString()));
        lookUp();
    }
}

void frmdriver::lookUp()
{
    m_currentId = 0;
    QString error;
    const auto driver = findDriver(m_db, m_name->text(), m_contact->currentText(), &error);
    if (!driver) {
        tell(error.isEmpty() ? tr("New Driver Details") : error);
        return;
    }
    showDriver(*driver);
}

void frmdriver::showDriver(const DriverRecord& driver)
{
    m_currentId = driver.id;
    m_currentVersion = driver.version;
    showAddress(driver.address);
    copyText(m_licence, driver.licence);
    copyText(m_contact, driver.contact);
    m_percentage->setText(QString::number(driver.percentage));
    m_selfEmployed->setChecked(driver.selfEmployed);
    m_barred->setChecked(driver.barred);
    m_badgeExpiry->setText(shownDate(driver.badgeExpiry));
    m_licenceExpiry->setText(shownDate(driver.licenceExpiry));
    m_dbsExpiry->setText(shownDate(driver.dbsExpiry));
    shown();
}

bool frmdriver::percentageChecked()
{
    if (percentageFits(m_percentage->text()))
        return true;
    tell(tr("Invalid percentage value, valid values are 0 through 99"));
    moveFocus(m_percentage);
    return false;
}

bool frmdriver::dateChecked(QLineEdit* field, const QString& caption)
{
    if (field->text().trimmed().isEmpty() || parseUkDate(field->text()))
        return true;
    tell(tr("%1 is not a date: enter it as dd/mm/yyyy").arg(caption));
    moveFocus(field);
    return false;
}

bool frmdriver::validate()
{
    if (m_name->text().isEmpty() && m_list->currentText().isEmpty()) {
        tell(tr("A name must be supplied"));
        moveFocus(m_name);
        return false;
    }
    return filled(m_addr1, tr("First line of address must be supplied")) &&
           filled(m_town, tr("A town must be supplied")) &&
           filled(m_county, tr("A county must be supplied")) &&
           filled(m_licence, tr("You have not input a licenece / badge number")) &&
           percentageChecked() && dateChecked(m_badgeExpiry, tr("The badge expiry")) &&
           dateChecked(m_licenceExpiry, tr("The driving licence expiry")) &&
           dateChecked(m_dbsExpiry, tr("The DBS check expiry"));
}

std::optional<qint64> frmdriver::write(QString* error, bool* changedElsewhere)
{
    return saveDriver(m_db,
                      {.id = m_currentId,
                       .name = m_name->text(),
                       .contact = m_contact->currentText(),
                       .licence = m_licence->text(),
                       .selfEmployed = m_selfEmployed->isChecked(),
                       .barred = m_barred->isChecked(),
                       .percentage = storedPercentage(m_percentage->text()),
                       .address = address(),
                       .badgeExpiry = typedDate(m_badgeExpiry),
                       .licenceExpiry = typedDate(m_licenceExpiry),
                       .dbsExpiry = typedDate(m_dbsExpiry),
                       .version = m_currentVersion},
                      error, changedElsewhere);
}

void frmdriver::reload()
{
    QString error;
    const auto driver = driverById(m_db, m_currentId, &error);
    if (!driver) {
        tell(error.isEmpty() ? tr("The selected record can not be found, please resubmit") : error);
        return;
    }
    clearDriverFields();
    m_name->setText(driver->name.value_or(QString()));
    showDriver(*driver);
}

void frmdriver::clearDriverFields()
{
    m_name->clear();
    clearList(m_contact);
    m_licence->clear();
    clearAddress();
    m_selfEmployed->setChecked(false);
    m_barred->setChecked(false);
    for (QLineEdit* date : {m_badgeExpiry, m_licenceExpiry, m_dbsExpiry})
        date->clear();
}

void frmdriver::afterSave()
{
    clearDriverFields();
    m_percentage->clear();
    m_currentId = 0;
    load_driver_list();
}

void frmdriver::clearScreen()
{
    clearDriverFields();
    clearList(m_list);
    m_currentId = 0;
}

} // namespace velmora
