#pragma once

#include "company.h"
#include "data/vatrate.h"
#include "mail/mailsettings.h"
#include "platform/fieldsnapshot.h"
#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QLineEdit;

namespace velmora {

class CompanyTermsGroup;
class Dialogs;
class FieldEvents;
class KeyStore;
class MailSettingsGroup;

// The company's own details ("Record Company Details"): name, heading, address, telephone
// numbers, e-mail, company registration and VAT registration numbers. "&Save" writes the
// one company row (adding it when there is none) and closes the screen; "&Exit" closes
// without saving. Leaving the name, address, town, county or postcode fields empty says so.
// The VAT rate and the day it applies from are kept with the details: jobs picked up
// before that day keep the rate it replaced, and beside them what invoices carry (payment
// terms, bank details and a footer) and the e-mail settings, the mail server's password in
// `keys`.
class frmcompany final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmcompany(QSqlDatabase db, Dialogs& dialogs, KeyStore& keys, QWidget* parent = nullptr);

private:
    void buildLayout();
    void opening() override;
    bool save();
    // The e-mail settings to keep (none when the group is empty); false after saying
    // what is wrong.
    bool typedMail(std::optional<MailSettings>* settings);
    void closeEvent(QCloseEvent* event) override;
    // The VAT rates the two rate fields ask for; nullopt after saying what is wrong.
    std::optional<VatRates> typedVatRates();
    // Shows `message` when `field` is left empty; `keep` puts the focus back into it.
    void checkOnLeave(QLineEdit* field, const QString& message, bool keep);
    // Each field with the detail it holds.
    QList<std::pair<QLineEdit*, QString CompanyDetails::*>> fields() const;

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    KeyStore& m_keys;
    FieldEvents* m_events;
    FieldSnapshot m_shown; // the fields as stored
    QLineEdit* m_company;
    QLineEdit* m_heading;
    QLineEdit* m_addr1;
    QLineEdit* m_addr2;
    QLineEdit* m_town;
    QLineEdit* m_county;
    QLineEdit* m_postcode1;
    QLineEdit* m_postcode2;
    QLineEdit* m_tel1;
    QLineEdit* m_tel2;
    QLineEdit* m_tel3;
    QLineEdit* m_tel4;
    QLineEdit* m_email;
    QLineEdit* m_companyNumber;
    QLineEdit* m_vatNumber;
    QLineEdit* m_vatRate;
    QLineEdit* m_vatFrom;
    QLineEdit* m_warningDays; // days ahead that expiring documents are shown
    CompanyTermsGroup* m_terms;
    MailSettingsGroup* m_mail;
    VatRates m_vatRates; // as stored when the screen opened
};

} // namespace velmora
