#include "frmaccount_ledger.h"

#include "data/dates.h"
#include "data/fault.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/lazyrows.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora {

namespace {

// Beside a cell's text: its padding and the grid line.
constexpr int kCellRoom = 16;
// Beside the grid's columns: the window's margins, the frame and a vertical scroll bar.
constexpr int kWindowRoom = 80;
// The widest amount or date the payment fields take.
constexpr int kAmountLength = 20;
constexpr int kDateLength = 19;
constexpr int kNameLength = 40;

QLineEdit* shownField(QAnyStringView name)
{
    QLineEdit* field = lineEdit(name);
    field->setReadOnly(true);
    return field;
}

} // namespace

frmaccount_ledger::frmaccount_ledger(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_events(new FieldEvents(this)), m_history(new LazyTableModel(ledgerHeadings(), this)),
      m_name(dropDown("txtacc_name", tr("Select account name from drop down list"))),
      m_account(shownField("txtaccount")), m_balance(shownField("txtbalance")),
      m_grid(named(new QTableView, "jobsgrid")), m_load(lineEdit("txtfrm_load")),
      m_popup(new QMenu(this)), m_invoiceNo(shownField("txtinvno")),
      m_invoiceValue(shownField("txtinvvalue")), m_outstanding(shownField("txtibalance")),
      m_amount(lineEdit("txtamrec", tr("Insert amount received"))),
      m_date(lineEdit("txtdaterec", tr("Insert date received")))
{
    setObjectName(QStringLiteral("frmaccount_ledger"));
    setWindowTitle(tr("Account History"));
    addExit(menuBar(), this);
    m_load->hide();
    m_name->lineEdit()->setMaxLength(kNameLength);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildAccountPart());
    layout->addWidget(m_grid, 1);
    m_frame = buildPaymentFrame();
    layout->addWidget(m_frame);
    layout->addWidget(m_load);
    setCentralWidget(central);
    buildPopup();

    readOnlyGrid(m_grid, m_history);
    m_grid->setWordWrap(false);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);
    connect(m_history, &LazyTableModel::fetchFailed, this,
            [this](const QString& error) { tell(databaseFault(m_db, error)); });

    connect(m_name, &QComboBox::activated, this, [this] { showAccount(true); });
    m_events->onLeave(m_name, [this] { showAccount(false); });
    // An emptied payment date becomes today's.
    connect(m_date, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_date->setText(ukDate(QDate::currentDate()));
    });

    const QList<QWidget*> order = {m_name, m_grid, m_amount, m_date};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(std::max(900, fitColumns() + kWindowRoom), 620);
}

int frmaccount_ledger::fitColumns()
{
    m_grid->setColumnWidth(Blank, 12);
    m_grid->setColumnWidth(Description, 240);
    const QFontMetrics metrics = m_grid->fontMetrics();
    const QStringList headings = ledgerHeadings();
    // The last column takes what is left, but no less than its default width.
    int width = 12 + 240 + m_grid->horizontalHeader()->defaultSectionSize();
    for (int column = Raised; column <= InvoiceBalance; ++column) {
        if (column == Description)
            continue;
        const QString widest =
            column == Raised ? QStringLiteral("00/00/0000 00:00:00") : QStringLiteral("000,000.00");
        m_grid->setColumnWidth(column, std::max(metrics.horizontalAdvance(headings.at(column)),
                                                metrics.horizontalAdvance(widest)) +
                                           kCellRoom);
        width += m_grid->columnWidth(column);
    }
    return width;
}

QWidget* frmaccount_ledger::buildAccountPart()
{
    static constexpr const char* kAddressNames[9] = {"txtaddr1",  "txtaddr2",  "txttown",
                                                     "txtcounty", "txtpcode1", "txtpcode2",
                                                     "txttel1",   "txttel2",   "txttel3"};
    for (int part = 0; part < 9; ++part)
        m_address[part] = shownField(kAddressNames[part]);

    auto* part = new QWidget;
    auto* grid = new QGridLayout(part);
    grid->setContentsMargins(0, 0, 0, 0);
    addCaptioned(grid, 0, tr("Account &Name"), m_name, 3);
    addCaptioned(grid, 1, tr("Account Number"), m_account);
    addCaptioned(grid, 2, tr("Address"), m_address[0], 3);
    grid->addWidget(m_address[1], 3, 1, 1, 3);
    grid->addWidget(m_address[2], 4, 1);
    grid->addWidget(m_address[3], 4, 2);
    grid->addWidget(m_address[4], 5, 1);
    grid->addWidget(m_address[5], 5, 2);
    addCaptioned(grid, 6, tr("Telephone Numbers"), m_address[6]);
    grid->addWidget(m_address[7], 6, 2);
    grid->addWidget(m_address[8], 6, 3);
    addCaptioned(grid, 7, tr("Account Balance"), m_balance);
    return part;
}

