#include "addressscreen.h"

#include "data/sql.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace velmora {

namespace {

QCheckBox* tickBox(const char* name, const QString& caption, const QString& tip)
{
    return named(new QCheckBox(caption), name, tip);
}

} // namespace

AddressScreen::AddressScreen(Role role, QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_list(dropDown("txtacc_name1", tr("Select name or enter new name"))),
      m_name(lineEdit("txtacc_name")), m_contact(dropDown("txtcompany_name")),
      m_nickname(lineEdit("txtnickname")),
      m_invoiceEmail(lineEdit("txtinvoice_email", tr("Where the account's invoices are "
                                                     "e-mailed; empty to print them"))),
      m_licence(lineEdit("txtlicence")),
      m_selfEmployed(tickBox("Check1", tr("Self E&mployed"), tr("Click if self-employed"))),
      m_barred(tickBox("Check2", tr("&Barred"), tr("Click if driver barred"))),
      m_percentage(lineEdit("txtpercentage")),
      m_badgeExpiry(dateField(lineEdit("txtbadge_expiry"))),
      m_licenceExpiry(dateField(lineEdit("txtlicence_expiry"))),
      m_dbsExpiry(dateField(lineEdit("txtdbs_expiry"))), m_addr1(lineEdit("txtaddr1")),
      m_addr5(lineEdit("txtaddr5")), m_addr2(lineEdit("txtaddr2")), m_town(lineEdit("txtaddr3")),
      m_county(lineEdit("txtaddr4")), m_postcode1(lineEdit("txtpostcode1")),
      m_postcode2(lineEdit("txtpostcode2")), m_phone1(lineEdit("txtphone1")),
      m_phone2(lineEdit("txtphone2")), m_phone3(lineEdit("txtphone3")),
      m_events(new FieldEvents(this)), m_role(role), m_shown(this, {m_list})
{
    setWindowTitle(tr("Address Details"));
    connect(addEntry(menuBar(), tr("&Save"), "mnusave"), &QAction::triggered, this,
            &AddressScreen::save);
    addExit(menuBar(), this);

    fitColumns(role);
    buildLayout(role);
    addGuards();
    connect(m_list, &QComboBox::activated, this, [this] { entryPicked(); });
    onLeave(m_name, [this] { nameLeft(); });
    onLeave(m_contact, [this] { contactLeft(); });
    m_list->setFocus();
}

void AddressScreen::buildLayout(Role role)
{
    const bool driver = role == Role::Driver;
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    int row = 0;
    const auto addRow = [grid, &row](const QString& caption, QWidget* field, bool shown = true) {
        QLabel* label = addCaptioned(grid, row++, caption, field, 3);
        if (!shown) {
            label->hide();
            field->hide();
        }
    };
    const auto addLine = [grid, &row](QWidget* field) { grid->addWidget(field, row++, 1, 1, 3); };

    addRow(driver ? tr("E&xisting Drivers") : tr("E&xisting Accounts"), m_list);
    addRow(driver ? tr("Driver &Name") : tr("Company &Name"), m_name);
    addRow(tr("C&ontact Name"), m_contact);
    addRow(tr("Nic&k Name"), m_nickname, !driver);
    addRow(tr("&E-mail for Invoices"), m_invoiceEmail, !driver);
    addRow(tr("&Licence Number"), m_licence, driver);
    grid->addWidget(m_selfEmployed, row, 1);
    grid->addWidget(m_barred, row++, 2);
    if (!driver) {
        m_selfEmployed->hide();
        m_barred->hide();
    }
    addRow(tr("&Percentage"), m_percentage, driver);
    addRow(tr("Bad&ge Expires"), m_badgeExpiry, driver);
    addRow(tr("D&riving Licence Expires"), m_licenceExpiry, driver);
    addRow(tr("DBS C&heck Expires"), m_dbsExpiry, driver);
    addRow(tr("Correspondence &Address"), m_addr1);
    addLine(m_addr5);
    addLine(m_addr2);
    addRow(tr("&Town"), m_town);
    addRow(tr("Count&y"), m_county);

    addCaptioned(grid, row, tr("Postco&de"), m_postcode1);
    grid->addWidget(m_postcode2, row++, 2, Qt::AlignLeft);
    addCaptioned(grid, row, tr("Contact N&umbers"), m_phone1);
    grid->addWidget(m_phone2, row, 2, Qt::AlignLeft);
    grid->addWidget(m_phone3, row++, 3, Qt::AlignLeft);

    auto* clear = named(new QPushButton(tr("&Clear Address")), "Command1");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear);
    grid->addLayout(buttons, row, 0, 1, 4);
    connect(clear, &QPushButton::clicked, this, [this] {
        clearScreen();
        shown();
    });
    setCentralWidget(central);

    const QList<QWidget*> order = {
        m_list,          m_name,         m_contact,   m_nickname,   m_invoiceEmail,
        m_licence,       m_selfEmployed, m_barred,    m_percentage, m_badgeExpiry,
        m_licenceExpiry, m_dbsExpiry,    m_addr1,     m_addr5,      m_addr2,
        m_town,          m_county,       m_postcode1, m_postcode2,  m_phone1,
        m_phone2,        m_phone3,       clear};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(560, 520);
}

