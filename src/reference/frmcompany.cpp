#include "frmcompany.h"

#include "companytermsgroup.h"
#include "data/dates.h"
#include "data/expiry.h"
#include "mail/keystore.h"
#include "mailsettingsgroup.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

frmcompany::frmcompany(QSqlDatabase db, Dialogs& dialogs, KeyStore& keys, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs), m_keys(keys),
      m_events(new FieldEvents(this)), m_shown(this),
      m_company(lineEdit("txtcompany", tr("Enter the name of the company."))),
      m_heading(lineEdit("txtco_heading", tr("E.g Chauffeur Service"))),
      m_addr1(lineEdit("txtaddr1", tr("Enter first line of address."))),
      m_addr2(lineEdit("txtaddr2", tr("Enter second line of address."))),
      m_town(lineEdit("txttown", tr("Enter town."))),
      m_county(lineEdit("txtcounty", tr("Enter county."))),
      m_postcode1(lineEdit("txtpostcode1", tr("Enter first part of postcode."))),
      m_postcode2(lineEdit("txtpostcode2", tr("Enter second part of postcode."))),
      m_tel1(lineEdit("txttel1", tr("Enter telephone number."))),
      m_tel2(lineEdit("txttel2", tr("Enter mobile number."))),
      m_tel3(lineEdit("txttel3", tr("Enter Fax number."))),
      m_tel4(lineEdit("txttel4", tr("Enter Fax number."))),
      m_email(lineEdit("txtemail", tr("Enter Fax number."))),
      m_companyNumber(lineEdit("txtcompany_number",
                               tr("Enter the companies registration number if applicable."))),
      m_vatNumber(lineEdit("txtreg_number",
                           tr("Enter the companys vat registration number if applicable."))),
      m_vatRate(lineEdit("txtvat_rate", tr("The VAT rate in per cent, e.g. 17.5"))),
      m_vatFrom(lineEdit("txtvat_from", tr("The day the VAT rate applies from (dd/mm/yyyy); "
                                           "jobs before it keep the rate it replaces"))),
      m_warningDays(lineEdit("txtwarning_days",
                             tr("How many days ahead Expiring Documents shows a document"))),
      m_terms(new CompanyTermsGroup), m_mail(new MailSettingsGroup)
{
    setObjectName(QStringLiteral("frmcompany"));
    setWindowTitle(tr("Record Company Details"));

    connect(addEntry(menuBar(), tr("&Save"), "mnusave"), &QAction::triggered, this,
            &frmcompany::save);
    addExit(menuBar(), this);

    for (const auto& [edit, member] : fields()) {
        for (const auto& [column, stored] : kCompanyColumns) {
            if (stored == member)
                fitColumn(edit, u"company", QString::fromLatin1(column));
        }
    }
    buildLayout();
    checkOnLeave(m_company, tr("You must supply the company name"), true);
    checkOnLeave(m_addr1, tr("First line of address must be supplied"), true);
    checkOnLeave(m_town, tr("You must supply the town"), false);
    checkOnLeave(m_county, tr("You must supply a county"), true);
    checkOnLeave(m_postcode1, tr("You must supply a postcode"), true);
    checkOnLeave(m_postcode2, tr("You must supply a postcode"), true);
    m_company->setFocus();
}

void frmcompany::buildLayout()
{
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    int row = 0;
    const auto addRow = [grid, &row](const QString& caption, QLineEdit* edit,
                                     QLineEdit* second = nullptr) {
        const int columns = second ? 1 : 2;
        if (caption.isEmpty())
            grid->addWidget(edit, row, 1, 1, columns);
        else
            addCaptioned(grid, row, caption, edit, columns);
        if (second)
            grid->addWidget(second, row, 2, Qt::AlignLeft);
        ++row;
    };
    addRow(tr("Company &Name"), m_company);
    addRow(tr("Company &Heading"), m_heading);
    addRow(tr("&Address"), m_addr1);
    addRow({}, m_addr2);
    addRow(tr("&Town"), m_town);
    addRow(tr("Count&y"), m_county);
    addRow(tr("&Postcode"), m_postcode1, m_postcode2);
    addRow(tr("Te&lephone"), m_tel1);
    addRow(tr("&Mobile 1"), m_tel2);
    addRow(tr("&Fax"), m_tel3);
    addRow(tr("M&obile 2"), m_tel4);
    addRow(tr("E-Ma&il Address"), m_email);
    addRow(tr("&Company Registration Number"), m_companyNumber);
    addRow(tr("&VAT Registration Number"), m_vatNumber);
    addRow(tr("VAT &Rate %"), m_vatRate);
    addRow(tr("VAT Rate From &Day"), m_vatFrom);
    addRow(tr("E&xpiry Warning Days"), m_warningDays);
    m_vatRate->setMaxLength(8);
    m_vatFrom->setMaxLength(10);
    fitWidth(m_warningDays, 3);

    // The font of the screen cannot be changed; the button is kept where operators know it.
    auto* font = named(new QPushButton(tr("C&hange Font")), "Command1");
    font->setEnabled(false);
    grid->addWidget(font, row, 2);
    auto* beside = new QVBoxLayout;
    beside->addWidget(m_terms);
    beside->addWidget(m_mail);
    beside->addStretch(1);
    grid->addLayout(beside, 0, 3, row + 1, 1);
    setCentralWidget(central);

    QWidget* previous = nullptr;
    for (const auto& [edit, member] : fields()) {
        if (previous)
            setTabOrder(previous, edit);
        previous = edit;
    }
    setTabOrder(previous, m_vatRate);
    setTabOrder(m_vatRate, m_vatFrom);
    setTabOrder(m_vatFrom, m_warningDays);
    setTabOrder(m_warningDays, m_terms->first());
    previous = m_terms->last();
    for (QWidget* field : m_mail->fields()) {
        setTabOrder(previous, field);
        previous = field;
    }
}

