#include "frmmain.h"

#include "boardactions.h"
#include "boardmodel.h"
#include "boardview.h"
#include "data/changefeed.h"
#include "data/expiry.h"
#include "data/fault.h"
#include "data/operators.h"
#include "data/readonly.h"
#include "data/schema.h"
#include "data/serverlink.h"
#include "exchange/frmbackup.h"
#include "exchange/frmtransfer.h"
#include "frmabout.h"
#include "frmaudit_trail.h"
#include "frmsecurity.h"
#include "helpsections.h"
#include "invoicing/frmaccount_ledger.h"
#include "invoicing/frmaccounts_print.h"
#include "invoicing/frmemail_invoices.h"
#include "invoicing/frminvoice_prints.h"
#include "invoicing/frmjobs_in_range.h"
#include "invoicing/frmnoncosted.h"
#include "invoicing/frmnot_invoiced.h"
#include "invoicing/invoicefrm.h"
#include "invoicing/invoiceprinting.h"
#include "jobs/frmjob_management.h"
#include "mail/desktopkeystore.h"
#include "payroll/frmdriver_payment.h"
#include "payroll/frmoperational_costs.h"
#include "payroll/frmprofit.h"
#include "payroll/periodreportscreen.h"
#include "platform/dialogs.h"
#include "platform/helpwindow.h"
#include "platform/qtreportengine.h"
#include "platform/reportengine.h"
#include "platform/screenlock.h"
#include "platform/statusline.h"
#include "reference/frmaccount.h"
#include "reference/frmcompany.h"
#include "reference/frmdriver.h"
#include "reference/frmexpiring_documents.h"
#include "reference/frmtype_table.h"
#include "reference/frmvehicle_details.h"
#include "reference/typetable.h"
#include "screenopener.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>

#include <algorithm>