QGroupBox* frmaccount_ledger::buildPaymentFrame()
{
    auto* frame = named(new QGroupBox(tr("Record Payment")), "Frame3");
    auto* grid = new QGridLayout(frame);
    m_amount->setMaxLength(kAmountLength);
    m_date->setMaxLength(kDateLength);
    addCaptioned(grid, 0, tr("Invoice Number"), m_invoiceNo);
    addCaptioned(grid, 1, tr("Invoice Value"), m_invoiceValue);
    addCaptioned(grid, 2, tr("Outstanding Balance"), m_outstanding);
    addCaptioned(grid, 3, tr("A&mount Received"), m_amount);
    addCaptioned(grid, 4, tr("&Date Payment Received"), m_date);
    auto* save = named(new QPushButton(tr("&Save")), "Command5", tr("Press to save data"));
    auto* exit =
        named(new QPushButton(tr("&Exit")), "Command6", tr("Press to exit without saving"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(exit);
    grid->addLayout(buttons, 5, 0, 1, 2);
    connect(save, &QPushButton::clicked, this, &frmaccount_ledger::savePayment);
    connect(exit, &QPushButton::clicked, this, &frmaccount_ledger::closeFrame);
    save->setDefault(true);
    setTabOrder(m_amount, m_date);
    setTabOrder(m_date, save);
    setTabOrder(save, exit);
    frame->hide();
    return frame;
}

void frmaccount_ledger::buildPopup()
{
    connect(addEntry(m_popup, tr("&Record Payment"), "mnuman"), &QAction::triggered, this,
            &frmaccount_ledger::recordPayment);
    connect(addEntry(m_popup, tr("Re&print Invoice"), "mnurep"), &QAction::triggered, this,
            &frmaccount_ledger::reprintInvoice);
    addSaveAsCsv(m_popup, m_grid, m_dialogs, m_db.databaseName());
}

bool frmaccount_ledger::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu)
        return OpeningScreen::eventFilter(watched, event);
    const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    QPoint at = menuEvent->pos();
    if (watched == m_grid) {
        at = m_grid->visualRect(m_grid->currentIndex()).center();
    } else {
        const QModelIndex index = m_grid->indexAt(at);
        if (index.isValid())
            m_grid->setCurrentIndex(index);
    }
    m_popup->popup(m_grid->viewport()->mapToGlobal(at));
    return true;
}

void frmaccount_ledger::opening()
{
    QString error;
    const auto names = ledgerAccountNames(m_db, &error);
    if (!names) {
        tell(error);
        m_load->setText(QStringLiteral("N"));
        return;
    }
    if (names->isEmpty()) {
        m_load->setText(QStringLiteral("N"));
        return;
    }
    m_name->addItems(*names);
    m_name->setCurrentIndex(-1);
    m_load->setText(QStringLiteral("Y"));
    m_name->setFocus();
}

bool frmaccount_ledger::showAccount(bool picked)
{
    if (picked)
        m_history->clear();
    const QString name = m_name->currentText();
    if (name.isEmpty()) {
        tell(picked ? tr("Please select an account from the drop down list")
                    : tr("Please select a name from the drop down list"));
        m_events->returnFocus(m_name);
        return false;
    }
    QString error;
    const auto account = findLedgerAccount(m_db, name, &error);
    if (!account) {
        if (!error.isEmpty())
            tell(error);
        else
            tell(picked ? tr("Account name supplied not found, contact program vendor possible "
                             "database error")
                        : tr("Account name suppled no longer exists, please contact program "
                             "vendor possible database error"));
        return false;
    }
    const bool changed = account->id != m_accountId;
    m_accountId = account->id;
    m_account->setText(QString::number(account->id));
    for (int part = 0; part < 9; ++part) {
        if (account->address[part])
            m_address[part]->setText(*account->address[part]);
    }
    m_balance->setText(account->balance.toString());
    // The history and the payment frame always belong to the account shown, so a payment
    // is never recorded against one account from another's grid.
    if (picked || changed) {
        m_frame->hide();
        getjobhistory();
    }
    return true;
}

