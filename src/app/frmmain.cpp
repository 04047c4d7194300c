#include "frmmain.h"

#include "boardactions.h"
#include "boardmodel.h"
#include "boardview.h"
#include "data/schema.h"
#include "frmabout.h"
#include "frmsecurity.h"
#include "jobs/frmjob_management.h"
#include "payroll/frmdriver_payment.h"
#include "payroll/frmoperational_costs.h"
#include "payroll/frmprofit.h"
#include "platform/dialogs.h"
#include "platform/qtreportengine.h"
#include "platform/reportengine.h"
#include "reference/frmaccount.h"
#include "reference/frmcompany.h"
#include "reference/frmdriver.h"
#include "reference/frmtype_table.h"
#include "reference/frmvehicle_details.h"
#include "reference/typetable.h"
#include "screenopener.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QSysInfo>

namespace velmora {

frmmain::frmmain(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs), m_model(new BoardModel(this)),
      m_view(new BoardView(this)), m_reports(std::make_unique<QtReportEngine>(m_db, this))
{
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(tr("Current Jobs"));
    m_view->setObjectName(QStringLiteral("board"));
    setCentralWidget(m_view);
    new BoardActions(*this, m_view, m_db, m_dialogs);
    buildMenus();
    resize(1100, 640);
}

void frmmain::start()
{
    set_board_headings();
    if (!load_board())
        m_dialogs.information(this, tr("An error has occurred, please contact system support"));
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
    if (!complete)
        qWarning("The board could not be read: %s", qPrintable(error));
    return complete;
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
    event->accept();
    QApplication::quit();
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

void frmmain::addUnavailable(QMenu* menu, const QString& caption)
{
    menu->addAction(caption)->setEnabled(false);
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
    connect(
        menu->addAction(tr("&Input Jobs, Receipts And Paymnts ")), &QAction::triggered, this,
        [this] { openScreen(this, jobScreen(), QStringLiteral("txtload"), QStringLiteral("F")); });
    addUnavailable(menu, tr("&Load Transfer File"));
    addUnavailable(menu, tr("&Jobs Without Costs "));
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
    addUnavailable(reference, tr("&Set Invoice And Job Sheet Parameters"));
    connect(reference->addAction(tr("&Operational Costs")), &QAction::triggered, this,
            [this] { openScreen(this, new frmoperational_costs(m_db, m_dialogs)); });

    addUnavailable(menu, tr("&Backup And Archive"));
}

void frmmain::buildManagementMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Management Functions"));
    connect(menu->addAction(tr("&Company Name")), &QAction::triggered, this,
            [this] { openScreen(this, new frmcompany(m_db, m_dialogs)); });
    addUnavailable(menu, tr("&Produce Invoices"));
    addUnavailable(menu, tr("&View / Reprint Invoice"));
    addUnavailable(menu, tr("&Jobs Not Invoiced"));
    connect(menu->addAction(tr("&Maintain Users")), &QAction::triggered, this,
            [this] { openScreen(this, new frmsecurity(m_db, m_dialogs)); });
    addUnavailable(menu, tr("Jo&b Count"));
}

void frmmain::buildAccountsMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Accounts"));
    addUnavailable(menu, tr("&Record Payments"));
    connect(menu->addAction(tr("Rep&ort On Profitability")), &QAction::triggered, this,
            [this] { openScreen(this, new frmprofit(m_db, m_dialogs, *m_reports)); });
    connect(menu->addAction(tr("Cr&eate Driver Payment Slips")), &QAction::triggered, this,
            [this] { openScreen(this, new frmdriver_payment(m_db, m_dialogs, *m_reports)); });
    addReport(menu, tr("&Income By Driver"), QStringLiteral("driverearn.rpt"),
              ReportEngine::Preview);
}

void frmmain::buildReportingMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Reporting"));
    addUnavailable(menu, tr("&Accounts List"));
    addReport(menu, tr("A&ged Debt Report"), QStringLiteral("ageddebt.rpt"), ReportEngine::Printer);
    addReport(menu, tr("&Vehicles"), QStringLiteral("vehicle.rpt"), ReportEngine::Preview);
    addReport(menu, tr("&Drivers Jobs"), QStringLiteral("drivers.rpt"), ReportEngine::Preview);
}

void frmmain::buildHelpMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("Help"));
    connect(menu->addAction(tr("&About")), &QAction::triggered, this, &frmmain::showAbout);
    // No help file ships with the program yet.
    addUnavailable(menu, tr("&Contents"));
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
