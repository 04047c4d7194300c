#include "invoicefrm.h"

#include "data/fault.h"
#include "data/idrange.h"
#include "invoicecount.h"
#include "invoicerun.h"
#include "platform/confirmwork.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int kNameWidth = 40; // accounts.account_name

QLineEdit* totalField(QAnyStringView name)
{
    QLineEdit* field = lineEdit(name);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setFocusPolicy(Qt::ClickFocus);
    return field;
}

} // namespace

invoicefrm::invoicefrm(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_printing(m_db, dialogs, reports, this), m_events(new FieldEvents(this)),
      m_startList(dropDown("startaccount", tr("Select start account from drop down list"))),
      m_endList(dropDown("endaccount", tr("Select end account from drop down list"))),
      m_startName(lineEdit("txtstart_account")), m_endName(lineEdit("txtend_account")),
      m_gross(totalField("txtgross")), m_discount(totalField("txtdisc")),
      m_vat(totalField("txtvat")), m_net(totalField("txtnet")),
      m_creditNote(totalField("txtcred_note")), m_load(lineEdit("txtfrm_load"))
{
    setObjectName(QStringLiteral("invoicefrm"));
    setWindowTitle(tr("Generate / Print Invoices"));
    connect(addEntry(menuBar(), tr("&Create Invoices"), "mnucrinv"), &QAction::triggered, this,
            &invoicefrm::createInvoices);
    addExit(menuBar(), this);
    buildLayout();

    connect(m_startList, &QComboBox::activated, this, [this] { entryPicked(true); });
    connect(m_endList, &QComboBox::activated, this, [this] { entryPicked(false); });
    m_events->onLeave(m_startList, [this] { listLeft(true); });
    m_events->onLeave(m_endList, [this] { listLeft(false); });
    setTotalsVisible(false);
}

void invoicefrm::buildLayout()
{
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);

    auto* range = new QGridLayout;
    for (QLineEdit* name : {m_startName, m_endName})
        name->setMaxLength(kNameWidth);
    m_startList->setMinimumContentsLength(36);
    m_endList->setMinimumContentsLength(36);
    addCaptioned(range, 0, tr("&Start Account"), m_startList);
    range->addWidget(m_startName, 0, 2);
    addCaptioned(range, 1, tr("E&nd Account"), m_endList);
    range->addWidget(m_endName, 1, 2);
    column->addLayout(range);

    auto* totals = new QGroupBox;
    auto* grid = new QGridLayout(totals);
    const auto addTotal = [this, grid](int row, const QString& caption, QLineEdit* field) {
        QLabel* label = addCaptioned(grid, row, caption, field);
        if (field != m_net)
            m_totals << label << field;
        else
            label->hide();
    };
    addTotal(0, tr("Gross Cost"), m_gross);
    addTotal(1, tr("Discount Value"), m_discount);
    addTotal(2, tr("Vat Value"), m_vat);
    addTotal(3, tr("Net Value"), m_net);
    addTotal(4, tr("Credit Note  Value"), m_creditNote);
    m_net->hide();
    column->addWidget(totals);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [this, buttons](const QString& caption, QAnyStringView name,
                                           const QString& tip, void (InvoicePrinting::*action)()) {
        auto* button = named(new QPushButton(caption), name, tip);
        connect(button, &QPushButton::clicked, this, [this, action] { (m_printing.*action)(); });
        buttons->addWidget(button);
    };
    addButton(tr("&Print Invoices"), "Command1", tr("Press to print invoices"),
              &InvoicePrinting::printInvoices);
    addButton(tr("P&review Invoice Data"), "Command2", tr("Press to preview invoices"),
              &InvoicePrinting::previewInvoiceData);
    addButton(tr("Pre&view Invoices"), "Command3", tr("Press to print invoices"),
              &InvoicePrinting::previewInvoices);
    column->addLayout(buttons);

    m_load->hide();
    column->addWidget(m_load);
    setCentralWidget(central);
    setTabOrder(m_startList, m_startName);
    setTabOrder(m_startName, m_endList);
    setTabOrder(m_endList, m_endName);
}