void frmaccount_ledger::getjobhistory()
{
    auto history = std::make_unique<LedgerHistory>(m_db, m_account->text().toLongLong());
    QString error;
    if (!history->start(&error) || !m_history->start(std::move(history), &error)) {
        tell(error);
        return;
    }
    fitColumns();
}

qint64 frmaccount_ledger::currentInvoice() const
{
    return m_history->text(m_grid->currentIndex().row(), InvoiceNo).toLongLong();
}

void frmaccount_ledger::recordPayment()
{
    const qint64 number = currentInvoice();
    if (m_history->text(m_grid->currentIndex().row(), InvoiceNo).isEmpty()) {
        tell(tr("Please ensure you are on a line with an invoice number showning"));
        return;
    }
    QString error;
    const auto due = invoiceDue(m_db, number, &error);
    if (!due) {
        tell(error.isEmpty() ? tr("Invoice Number supplied not found in current collection")
                             : error);
        return;
    }
    m_due = *due;
    m_frame->show();
    m_invoiceNo->setText(QString::number(number));
    m_invoiceValue->setText(due->payable.toString());
    m_outstanding->setText((due->payable - due->received).toString());
    m_amount->clear();
    m_date->setText(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
    m_amount->setFocus();
}

void frmaccount_ledger::savePayment()
{
    if (m_amount->text().trimmed().isEmpty()) {
        tell(tr("please input an amount before trying to save"));
        m_amount->setFocus();
        return;
    }
    if (m_date->text().trimmed().isEmpty()) {
        tell(tr("Please input the date paid before attempting to save"));
        m_date->setFocus();
        return;
    }
    const auto amount = Money::parse(m_amount->text());
    if (!amount) {
        tell(tr("The amount received must be an amount of money, such as 125.50"));
        m_amount->setFocus();
        return;
    }
    const auto received = parseDateTime(m_date->text());
    if (!received) {
        tell(tr("The date payment received must be a date, such as %1")
                 .arg(ukDate(QDate::currentDate())));
        m_date->setFocus();
        return;
    }
    const Money outstanding = m_due.payable - m_due.received;
    if (*amount > outstanding &&
        m_dialogs.question(this,
                           tr("%1 is more than the %2 outstanding on invoice %3. "
                              "Record the payment all the same?")
                               .arg(amount->toString(), outstanding.toString())
                               .arg(m_due.number),
                           applicationTitle(),
                           Dialogs::Buttons::YesNoDefaultNo) != Dialogs::Answer::Yes) {
        m_amount->setFocus();
        return;
    }
    QString error;
    const auto saved = velmora::savePayment(m_db, {m_accountId, m_due, *amount, *received}, &error);
    if (!saved) {
        tell(databaseFault(m_db, error));
    } else {
        if (!saved->invoiceFound)
            tell(tr("Receipt recorded but invoice not found"));
        if (!saved->accountFound)
            tell(tr("Master account record not found, receipt recorded but account balance "
                    "may now be wrong"));
        showStatus(this, tr("Payment of %1 recorded against invoice %2")
                             .arg(amount->toString())
                             .arg(m_due.number));
    }
    const int row = m_grid->currentIndex().row();
    closeFrame();
    showAccount(true);
    while (m_history->rowCount() <= row && m_history->canFetchMore({}))
        m_history->fetchMore({});
    m_grid->setCurrentIndex(m_history->index(row, Raised));
}

void frmaccount_ledger::closeFrame()
{
    m_frame->hide();
    m_grid->setFocus();
}

void frmaccount_ledger::reprintInvoice()
{
    const qint64 number = currentInvoice();
    if (m_history->text(m_grid->currentIndex().row(), InvoiceNo).isEmpty()) {
        tell(tr("Please select a line where an invoice number is present"));
        return;
    }
    if (m_dialogs.question(this, tr("Do you wish to re-print invoice %1").arg(number),
                           tr("Reprint Invoice")) != Dialogs::Answer::Yes)
        return;
    QString error;
    if (markForReprint(m_db, number, &error)) {
        tell(tr("Invoice will be printed next time invoice run performed"));
        showStatus(this, tr("Invoice %1 will be printed again").arg(number));
    } else {
        tell(error.isEmpty() ? tr("Invoice Number supplied not found in current collection")
                             : error);
    }
}

void frmaccount_ledger::tell(const QString& text) { m_dialogs.information(this, text); }

} // namespace velmora