QList<std::pair<QLineEdit*, QString CompanyDetails::*>> frmcompany::fields() const
{
    return {{m_company, &CompanyDetails::name},
            {m_heading, &CompanyDetails::heading},
            {m_addr1, &CompanyDetails::addr1},
            {m_addr2, &CompanyDetails::addr2},
            {m_town, &CompanyDetails::town},
            {m_county, &CompanyDetails::county},
            {m_postcode1, &CompanyDetails::postcode1},
            {m_postcode2, &CompanyDetails::postcode2},
            {m_tel1, &CompanyDetails::telephone},
            {m_tel2, &CompanyDetails::mobile1},
            {m_tel3, &CompanyDetails::fax},
            {m_tel4, &CompanyDetails::mobile2},
            {m_email, &CompanyDetails::email},
            {m_companyNumber, &CompanyDetails::registration},
            {m_vatNumber, &CompanyDetails::vat}};
}

void frmcompany::opening()
{
    QString error;
    const auto details = loadCompany(m_db, &error);
    if (!error.isEmpty())
        m_dialogs.information(this, error);
    const auto rates = readVatRates(m_db, &error);
    if (!rates)
        m_dialogs.information(this, error);
    m_vatRates = rates.value_or(VatRates{});
    const auto terms = loadCompanyTerms(m_db, &error);
    if (!terms)
        m_dialogs.information(this, error);
    m_terms->setTerms(terms.value_or(CompanyTerms{}));
    m_vatRate->setText(vatRateText(m_vatRates.rate));
    m_vatFrom->setText(m_vatRates.from.isValid() ? ukDate(m_vatRates.from) : QString());
    const auto horizon = expiryHorizon(m_db, &error);
    if (!horizon)
        m_dialogs.information(this, error);
    m_warningDays->setText(QString::number(horizon.value_or(30)));
    if (details) {
        for (const auto& [edit, member] : fields())
            edit->setText((*details).*member);
    }
    if (const auto mail = readMailSettings(m_db, &error))
        m_mail->display(*mail);
    m_shown.take();
}

void frmcompany::closeEvent(QCloseEvent* event)
{
    if (!mayLeave(m_dialogs, this, m_shown.differs(), tr("Save the company details?"),
                  [this] { return save(); })) {
        event->ignore();
        return;
    }
    OpeningScreen::closeEvent(event);
}

std::optional<VatRates> frmcompany::typedVatRates()
{
    const auto rate = parseVatRate(m_vatRate->text());
    if (!rate) {
        m_dialogs.information(this, tr("The VAT rate must be a percentage from 0 to below 100, "
                                       "e.g. 17.5"));
        m_vatRate->setFocus();
        return std::nullopt;
    }
    const QString fromText = m_vatFrom->text().trimmed();
    const auto from = fromText.isEmpty() ? std::optional<QDate>(QDate()) : parseUkDate(fromText);
    if (!from) {
        m_dialogs.information(this, tr("The day the VAT rate applies from must be a date "
                                       "(dd/mm/yyyy), or empty when it has always applied"));
        m_vatFrom->setFocus();
        return std::nullopt;
    }
    return m_vatRates.withRate(*rate, *from);
}

void frmcompany::checkOnLeave(QLineEdit* edit, const QString& message, bool keep)
{
    m_events->onLeave(edit, [this, edit, message, keep] {
        if (!edit->text().isEmpty())
            return;
        m_dialogs.information(this, message);
        if (keep)
            m_events->returnFocus(edit);
    });
}

bool frmcompany::typedMail(std::optional<MailSettings>* settings)
{
    if (m_mail->isEmpty())
        return true;
    *settings = m_mail->typed();
    const QString fault = mailSettingsFault(**settings);
    if (fault.isEmpty())
        return true;
    m_dialogs.information(this, fault);
    m_mail->fields().constFirst()->setFocus();
    return false;
}

bool frmcompany::save()
{
    const auto rates = typedVatRates();
    std::optional<MailSettings> mail;
    if (!rates || !typedMail(&mail))
        return false;
    bool whole = false;
    const int days = m_warningDays->text().trimmed().toInt(&whole);
    if (!whole || days < 0 || days > kLongestHorizon) {
        m_dialogs.information(
            this, tr("The warning days must be a whole number from 0 to %1").arg(kLongestHorizon));
        m_warningDays->setFocus();
        return false;
    }
    QString error;
    const auto terms = m_terms->typed(&error);
    if (!terms) {
        m_dialogs.information(this, error);
        return false;
    }
    CompanyDetails details;
    for (const auto& [edit, member] : fields())
        details.*member = edit->text();
    if (!saveCompany(m_db, details, *rates, *terms, &error, [this, &mail, days](QString* reason) {
            return (!mail || writeMailSettings(m_db, *mail, reason)) &&
                   saveExpiryHorizon(m_db, days, reason);
        })) {
        m_dialogs.information(this, error);
        return false;
    }
    if (mail && !m_mail->password().isEmpty() &&
        !m_keys.write(mail->keyName(), m_mail->password(), &error)) {
        m_dialogs.information(this, tr("The details were saved, but not the mail server's "
                                       "password: %1")
                                        .arg(error));
        return false;
    }
    m_mail->clearPassword();
    m_shown.take();
    showStatus(this, tr("Company details saved"));
    close();
    return true;
}

} // namespace velmora