namespace velmora {

frmmain::frmmain(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs), m_model(new BoardModel(this)),
      m_view(new BoardView(this)), m_feed(new ChangeFeed(m_db, this)), m_refresh(new QTimer(this)),
      m_reports(std::make_unique<QtReportEngine>(m_db, this)),
      m_keys(std::make_unique<DesktopKeyStore>())
{
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(isReadOnly(m_db) ? tr("Current Jobs (read-only)") : tr("Current Jobs"));
    m_view->setObjectName(QStringLiteral("board"));
    setCentralWidget(m_view);
    // Every screen says here what its last action did (showStatus()).
    statusBar()->setObjectName(QStringLiteral("statusbar"));
    m_actions = new BoardActions(*this, m_view, m_db, m_dialogs);
    buildMenus();
    followServer();
    resize(1100, 640);
}

void frmmain::start()
{
    set_board_headings();
    if (!load_board())
        m_dialogs.information(this, tr("An error has occurred, please contact system support") +
                                        boardFault());
}

bool frmmain::set_board_headings()
{
    m_model->clear();
    m_view->setModel(m_model);
    m_view->fitColumns();
    return m_view->model() == m_model;
}

bool frmmain::load_board()
{
    m_model->clear();
    if (!set_board_headings()) {
        m_dialogs.information(this, tr("An error occurred when creating grid headings"));
        return false;
    }
    std::vector<BoardRow> rows;
    QString error;
    const bool complete = readBoard(m_db, &rows, &error);
    if (complete && rows.empty())
        m_dialogs.information(this, tr("No currently outstanding jobs"));
    m_model->setRows(std::move(rows), QDate::currentDate());
    m_fault = complete ? QString() : databaseFault(m_db, error);
    return complete;
}

void frmmain::refreshBoard()
{
    std::vector<BoardRow> rows;
    QString error;
    if (!readBoard(m_db, &rows, &error))
        showStatus(this, databaseFault(m_db, error));
    const QModelIndex current = m_view->currentIndex();
    const auto& before = m_model->rows();
    const bool onJob = current.isValid() && current.row() < static_cast<int>(before.size());
    const BoardRow kept = onJob ? before[static_cast<std::size_t>(current.row())] : BoardRow{};
    m_model->setRows(std::move(rows), QDate::currentDate());
    const auto& after = m_model->rows();
    const auto found = std::find_if(after.begin(), after.end(), [&kept](const BoardRow& row) {
        return row.jobId == kept.jobId && row.prefix == kept.prefix;
    });
    if (onJob && found != after.end())
        m_view->setCurrentIndex(
            m_model->index(static_cast<int>(found - after.begin()), current.column()));
}

void frmmain::followServer()
{
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(250);
    connect(m_refresh, &QTimer::timeout, this, &frmmain::refreshBoard);
    connect(m_feed, &ChangeFeed::jobsChanged, this, [this] {
        if (!m_refresh->isActive())
            m_refresh->start();
    });
    auto* link = new ServerLink(m_db, this);
    connect(link, &ServerLink::lost, this, [this] {
        m_refresh->stop();
        setConnected(false, tr("The connection to the server has been lost: the board and the "
                               "open screens show what they showed and nothing can be changed. "
                               "Connecting again..."));
    });
    connect(link, &ServerLink::restored, this, [this] {
        m_feed->listen();
        refreshBoard();
        setConnected(true, tr("The connection to the server is back."));
    });
    // Told on every screen, as the save in doubt may have been any one's.
    connect(link, &ServerLink::commitSettled, this, [this](bool committed) {
        const QString text =
            committed ? tr("The save sent as the connection to the server was lost was saved.")
                      : tr("The save sent as the connection to the server was lost was not "
                           "saved: make it again.");
        showStatus(this, text);
        for (QWidget* screen : openScreens(this))
            showStatus(screen, text);
    });
}

void frmmain::setConnected(bool connected, const QString& text)
{
    m_actions->setWritable(connected);
    // No screen opens meanwhile: its menus are closed, and so is the board's way to a job.
    for (QAction* action : menuBar()->actions()) {
        if (action->menu() && action->menu()->objectName() != QLatin1String("mnuhelp"))
            action->setEnabled(connected);
    }
    showStatus(this, text);
    for (QWidget* screen : openScreens(this)) {
        setScreenWritable(screen, connected);
        showStatus(screen, text);
    }
}

QString frmmain::boardFault() const
{
    return m_fault.isEmpty() ? QString() : QStringLiteral("\n\n") + m_fault;
}

frmmain::~frmmain() = default;

frmjob_management* frmmain::jobScreen()
{
    auto* screen = new frmjob_management(m_db, m_dialogs);
    connect(screen, &frmjob_management::jobsChanged, this, &frmmain::load_board);
    return screen;
}

void frmmain::setReportEngine(std::unique_ptr<ReportEngine> engine)
{
    m_reports = std::move(engine);
}

void frmmain::closeEvent(QCloseEvent* event)
{
    if (!closeScreens()) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

bool frmmain::closeScreens()
{
    QList<QWidget*> open;
    QStringList titles;
    // Screens opened by other screens come after their openers: closed first.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible()) {
            open.prepend(child);
            // The manual is no screen of the firm's work: it closes without a word.
            if (child != m_help)
                titles.append(child->windowTitle().trimmed());
        }
    }
    if (!titles.isEmpty() &&
        m_dialogs.question(this, tr("These screens are open:\n%1\n\nClose them and leave "
                                    "Velmora?")
                                     .arg(titles.join(u'\n'))) != Dialogs::Answer::Yes)
        return false;
    // Each screen asks about its own unsaved changes and may stay open.
    for (QWidget* screen : std::as_const(open)) {
        if (!screen->close())
            return false;
    }
    return true;
}