void AddressScreen::fitColumns(Role role)
{
    const QStringView table = role == Role::Driver ? u"drivers" : u"accounts";
    fitColumn(m_name, table, role == Role::Driver ? u"driver_name" : u"account_name");
    fitColumn(m_contact, table, u"contact_name");
    fitColumn(m_nickname, u"accounts", u"nickname");
    fitColumn(m_invoiceEmail, u"accounts", u"invoice_email");
    fitColumn(m_licence, u"drivers", u"licence_number");
    fitWidth(m_percentage, 3);
    for (QLineEdit* date : {m_badgeExpiry, m_licenceExpiry, m_dbsExpiry})
        fitWidth(date, 10);
    const QStringList columns = columnNames(kAddressColumns);
    qsizetype at = 0;
    for (QLineEdit* field : {m_addr1, m_addr2, m_addr5, m_town, m_county, m_postcode1, m_postcode2,
                             m_phone1, m_phone2, m_phone3})
        fitColumn(field, u"addresses", columns.at(at++));
}

void AddressScreen::addGuards()
{
    // Each address field may be entered only once the field before it is filled.
    const auto guard = [this](QLineEdit* field, QLineEdit* before, const QString& message) {
        m_events->onEnter(field, [this, before, message] {
            if (before->text().isEmpty()) {
                tell(message);
                moveFocus(before);
            }
        });
    };
    guard(m_addr1, m_name, tr("An account name must be specified"));
    guard(m_addr5, m_addr1, tr("First line of address must be specified"));
    guard(m_county, m_town, tr("A town must be specified"));
    guard(m_postcode1, m_county, tr("A county must be specified"));
}

bool AddressScreen::save()
{
    if (!validate())
        return false;
    QString error;
    bool changedElsewhere = false;
    const auto id = write(&error, &changedElsewhere);
    if (!id && changedElsewhere) {
        if (m_dialogs.question(this, error + tr("\n\nShow it as it is now?")) ==
            Dialogs::Answer::Yes)
            reload();
        return false;
    }
    if (!id) {
        tell(error);
        return false;
    }
    afterSave();
    shown();
    showStatus(this,
               (m_role == Role::Driver ? tr("Driver %1 saved") : tr("Account %1 saved")).arg(*id));
    return true;
}

void AddressScreen::shown() { m_shown.take(); }

void AddressScreen::showEvent(QShowEvent* event)
{
    OpeningScreen::showEvent(event);
    // The first showing ran the opening steps: what they left is the empty screen.
    if (!m_watching) {
        m_watching = true;
        shown();
    }
}

void AddressScreen::closeEvent(QCloseEvent* event)
{
    const QString name = m_name->text().isEmpty() ? m_list->currentText() : m_name->text();
    const QString question = m_role == Role::Driver
                                 ? tr("Save the changes to driver %1?").arg(name)
                                 : tr("Save the changes to account %1?").arg(name);
    if (!mayLeave(m_dialogs, this, m_shown.differs(), question, [this] { return save(); })) {
        event->ignore();
        return;
    }
    OpeningScreen::closeEvent(event);
}

void AddressScreen::tell(const QString& text) { m_dialogs.information(this, text); }

bool AddressScreen::filled(QLineEdit* field, const QString& message)
{
    if (!field->text().isEmpty())
        return true;
    tell(message);
    moveFocus(field);
    return false;
}

void AddressScreen::moveFocus(QWidget* field) { m_events->returnFocus(field); }

void AddressScreen::onLeave(QWidget* field, std::function<void()> handler)
{
    m_events->onLeave(field, std::move(handler));
}

QList<std::pair<QLineEdit*, Text Address::*>> AddressScreen::addressFields() const
{
    return {{m_addr1, &Address::line1},         {m_addr5, &Address::line3},
            {m_addr2, &Address::line2},         {m_town, &Address::town},
            {m_county, &Address::county},       {m_postcode1, &Address::postcode1},
            {m_postcode2, &Address::postcode2}, {m_phone1, &Address::phone1},
            {m_phone2, &Address::phone2},       {m_phone3, &Address::phone3}};
}

Address AddressScreen::address() const
{
    Address address;
    for (const auto& [field, part] : addressFields())
        address.*part = field->text();
    return address;
}

void AddressScreen::showAddress(const Address& address)
{
    for (const auto& [field, part] : addressFields())
        copyText(field, address.*part);
}

void AddressScreen::clearAddress()
{
    for (const auto& [field, part] : addressFields())
        field->clear();
}

void AddressScreen::clearList(QComboBox* list)
{
    list->clear();
    list->clearEditText();
}

void AddressScreen::copyText(QLineEdit* field, const Text& text)
{
    if (text)
        field->setText(*text);
}

void AddressScreen::copyText(QComboBox* field, const Text& text)
{
    if (text)
        field->setEditText(*text);
}

} // namespace velmora
