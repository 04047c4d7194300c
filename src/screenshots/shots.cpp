#include "shots.h"

#include "app/frmlogin.h"
#include "app/frmmain.h"
#include "data/outputfile.h"
#include "firm/demofirm.h"
#include "invoicing/invoicerun.h"
#include "jobs/frmjob_management.h"
#include "platform/helpwindow.h"
#include "platform/menupath.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QMenuBar>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

#include <limits>

namespace velmora::screenshots {

namespace {

// Picks the first account that has invoices in the ledger's list, as the operator would.
void pickInvoicedAccount(QSqlDatabase& db, QWidget* screen)
{
    QSqlQuery query(db);
    auto* list = screen->findChild<QComboBox*>(QStringLiteral("txtacc_name"));
    if (!list ||
        !query.exec(QStringLiteral("select account_name from accounts where account_id "
                                   "= (select min(account_no) from invoice_header)")) ||
        !query.next())
        return;
    const int index = list->findText(query.value(0).toString());
    if (index < 0)
        return;
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// Loads the first job with receipt lines into the job screen and shows its receipts.
void showReceipts(QSqlDatabase& db, QWidget* screen)
{
    auto* jobs = qobject_cast<frmjob_management*>(screen);
    QSqlQuery query(db);
    if (!jobs ||
        !query.exec(QStringLiteral("select job_prefix, jobnumber from Costs where "
                                   "income_expence = 'I' order by rowid limit 1")) ||
        !query.next())
        return;
    jobs->selectJob({query.value(0).toString(), query.value(1).toLongLong()});
    auto* tabs = screen->findChild<QTabWidget*>();
    for (int index = 0; tabs && index < tabs->count(); ++index) {
        if (tabs->tabText(index).remove(u'&') == QStringLiteral("Receipts"))
            tabs->setCurrentIndex(index);
    }
}

// Lets the window lay itself out and paint, then saves its picture as `path`.
bool save(QWidget* window, const QString& path, QString* error)
{
    if (!QTest::qWaitForWindowExposed(window)) {
        *error = QStringLiteral("The window for %1 was not shown.").arg(path);
        return false;
    }
    QApplication::processEvents();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!window->grab().save(&buffer, "PNG")) {
        *error = QStringLiteral("The picture %1 could not be made.").arg(path);
        return false;
    }
    OutputRules rules;
    rules.replace = true;
    OutputFile file(path, rules);
    if (!file.open(error))
        return false;
    if (file.file().write(png) != png.size()) {
        *error = QStringLiteral("The picture %1 could not be written: %2")
                     .arg(path, file.file().errorString());
        return false;
    }
    return file.commit(error);
}

// The window that `window` owns and shows, other than any in `before`.
QWidget* newWindow(QWidget& window, const QList<QWidget*>& before)
{
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible() && !before.contains(child))
            return child;
    }
    return nullptr;
}

} // namespace

const QList<Shot>& manualShots()
{
    static const QList<Shot> shots = {
        {"frmmain.png", {}, {}},
        {"frmjob_management.png", "&Bookings/&Input Jobs, Receipts And Paymnts ", {}},
        {"costtab.png", "&Bookings/&Input Jobs, Receipts And Paymnts ", showReceipts},
        {"invoicefrm.png", "&Management Functions/&Produce Invoices", {}},
        {"frmaccount_ledger.png", "A&ccounts/&Record Payments", pickInvoicedAccount},
        {"frmaccounts_print.png", "&Reporting/&Accounts List", {}},
        {"frmnot_invoiced.png", "&Management Functions/&Jobs Not Invoiced", {}},
        {"frmdriver_payment.png", "A&ccounts/Cr&eate Driver Payment Slips", {}},
        {"frmprofit.png", "A&ccounts/Rep&ort On Profitability", {}},
        {"frmoperational_costs.png", "&Administration/&Reference Data/&Operational Costs", {}},
        {"frmtransfer.png", "&Bookings/&Load Transfer File", {}},
        {"frmbackup.png", "&Administration/&Backup And Archive", {}},
        {"frmsecurity.png", "&Management Functions/&Maintain Users", {}},
        {"frmaccount.png", "&Administration/&Operational Data/&Account Address Maintenance", {}},
    };
    return shots;
}

bool fillDemoDesk(QSqlDatabase& db, QString* error)
{
    if (!firm::addDemoFirm(db, QDate::currentDate(), error))
        return false;
    InvoiceRunRange range;
    range.endAccount = std::numeric_limits<qint32>::max();
    InvoiceRunResult result;
    return runInvoices(db, range, &result, error);
}

bool takeShots(QSqlDatabase& db, const QString& folder, QString* error,
               const std::function<void(const QString& file)>& done)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("The folder %1 cannot be made.").arg(folder);
        return false;
    }
    const QDir out(folder);
    const auto saved = [&](QWidget* window, const QString& file) {
        if (!save(window, out.filePath(file), error))
            return false;
        if (done)
            done(out.filePath(file));
        return true;
    };

    ScriptedDialogs dialogs;
    {
        frmLogin login(db, dialogs);
        login.show();
        if (!saved(&login, QStringLiteral("frmlogin.png")))
            return false;
    }

    frmmain window(db, dialogs);
    window.setReportEngine(std::make_unique<ScriptedReportEngine>());
    window.resize(1000, 600);
    window.start();
    window.show();
    for (const Shot& shot : manualShots()) {
        QWidget* screen = &window;
        if (!shot.menuPath.isEmpty()) {
            QAction* entry = menuEntry(window.menuBar(), shot.menuPath);
            const QList<QWidget*> before = window.findChildren<QWidget*>();
            if (entry)
                entry->trigger();
            screen = entry ? newWindow(window, before) : nullptr;
            if (!screen) {
                *error = QStringLiteral("The screen of \"%1\" could not be opened.")
                             .arg(QString(shot.menuPath).remove(u'&'));
                return false;
            }
        }
        if (shot.prepare)
            shot.prepare(db, screen);
        if (!saved(screen, shot.file))
            return false;
        if (screen != &window)
            screen->close();
    }
    // The manual itself, as F1 on the ledger opens it.
    HelpWindow* help = window.showHelp(&window);
    help->showSection(QStringLiteral("Taking a payment"));
    return saved(help, QStringLiteral("frmhelp.png"));
}

} // namespace velmora::screenshots