void invoicefrm::opening()
{
    QString error;
    if (!readAccountList(m_db, &m_accounts, &error)) {
        m_dialogs.information(this, error);
        m_load->setText(QStringLiteral("N"));
        return;
    }
    if (m_accounts.isEmpty()) {
        m_dialogs.information(this, tr("No accounts so invoices can not be produced"));
        m_load->setText(QStringLiteral("N"));
        return;
    }
    for (const AccountEntry& account : std::as_const(m_accounts)) {
        m_startList->addItem(accountEntryText(account));
        m_endList->addItem(accountEntryText(account));
    }
    m_startList->setCurrentIndex(-1);
    m_endList->setCurrentIndex(-1);
    m_load->setText(QStringLiteral("Y"));
    m_startList->setFocus();
}

void invoicefrm::entryPicked(bool start)
{
    QComboBox* list = start ? m_startList : m_endList;
    QLineEdit* name = start ? m_startName : m_endName;
    if (m_accounts.isEmpty())
        return;
    if (list->currentText().isEmpty()) {
        name->setText(start ? m_accounts.first().name : m_accounts.last().name);
        return;
    }
    name->setText(nameOfEntry(list->currentText()));
    const AccountEntry* account = findAccount(m_accounts, name->text());
    if (!account) {
        m_dialogs.information(this, tr("Account name supplied not found, please resubmit"));
        m_events->returnFocus(list);
        return;
    }
    name->setText(account->name);
}

void invoicefrm::listLeft(bool start)
{
    QComboBox* list = start ? m_startList : m_endList;
    QLineEdit* name = start ? m_startName : m_endName;
    if (list->currentText().isEmpty()) {
        if (m_accounts.isEmpty()) {
            if (start)
                m_dialogs.information(this, tr("No accounts recorded, please record account "
                                               "details before attempting to use this "
                                               "functionality"));
            return;
        }
        name->setText(start ? m_accounts.first().name : m_accounts.last().name);
    }
    if (!findAccount(m_accounts, name->text())) {
        m_dialogs.information(this, tr("Account name supplied not found, please resubmit"));
        m_events->returnFocus(list);
    }
}

void invoicefrm::setTotalsVisible(bool visible)
{
    for (QWidget* widget : std::as_const(m_totals))
        widget->setVisible(visible);
}

void invoicefrm::showTotals(const InvoiceRunResult& result)
{
    m_gross->setText(result.totals.gross.toString());
    m_discount->setText(result.totals.discount.toString());
    m_vat->setText(result.totals.vat.toString());
    m_net->setText(result.totals.net.toString());
    m_creditNote->setText(result.totals.creditNote.toString());
    setTotalsVisible(true);
}

void invoicefrm::createInvoices()
{
    setTotalsVisible(false);
    if (m_accounts.isEmpty())
        return;
    const ChosenRange chosen = chooseRange(m_accounts, m_startName->text(), m_endName->text());
    m_startName->setText(chosen.start.name);
    m_endName->setText(chosen.end.name);
    if (const QString problem = rangeProblem(tr("account"), chosen.start.id, chosen.end.id);
        !problem.isEmpty()) {
        m_dialogs.information(this, problem);
        return;
    }

    InvoiceRunRange range;
    range.startAccount = chosen.start.id;
    range.endAccount = chosen.end.id;
    QString error;
    const auto count = countInvoiceRun(m_db, range, &error);
    if (!count) {
        m_dialogs.information(this, error);
        return;
    }
    if (!confirmWork(m_dialogs, this, *count, tr("Create invoices for %1 jobs of %2 accounts?")))
        return;
    InvoiceRunResult result;
    bool done = false;
    {
        const BusyPointer busy(m_dialogs);
        done = runInvoices(m_db, range, &result, &error);
    }
    if (!done) {
        // A run at another desk is said as it is, not as a fault of the database.
        m_dialogs.information(this, result.elsewhere ? error : databaseFault(m_db, error));
        return;
    }
    if (result.invoices == 0) {
        m_dialogs.plain(this, tr("No invoices to be created for the selection parameters input"));
        return;
    }
    showTotals(result);
    showStatus(
        this,
        result.invoices == 1
            ? tr("Invoice %1 created").arg(result.firstInvoice)
            : tr("Invoices %1 to %2 created").arg(result.firstInvoice).arg(result.lastInvoice));
    if (result.counterBehind)
        m_dialogs.information(this,
                              counterBehindMessage(*result.counterBehind, result.firstInvoice));
    if (!result.unpaidDrivers.isEmpty())
        m_dialogs.plain(this, unpaidDriverMessage(result.unpaidDrivers));
}

} // namespace velmora