void frmmain::buildMenus()
{
    buildBookingsMenu();
    buildAdministrationMenu();
    buildManagementMenu();
    buildAccountsMenu();
    buildReportingMenu();
    buildHelpMenu();
    QAction* exit = menuBar()->addAction(tr("&Exit"));
    exit->setObjectName(QStringLiteral("mnuexit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

QAction* frmmain::writer(QAction* action) const
{
    action->setEnabled(!isReadOnly(m_db));
    return action;
}

void frmmain::addReport(QMenu* menu, const QString& caption, const QString& fileName,
                        int destination)
{
    connect(menu->addAction(caption), &QAction::triggered, this,
            [=, this] { printReport(*m_reports, m_dialogs, this, fileName, destination); });
}

void frmmain::buildBookingsMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Bookings"));
    connect(menu->addAction(tr("&Input Jobs, Receipts And Paymnts ")), &QAction::triggered, this,
            [this] {
                openScreen(
                    this, frmjob_management::staticMetaObject.className(),
                    [this] { return jobScreen(); }, QStringLiteral("txtload"), QStringLiteral("F"));
            });
    connect(writer(menu->addAction(tr("&Load Transfer File"))), &QAction::triggered, this, [this] {
        auto* screen = new frmtransfer(m_db, m_dialogs);
        connect(screen, &frmtransfer::jobsChanged, this, &frmmain::load_board);
        openScreen(this, screen);
    });
    connect(menu->addAction(tr("&Jobs Without Costs ")), &QAction::triggered, this, [this] {
        auto* screen = new frmnoncosted(m_db, m_dialogs);
        connect(screen, &frmnoncosted::jobChosen, this,
                [this](const QString& prefix, qint64 number) {
                    frmjob_management* job = jobScreen();
                    job->presetJob({prefix, number});
                    openScreen(this, job, QStringLiteral("txtload"), QStringLiteral("F"));
                });
        openScreen(this, screen);
    });
}

void frmmain::buildAdministrationMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Administration"));
    QMenu* operational = menu->addMenu(tr("&Operational Data"));
    connect(operational->addAction(tr("&Account Address Maintenance")), &QAction::triggered, this,
            [this] { openScreen(this, new frmaccount(m_db, m_dialogs)); });
    connect(operational->addAction(tr("&Driver Address Maintenance")), &QAction::triggered, this,
            [this] { openScreen(this, new frmdriver(m_db, m_dialogs)); });
    connect(operational->addAction(tr("&Vehicles")), &QAction::triggered, this,
            [this] { openScreen(this, new frmvehicle_details(m_db, m_dialogs)); });

    QMenu* reference = menu->addMenu(tr("&Reference Data"));
    const auto addTypeTable = [this, reference](const QString& caption, const TypeTable& table) {
        connect(reference->addAction(caption), &QAction::triggered, this,
                [this, &table] { openScreen(this, new frmtype_table(table, m_db, m_dialogs)); });
    };
    addTypeTable(tr("&Payment Type"), TypeTable::paymentTypes());
    addTypeTable(tr("&Vehicle Types"), TypeTable::vehicleTypes());
    addTypeTable(tr("&Income and Expense Types"), TypeTable::incomeExpenseTypes());
    addTypeTable(tr("&Address Types"), TypeTable::addressTypes());
    connect(reference->addAction(tr("&Set Invoice And Job Sheet Parameters")), &QAction::triggered,
            this, [this] { openScreen(this, new frminvoice_prints(m_db, m_dialogs)); });
    connect(reference->addAction(tr("&Operational Costs")), &QAction::triggered, this,
            [this] { openScreen(this, new frmoperational_costs(m_db, m_dialogs)); });
    connect(reference->addAction(tr("&Expiring Documents")), &QAction::triggered, this,
            &frmmain::openExpiringDocuments);

    connect(writer(menu->addAction(tr("&Backup And Archive"))), &QAction::triggered, this, [this] {
        auto* screen = new frmbackup(m_db, m_dialogs);
        connect(screen, &frmbackup::jobsChanged, this, &frmmain::load_board);
        openScreen(this, screen);
    });
    m_auditTrail = menu->addAction(tr("A&udit Trail"));
    m_auditTrail->setEnabled(false);
    connect(m_auditTrail, &QAction::triggered, this,
            [this] { openScreen(this, new frmaudit_trail(m_db, m_dialogs)); });
}

void frmmain::setOperatorLevel(const QString& level)
{
    m_auditTrail->setEnabled(level.compare(highestOperatorLevel(), Qt::CaseInsensitive) == 0);
}

void frmmain::buildManagementMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Management Functions"));
    connect(menu->addAction(tr("&Company Name")), &QAction::triggered, this,
            [this] { openScreen(this, new frmcompany(m_db, m_dialogs, *m_keys)); });
    connect(writer(menu->addAction(tr("&Produce Invoices"))), &QAction::triggered, this, [this] {
        openScreen(this, new invoicefrm(m_db, m_dialogs, *m_reports), QStringLiteral("txtfrm_load"),
                   QStringLiteral("N"));
    });
    connect(writer(menu->addAction(tr("&E-mail Invoices"))), &QAction::triggered, this,
            [this] { openScreen(this, new frmemail_invoices(m_db, m_dialogs, *m_keys)); });
    connect(menu->addAction(tr("&View / Reprint Invoice")), &QAction::triggered, this,
            [this] { InvoicePrinting(m_db, m_dialogs, *m_reports, this).viewReprintInvoice(); });
    connect(menu->addAction(tr("&Jobs Not Invoiced")), &QAction::triggered, this,
            [this] { openScreen(this, new frmnot_invoiced(m_db, m_dialogs)); });
    connect(menu->addAction(tr("&Maintain Users")), &QAction::triggered, this,
            [this] { openScreen(this, new frmsecurity(m_db, m_dialogs)); });
    connect(menu->addAction(tr("Jo&b Count")), &QAction::triggered, this,
            [this] { openScreen(this, new frmjobs_in_range(m_db, m_dialogs)); });
}

