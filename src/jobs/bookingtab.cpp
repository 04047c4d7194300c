#include "bookingtab.h"

#include "data/dates.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/screenparts.h"
#include "searchpanel.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace velmora {

namespace {

// A text field that takes at most `maxLength` characters.
QLineEdit* limited(const char* name, int maxLength) { return fitWidth(lineEdit(name), maxLength); }

// A text field as wide as its column of jobs.
QLineEdit* jobField(const char* name, const char* column)
{
    return fitColumn(lineEdit(name), u"jobs", QString::fromLatin1(column));
}

QComboBox* comboBox(const char* name, bool editable)
{
    auto* box = named(new QComboBox, name);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    return box;
}

QPushButton* button(const char* name, const QString& caption, const QString& tip = {})
{
    return named(new QPushButton(caption), name, tip);
}

} // namespace

BookingTab::BookingTab(const JobLists& lists, SearchPanel* search, Dialogs& dialogs,
                       FieldEvents& events, QWidget* parent)
    : QWidget(parent), m_lists(lists), m_dialogs(dialogs), m_events(events),
      m_prefix(jobField("txtjob_prefix", "job_prefix")), m_number(limited("txtjobno", 9)),
      m_customer(jobField("txtcustomer", "passenger_name")),
      m_date(dateField(limited("txtdate", 10))), m_time(limited("txttime", 8)),
      m_driver(fitColumn(comboBox("txtdriver", true), u"drivers", u"driver_name")),
      m_pickup(jobField("txtpickup", "address_from")), m_drop(jobField("txtdrop", "address_to")),
      m_instructions(jobField("txtsi", "special_instructions")),
      m_vehicleType(fitColumn(comboBox("txtvtype", true), u"vehicle_types", u"vehicledescription")),
      m_paymentType(
          fitColumn(comboBox("txtpaymtype", true), u"payment_types", u"paymentdescription")),
      m_accountChooser(comboBox("txtaccname1", false)), m_account(limited("txtaccname", 60)),
      m_costCode(jobField("txtcost_code", "costed_code")),
      m_reference(jobField("txtacc_ref", "acc_ref")), m_add(button("Command1", tr("&Add New"))),
      m_update(button("cmdupd", tr("&Update"))),
      m_clear(button("cmdclearall", tr("&Clear"),
                     tr("When pressed clears this screen and the payment / receipt screens"))),
      m_invoice(named(new QLabel, "lblinvoice")), m_calendarFrame(new QFrame),
      m_calendar(new QCalendarWidget), m_fields(new QWidget), m_search(search),
      m_saved(m_fields, {m_prefix, m_number})
{
    setObjectName(QStringLiteral("Booking"));
    m_prefix->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]?")), this));
    m_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}")), this));
    m_costCode->setToolTip(tr("If you have to quote a cost code enter it here."));
    m_reference->setToolTip(tr("If you have reference to quote enter it here."));
    m_account->hide();
    build(search);
    watchFields();
}

