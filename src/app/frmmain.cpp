#include "frmmain.h"

#include "boardmodel.h"
#include "boardview.h"
#include "data/schema.h"
#include "frmabout.h"
#include "platform/dialogs.h"
#include "reference/frmtype_table.h"
#include "reference/typetable.h"
#include "screenopener.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QSysInfo>

namespace velmora {

frmmain::frmmain(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_model(new BoardModel(this)), m_view(new BoardView(this))
{
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(tr("Current Jobs"));
    m_view->setObjectName(QStringLiteral("board"));
    setCentralWidget(m_view);
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

void frmmain::buildBookingsMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Bookings"));
    addUnavailable(menu, tr("&Input Jobs, Receipts And Paymnts "));
    addUnavailable(menu, tr("&Load Transfer File"));
    addUnavailable(menu, tr("&Jobs Without Costs "));
}

void frmmain::buildAdministrationMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Administration"));
    QMenu* operational = menu->addMenu(tr("&Operational Data"));
    addUnavailable(operational, tr("&Account Address Maintenance"));
    addUnavailable(operational, tr("&Driver Address Maintenance"));
    addUnavailable(operational, tr("&Vehicles"));

    QMenu* reference = menu->addMenu(tr("&Reference Data"));
    const auto addTypeTable = [this, reference](const QString& caption, const TypeTable& table) {
        connect(reference->addAction(caption), &QAction::triggered, this, [this, &table] {
            openScreen(this, new frmtype_table(table, m_db, m_dialogs));
        });
    };
    addTypeTable(tr("&Payment Type"), TypeTable::paymentTypes());
    addTypeTable(tr("&Vehicle Types"), TypeTable::vehicleTypes());
    addTypeTable(tr("&Income and Expense Types"), TypeTable::incomeExpenseTypes());
    addTypeTable(tr("&Address Types"), TypeTable::addressTypes());
    addUnavailable(reference, tr("&Set Invoice And Job Sheet Parameters"));

    addUnavailable(menu, tr("&Backup And Archive"));
}

void frmmain::buildManagementMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Management Functions"));
    addUnavailable(menu, tr("&Company Name"));
    addUnavailable(menu, tr("&Produce Invoices"));
    addUnavailable(menu, tr("&View / Reprint Invoice"));
    addUnavailable(menu, tr("&Jobs Not Invoiced"));
    addUnavailable(menu, tr("&Maintain Users"));
    addUnavailable(menu, tr("Jo&b Count"));
}

void frmmain::buildAccountsMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Accounts"));
    addUnavailable(menu, tr("&Record Payments"));
    addUnavailable(menu, tr("Rep&ort On Profitability"));
    addUnavailable(menu, tr("Cr&eate Driver Payment Slips"));
    addUnavailable(menu, tr("&Income By Driver"));
}

void frmmain::buildReportingMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("&Reporting"));
    addUnavailable(menu, tr("&Accounts List"));
    addUnavailable(menu, tr("A&ged Debt Report"));
    addUnavailable(menu, tr("&Vehicles"));
    addUnavailable(menu, tr("&Drivers Jobs"));
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
        .arg(QString::fromLatin1(qVersion()), QSysInfo::prettyProductName(),
             m_db.databaseName())
        .arg(currentSchemaVersion());
}

} // namespace velmora