void frmmain::buildAccountsMenu()
{
    // "&Administration" keeps A on the menu bar; this menu takes the free C.
    QMenu* menu = menuBar()->addMenu(tr("A&ccounts"));
    connect(menu->addAction(tr("&Record Payments")), &QAction::triggered, this, [this] {
        openScreen(this, new frmaccount_ledger(m_db, m_dialogs), QStringLiteral("txtfrm_load"),
                   QStringLiteral("N"));
    });
    connect(menu->addAction(tr("Rep&ort On Profitability")), &QAction::triggered, this,
            [this] { openScreen(this, new frmprofit(m_db, m_dialogs, *m_reports)); });
    connect(menu->addAction(tr("Profit And &Loss")), &QAction::triggered, this,
            [this] { openScreen(this, new frmprofit_and_loss(m_db, m_dialogs, *m_reports)); });
    connect(menu->addAction(tr("VA&T Return")), &QAction::triggered, this,
            [this] { openScreen(this, new frmvat_return(m_db, m_dialogs, *m_reports)); });
    connect(menu->addAction(tr("Cr&eate Driver Payment Slips")), &QAction::triggered, this,
            [this] { openScreen(this, new frmdriver_payment(m_db, m_dialogs, *m_reports)); });
    addReport(menu, tr("&Income By Driver"), QStringLiteral("driverearn.rpt"),
              ReportEngine::Preview);
}

void frmmain::buildReportingMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Reporting"));
    connect(menu->addAction(tr("&Accounts List")), &QAction::triggered, this, [this] {
        openScreen(this, new frmaccounts_print(m_db, m_dialogs, *m_reports, *m_keys),
                   QStringLiteral("frmload"), QStringLiteral("F"));
    });
    addReport(menu, tr("A&ged Debt Report"), QStringLiteral("ageddebt.rpt"), ReportEngine::Printer);
    addReport(menu, tr("&Vehicles"), QStringLiteral("vehicle.rpt"), ReportEngine::Preview);
    addReport(menu, tr("&Drivers Jobs"), QStringLiteral("drivers.rpt"), ReportEngine::Preview);
}

void frmmain::buildHelpMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("Help"));
    menu->setObjectName(QStringLiteral("mnuhelp"));
    connect(menu->addAction(tr("&About")), &QAction::triggered, this, &frmmain::showAbout);
    // F1 in any window of the program opens the manual at the section of that window.
    QAction* manual = menu->addAction(tr("&Contents"));
    manual->setObjectName(QStringLiteral("mnumanual"));
    manual->setShortcut(QKeySequence::HelpContents);
    manual->setShortcutContext(Qt::ApplicationShortcut);
    connect(manual, &QAction::triggered, this, [this] { showHelp(QApplication::activeWindow()); });
}

void frmmain::openExpiringDocuments()
{
    auto* screen = new frmexpiring_documents(m_db, m_dialogs);
    connect(screen, &frmexpiring_documents::vehicleChosen, this, [this](const QString& reg) {
        auto* vehicle = new frmvehicle_details(m_db, m_dialogs);
        vehicle->presetRegistration(reg);
        openScreen(this, vehicle);
    });
    connect(screen, &frmexpiring_documents::driverChosen, this, [this](qint64 id) {
        auto* driver = new frmdriver(m_db, m_dialogs);
        driver->presetDriver(id);
        openScreen(this, driver);
    });
    openScreen(this, screen);
}

void frmmain::showExpiringDue()
{
    QString error;
    const auto horizon = expiryHorizon(m_db, &error);
    const auto due =
        horizon ? expiringDocuments(m_db, QDate::currentDate(), *horizon, &error) : std::nullopt;
    if (due && !due->isEmpty())
        openExpiringDocuments();
}

HelpWindow* frmmain::showHelp(const QWidget* about)
{
    // From the manual itself, F1 stays where it is.
    if (m_help && about == m_help) {
        m_help->raise();
        return m_help;
    }
    const QWidget* window = about ? about->window() : this;
    QString section = helpSectionOf(window->focusWidget() ? window->focusWidget() : window);
    if (section.isEmpty())
        section = helpSectionOf(this);
    return openHelp(m_help, this, section);
}

void frmmain::showAbout()
{
    frmAbout about(m_dialogs, systemInfo(), this);
    about.exec();
}

QString frmmain::systemInfo() const
{
    return tr("Velmora Release 1.0\nQt %1 on %2\nDatabase: %3 (schema version %4)")
        .arg(QString::fromLatin1(qVersion()), QSysInfo::prettyProductName(), m_db.databaseName())
        .arg(currentSchemaVersion());
}

} // namespace velmora