void BookingTab::build(SearchPanel* search)
{
    auto* grid = new QGridLayout;
    int row = 0;
    const auto add = [&](const QString& caption, QWidget* widget, const char* labelName = "") {
        QLabel* label = addCaptioned(grid, row++, caption, widget);
        label->setObjectName(QString::fromLatin1(labelName));
        return label;
    };
    add(tr("Job Prefix"), m_prefix);
    add(tr("Job Number"), m_number);
    grid->addWidget(m_invoice, row - 1, 2);
    add(tr("Customer"), m_customer);
    add(tr("Pick Up Date"), m_date);
    auto* calendar = button("cmdcalendar", tr("Calendar"), tr("Press to bring up calendar"));
    grid->addWidget(calendar, row - 1, 2);
    add(tr("Pick Up Time"), m_time);
    add(tr("Driver/ Call Sign"), m_driver);
    add(tr("Pick Up Pont"), m_pickup);
    add(tr("Drop Off Pont"), m_drop);
    add(tr("Special Instructions"), m_instructions);
    add(tr("Vehicle Type"), m_vehicleType);
    add(tr("Payment Type"), m_paymentType);
    m_accountWidgets = {add(tr("Account Name"), m_accountChooser, "lblaccname1"), m_accountChooser};
    grid->addWidget(m_account, row++, 1);
    m_accountWidgets += {add(tr("Cost Code"), m_costCode, "lblcost_code"), m_costCode,
                         add(tr("Reference"), m_reference, "lblacc_ref"), m_reference};
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    grid->setContentsMargins(0, 0, 0, 0);
    m_fields->setLayout(grid);

    auto* select = button("cmdselect", tr("&Select"), tr("Press to select booking"));
    auto* searchButton = button("cmdsearch", tr("Sea&rch"), tr("Press to access search screen"));
    auto* exit = button("Command6", tr("&Exit"), tr("Press to exit"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* push : {m_add, m_update, m_clear, select, searchButton, exit})
        buttons->addWidget(push);
    m_update->hide();

    m_calendarFrame->setObjectName(QStringLiteral("Frame3"));
    m_calendar->setObjectName(QStringLiteral("Calendar2"));
    (new QHBoxLayout(m_calendarFrame))->addWidget(m_calendar);
    m_calendarFrame->hide();
    search->hide();

    // The search panel is laid over the booking fields while a search is open.
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_fields, 0, 0);
    layout->addWidget(search, 0, 0);
    layout->addWidget(m_calendarFrame, 0, 1, Qt::AlignTop);
    layout->addLayout(buttons, 1, 0, 1, 2);
    layout->setRowStretch(0, 1);

    QWidget* previous = m_prefix;
    // The calendar button comes after the buttons, so that booking from the keyboard goes
    // straight from the date to the time.
    for (QWidget* next : std::initializer_list<QWidget*>{
             m_number,         m_customer, m_date,         m_time,        m_driver,
             m_pickup,         m_drop,     m_instructions, m_vehicleType, m_paymentType,
             m_accountChooser, m_account,  m_costCode,     m_reference,   m_add,
             m_update,         m_clear,    select,         searchButton,  exit,
             calendar,         search}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(m_add, &QPushButton::clicked, this, &BookingTab::addRequested);
    connect(m_update, &QPushButton::clicked, this, &BookingTab::updateRequested);
    connect(m_clear, &QPushButton::clicked, this, &BookingTab::clearRequested);
    connect(select, &QPushButton::clicked, this, &BookingTab::selectRequested);
    connect(exit, &QPushButton::clicked, this, &BookingTab::exitRequested);
    connect(searchButton, &QPushButton::clicked, this, &BookingTab::openSearch);
    connect(calendar, &QPushButton::clicked, this, &BookingTab::openCalendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &BookingTab::dayChosen);
    connect(m_calendar, &QCalendarWidget::activated, this, &BookingTab::dayChosen);
    connect(m_paymentType, &QComboBox::activated, this, [this] { paymentTypeChosen(false); });
    connect(m_prefix, &QLineEdit::textEdited, this, &BookingTab::keyEdited);
    connect(m_number, &QLineEdit::textEdited, this, &BookingTab::keyEdited);
    connect(m_accountChooser, &QComboBox::activated, this, &BookingTab::accountChosen);
    connect(search, &SearchPanel::closed, this, &BookingTab::closeSearch);
    connect(search, &SearchPanel::cleared, m_prefix, &QLineEdit::clear);
}

void BookingTab::watchFields()
{
    m_events.onLeave(m_prefix, [this] { m_prefix->setText(m_prefix->text().toUpper()); });
    m_events.onLeave(m_number, [this] { Q_EMIT numberLeft(m_number->text().toLongLong()); });
    m_events.onLeave(m_paymentType, [this] { paymentTypeChosen(true); });
    m_events.onLeave(m_account, [this] { accountLeft(); });
}

void BookingTab::setUpdateVisible(bool visible) { m_update->setVisible(visible); }

void BookingTab::focusPrefix() { m_events.returnFocus(m_prefix); }

void BookingTab::focusCustomer() { m_customer->setFocus(); }

void BookingTab::focusNumber() { m_events.returnFocus(m_number); }

void BookingTab::paymentTypeChosen(bool left)
{
    const bool account = m_paymentType->currentText().toUpper() == accountPaymentType().toUpper();
    // Only a change to Account starts the account details afresh, so that passing
    // through the field keeps a loaded job's cost code and reference.
    const bool becameAccount = account && m_accountChooser->isHidden();
    for (QWidget* widget : std::as_const(m_accountWidgets))
        widget->setVisible(account);
    if (account) {
        m_accountChooser->setCurrentIndex(0);
        if (left && becameAccount) {
            m_costCode->clear();
            m_reference->clear();
        }
    } else {
        m_account->clear();
        m_account->hide();
    }
}

void BookingTab::accountChosen(int index)
{
    const QString entry = m_accountChooser->itemText(index);
    if (entry.isEmpty()) {
        m_dialogs.information(this,
                              tr("An account name must be selected if payment type = Account"));
        m_events.returnFocus(m_accountChooser);
        return;
    }
    m_account->setText(entry.left(entry.indexOf(QLatin1Char(';')) - 1));
    m_account->show();
}

void BookingTab::accountLeft()
{
    if (m_account->text().isEmpty())
        return;
    const JobAccount* account = findAccount(m_lists.accounts, m_account->text());
    if (!account) {
        m_dialogs.information(this, tr("Account name supplied not found, please resubmit"));
        m_events.returnFocus(m_account);
        return;
    }
    m_account->setText(account->shownText());
}

void BookingTab::openCalendar()
{
    m_calendar->setSelectedDate(QDate::currentDate());
    m_calendarFrame->show();
    m_calendar->setFocus();
}

void BookingTab::dayChosen()
{
    m_date->setText(ukDate(m_calendar->selectedDate()));
    m_calendarFrame->hide();
    m_events.returnFocus(m_time);
}

void BookingTab::openSearch()
{
    m_search->clearResults();
    m_fields->hide();
    m_search->show();
    m_clear->hide();
    m_search->setFocus();
}

void BookingTab::closeSearch()
{
    m_search->hide();
    m_fields->show();
    m_clear->show();
}

} // namespace velmora
