// The booking fields of the job screen: their lists, what they hold, and showing a job.
#include "bookingtab.h"
#include "data/dates.h"
#include "platform/fieldevents.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

namespace {

void setEmptyText(QComboBox* box)
{
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

} // namespace

void BookingTab::showDrivers()
{
    m_driver->clear();
    for (const JobDriver& driver : m_lists.drivers)
        m_driver->addItem(driver.name);
    m_driver->addItem(QString());
    setEmptyText(m_driver);
}

void BookingTab::showAccounts()
{
    m_accountChooser->clear();
    m_accountChooser->addItem(QString());
    for (const JobAccount& account : m_lists.accounts)
        m_accountChooser->addItem(account.chooserText());
    m_accountChooser->addItem(QString());
    m_account->clear();
}

void BookingTab::showPaymentTypes()
{
    m_paymentType->clear();
    m_paymentType->addItem(QString());
    for (const JobListEntry& type : m_lists.paymentTypes)
        m_paymentType->addItem(type.name);
    m_paymentType->addItem(QString());
    m_paymentType->setCurrentText(accountPaymentType());
}

void BookingTab::showVehicleTypes()
{
    m_vehicleType->clear();
    m_vehicleType->addItem(QString());
    for (const JobListEntry& type : m_lists.vehicleTypes)
        m_vehicleType->addItem(type.name);
    m_vehicleType->setCurrentText(tr("Saloon Car"));
}

BookingEntry BookingTab::entry() const
{
    return {m_customer->text(),
            m_date->text(),
            m_time->text(),
            m_pickup->text(),
            m_drop->text(),
            m_driver->currentText(),
            m_vehicleType->currentText(),
            m_paymentType->currentText(),
            m_account->text()};
}

JobRecord BookingTab::record(const BookingCheck& check) const
{
    return {check.date,
            check.time.value_or(QString()),
            m_customer->text(),
            m_pickup->text(),
            m_drop->text(),
            m_instructions->text(),
            m_reference->text(),
            m_costCode->text(),
            check.account,
            check.driver,
            check.paymentType,
            check.vehicleType,
            !m_account->text().isEmpty()};
}

void BookingTab::showCheck(const BookingCheck& check)
{
    if (check.emptyTime)
        m_time->clear();
    else if (check.time)
        m_time->setText(*check.time);
    if (check.focus)
        m_events.returnFocus(field(*check.focus));
}

QWidget* BookingTab::field(BookingField which) const
{
    switch (which) {
    case BookingField::Customer:
        return m_customer;
    case BookingField::Date:
        return m_date;
    case BookingField::Time:
        return m_time;
    case BookingField::Pickup:
        return m_pickup;
    case BookingField::Drop:
        return m_drop;
    case BookingField::Driver:
        return m_driver;
    case BookingField::VehicleType:
        return m_vehicleType;
    case BookingField::PaymentType:
        return m_paymentType;
    case BookingField::Account:
        return m_account->isHidden() ? static_cast<QWidget*>(m_accountChooser) : m_account;
    }
    return m_customer;
}

QString BookingTab::prefixText() const { return m_prefix->text(); }

QString BookingTab::numberText() const { return m_number->text(); }

void BookingTab::showKey(const JobKey& key)
{
    m_prefix->setText(key.prefix);
    m_number->setText(QString::number(key.number));
}

void BookingTab::showJob(const LoadedJob& job)
{
    showKey(job.key);
    m_customer->setText(job.passenger);
    m_date->setText(ukDate(job.date));
    m_time->setText(job.time);
    if (job.driver)
        m_driver->setCurrentText(*job.driver);
    if (job.from)
        m_pickup->setText(*job.from);
    if (job.to)
        m_drop->setText(*job.to);
    if (job.instructions)
        m_instructions->setText(*job.instructions);
    if (job.paymentType)
        m_paymentType->setCurrentText(*job.paymentType);
    if (job.accountName) {
        m_account->setText(JobAccount{job.accountId, *job.accountName, {}, {}}.shownText());
        m_account->show();
        if (job.costCode)
            m_costCode->setText(*job.costCode);
        if (job.accountReference)
            m_reference->setText(*job.accountReference);
    }
    if (job.vehicleType)
        m_vehicleType->setCurrentText(*job.vehicleType);
    m_invoice->setText(job.invoice ? tr("Invoice %1").arg(*job.invoice) : QString());
}

void BookingTab::markSaved() { m_saved.take(); }

bool BookingTab::edited() const { return m_saved.differs(); }

void BookingTab::clear()
{
    for (QLineEdit* edit : {m_number, m_customer, m_prefix, m_date, m_time, m_pickup, m_drop,
                            m_instructions, m_account, m_reference, m_costCode})
        edit->clear();
    m_invoice->clear();
    setEmptyText(m_driver);
    m_accountChooser->setCurrentIndex(0);
    m_vehicleType->setCurrentText(tr("Saloon Car"));
    m_paymentType->setCurrentText(accountPaymentType());
    m_account->hide();
    for (QWidget* widget : std::as_const(m_accountWidgets))
        widget->show();
    m_add->show();
    m_update->hide();
    m_events.returnFocus(m_customer);
}

} // namespace velmora
