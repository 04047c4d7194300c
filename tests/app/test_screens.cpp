// Every screen as the operator meets it at 1366x768: owned by the window that opened it,
// whole on the screen, with unique access keys and money shown one way; and the questions
// asked before work that cannot be undone or changes that would be lost; every grid can be
// saved as CSV.
#include "app/frmmain.h"
#include "data/operators.h"
#include "firm/demofirm.h"
#include "invoicing/invoicerun.h"
#include "jobs/frmjob_management.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMainWindow>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QWindow>

using velmora::Dialogs;
using velmora::ScriptedDialogs;
using velmora::test::TestDatabase;

namespace {

// The window that `window` owns and shows, other than any in `before`.
QWidget* newWindow(QWidget& window, const QList<QWidget*>& before)
{
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible() && !qobject_cast<QMenu*>(child) &&
            !before.contains(child))
            return child;
    }
    return nullptr;
}

// The letters that are given twice as access keys among `actions`, as "A (&Add, &All)".
QStringList repeatedKeys(const QList<QAction*>& actions)
{
    QMultiHash<QChar, QString> byKey;
    for (QAction* action : actions) {
        const QString text = action->text();
        const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
        if (at >= 0 && action->isVisible())
            byKey.insert(text.at(at + 1).toUpper(), text);
    }
    QStringList repeated;
    for (const QChar key : byKey.uniqueKeys()) {
        if (byKey.count(key) > 1)
            repeated << QString(key) + QStringLiteral(" (") + byKey.values(key).join(u',') + u')';
    }
    return repeated;
}

// Every access key given twice in a menu bar or menu of `window`.
QStringList repeatedKeysOf(const QWidget& window)
{
    QStringList repeated;
    if (const auto* main = qobject_cast<const QMainWindow*>(&window); main && main->menuWidget())
        repeated += repeatedKeys(main->menuWidget()->actions());
    for (const QMenu* menu : window.findChildren<QMenu*>())
        repeated += repeatedKeys(menu->actions());
    return repeated;
}

// The texts that show an amount in another form than 1,234.50.
QStringList oddAmounts(const QWidget& window)
{
    static const QRegularExpression amount(QStringLiteral(R"(^-?[\d,]*\.\d+$)"));
    static const QRegularExpression shown(QStringLiteral(R"(^-?\d{1,3}(,\d{3})*\.\d\d$)"));
    QStringList texts;
    for (const QLineEdit* field : window.findChildren<QLineEdit*>()) {
        // A rate in per cent (the VAT rate's 17.5) is not an amount.
        if (field->isVisible() && !field->objectName().contains(QStringLiteral("rate")))
            texts << field->text();
    }
    for (const QTableView* grid : window.findChildren<QTableView*>()) {
        const QAbstractItemModel* model = grid->model();
        for (int row = 0; model && row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column)
                texts << model->index(row, column).data().toString();
        }
    }
    QStringList odd;
    for (const QString& text : std::as_const(texts)) {
        if (amount.match(text).hasMatch() && !shown.match(text).hasMatch())
            odd << text;
    }
    return odd;
}

// The lists and grids of `window` (not a drop-down's list) beyond the number of "Save as
// CSV..." entries on its pop-up menus, by name.
QStringList gridsWithoutCsv(const QWidget& window)
{
    QStringList grids;
    for (const QAbstractItemView* view : window.findChildren<QAbstractItemView*>()) {
        // Not the parts of Qt's own widgets (a calendar's days, a table's headings).
        if (view->window() == &window && !qobject_cast<const QHeaderView*>(view) &&
            !view->objectName().startsWith(QLatin1String("qt_")))
            grids << QLatin1String(view->metaObject()->className()) + u' ' + view->objectName();
    }
    const qsizetype entries = window.findChildren<QAction*>(QStringLiteral("mnucsv")).size();
    return grids.size() > entries ? grids : QStringList();
}

// The scroll areas of `window` that need a sideways scroll to show what they hold.
QStringList scrolledSideways(const QWidget& window)
{
    QStringList scrolled;
    for (const QAbstractScrollArea* area : window.findChildren<QAbstractScrollArea*>()) {
        if (area->isVisible() && area->horizontalScrollBar()->maximum() > 0)
            scrolled << area->objectName() + QStringLiteral(" by ") +
                            QString::number(area->horizontalScrollBar()->maximum());
    }
    return scrolled;
}

// The two answers to a question, as test data.
void yesAndNo()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

// A demonstration firm, its account jobs invoiced when `invoiced`, and its main window.
struct Desk
{
    explicit Desk(bool invoiced = true)
    {
        QString error;
        if (!velmora::firm::addDemoFirm(t.db(), QDate::currentDate(), &error))
            qFatal("%s", qPrintable(error));
        velmora::InvoiceRunRange range;
        range.endAccount = std::numeric_limits<qint32>::max();
        velmora::InvoiceRunResult result;
        if (invoiced && !velmora::runInvoices(t.db(), range, &result, &error))
            qFatal("%s", qPrintable(error));
        window.setReportEngine(std::make_unique<velmora::ScriptedReportEngine>());
        window.start();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the main window was not shown");
    }

    // Opens the screen of the menu entry `path`; null when none opened.
    QWidget* open(const QString& path)
    {
        const QList<QWidget*> before = window.findChildren<QWidget*>();
        QAction* action = velmora::menuEntry(window.menuBar(), path);
        if (!action)
            qFatal("no menu entry %s", qPrintable(path));
        action->trigger();
        QWidget* screen = newWindow(window, before);
        return screen && QTest::qWaitForWindowExposed(screen) ? screen : nullptr;
    }

    // Opens the screen of `path` and runs its menu entry `run`, answering Yes or No to the
    // question it asks; null when the screen did not open.
    QMainWindow* runAnswering(const QString& path, const QString& run, bool yes)
    {
        auto* screen = static_cast<QMainWindow*>(open(path));
        if (!screen)
            return nullptr;
        dialogs.clear();
        dialogs.answers << (yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        velmora::menuEntry(screen->menuBar(), run)->trigger();
        return screen;
    }

    TestDatabase t;
    ScriptedDialogs dialogs;
    velmora::frmmain window{t.db(), dialogs};
};

} // namespace

class TestScreens : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyScreenAsTheOperatorMeetsIt()
    {
        Desk desk;
        desk.window.setOperatorLevel(velmora::highestOperatorLevel());
        QVERIFY2(repeatedKeysOf(desk.window).isEmpty(),
                 qPrintable(repeatedKeysOf(desk.window).join(u'\n')));
        QVERIFY2(gridsWithoutCsv(desk.window).isEmpty(),
                 qPrintable(gridsWithoutCsv(desk.window).join(u',')));
        const QString ledgerAccount =
            desk.t
                .value(QStringLiteral("select account_name from accounts where account_id = "
                                      "(select min(account_no) from invoice_header)"))
                .toString();
        // Each screen with what it must show first: the ledger an account with invoices.
        const QList<std::pair<QString, std::function<void(QWidget*)>>> screens = {
            {"&Bookings/&Input Jobs, Receipts And Paymnts ", {}},
            {"&Bookings/&Load Transfer File", {}},
            {"&Bookings/&Jobs Without Costs ", {}},
            {"&Administration/&Operational Data/&Account Address Maintenance", {}},
            {"&Administration/&Operational Data/&Driver Address Maintenance", {}},
            {"&Administration/&Operational Data/&Vehicles", {}},
            {"&Administration/&Reference Data/&Payment Type", {}},
            {"&Administration/&Reference Data/&Vehicle Types", {}},
            {"&Administration/&Reference Data/&Income and Expense Types", {}},
            {"&Administration/&Reference Data/&Address Types", {}},
            {"&Administration/&Reference Data/&Set Invoice And Job Sheet Parameters", {}},
            {"&Administration/&Reference Data/&Operational Costs", {}},
            {"&Administration/&Reference Data/&Expiring Documents", {}},
            {"&Administration/A&udit Trail", {}},
            {"&Administration/&Backup And Archive", {}},
            {"&Management Functions/&Company Name", {}},
            {"&Management Functions/&Produce Invoices", {}},
            {"&Management Functions/&E-mail Invoices", {}},
            {"&Management Functions/&Jobs Not Invoiced", {}},
            {"&Management Functions/&Maintain Users", {}},
            {"&Management Functions/Jo&b Count", {}},
            {"A&ccounts/&Record Payments",
             [&ledgerAccount](QWidget* screen) {
                 QVERIFY(velmora::test::pick(
                     velmora::test::child<QComboBox>(*screen, QStringLiteral("txtacc_name")),
                     ledgerAccount));
             }},
            {"A&ccounts/Rep&ort On Profitability", {}},
            {"A&ccounts/Cr&eate Driver Payment Slips", {}},
            {"&Reporting/&Accounts List", {}},
        };
        const QRect desktop(0, 0, 1366, 768);
        for (const auto& [path, prepare] : screens) {
            QWidget* screen = desk.open(path);
            QVERIFY2(screen, qPrintable(path));
            const QByteArray name = path.toUtf8();
            QCOMPARE(screen->parentWidget(), &desk.window);
            QVERIFY2(screen->windowType() == Qt::Dialog, name);
            QVERIFY2(screen->windowHandle()->transientParent() == desk.window.windowHandle(), name);
            QVERIFY2(desktop.contains(screen->frameGeometry()), name);
            if (prepare)
                prepare(screen);
            QApplication::processEvents();
            QVERIFY2(scrolledSideways(*screen).isEmpty(),
                     qPrintable(path + u' ' + scrolledSideways(*screen).join(u',')));
            QVERIFY2(repeatedKeysOf(*screen).isEmpty(),
                     qPrintable(path + u' ' + repeatedKeysOf(*screen).join(u',')));
            QVERIFY2(gridsWithoutCsv(*screen).isEmpty(),
                     qPrintable(path + u' ' + gridsWithoutCsv(*screen).join(u',')));
            QVERIFY2(oddAmounts(*screen).isEmpty(),
                     qPrintable(path + u' ' + oddAmounts(*screen).join(u',')));
            screen->close();
        }
    }

    void invoiceRunAsksWithItsFigures_data() { yesAndNo(); }
    void invoiceRunAsksWithItsFigures()
    {
        QFETCH(bool, yes);
        Desk desk(false);
        const QString due = QStringLiteral(
            "from jobs where account_no > 0 and invoiced = 'N' and exists (select 1 from Costs c "
            "where c.job_prefix = jobs.job_prefix and c.jobnumber = jobs.job_id and "
            "c.income_expence = 'I')");
        const qlonglong jobs = desk.t.count(QStringLiteral("select count(*) ") + due);
        const qlonglong accounts =
            desk.t.count(QStringLiteral("select count(distinct account_no) ") + due);
        QVERIFY(jobs > 1 && accounts > 1);
        QMainWindow* screen =
            desk.runAnswering(QStringLiteral("&Management Functions/&Produce Invoices"),
                              QStringLiteral("&Create Invoices"), yes);
        QVERIFY(screen);
        QCOMPARE(
            desk.dialogs.texts().value(0),
            QStringLiteral("Create invoices for %1 jobs of %2 accounts?").arg(jobs).arg(accounts));
        QCOMPARE(desk.t.count(QStringLiteral("select count(*) from invoice_header")),
                 yes ? accounts : 0);
        if (yes) {
            QVERIFY2(oddAmounts(*screen).isEmpty(), qPrintable(oddAmounts(*screen).join(u',')));
            QVERIFY(screen->statusBar()->currentMessage().startsWith(QStringLiteral("Invoices")));
        }
    }

    void driverPayAsksWithItsFigures_data() { yesAndNo(); }
    void driverPayAsksWithItsFigures()
    {
        QFETCH(bool, yes);
        Desk desk(false);
        const QString due = QStringLiteral("from jobs where calculated = 'N' and record_status = "
                                           "'C' and driver_percentage = 'Y'");
        const qlonglong jobs = desk.t.count(QStringLiteral("select count(*) ") + due);
        const qlonglong drivers =
            desk.t.count(QStringLiteral("select count(distinct driver) ") + due);
        QVERIFY(jobs > 0);
        QVERIFY(desk.runAnswering(QStringLiteral("A&ccounts/Cr&eate Driver Payment Slips"),
                                  QStringLiteral("&Create Payment Details"), yes));
        QCOMPARE(desk.dialogs.texts().value(0),
                 QStringLiteral("Calculate %1 jobs of %2 drivers?").arg(jobs).arg(drivers));
        const qlonglong left = desk.t.count(QStringLiteral("select count(*) ") + due);
        QVERIFY(yes ? left < jobs : left == jobs);
    }

    void closingAsksAboutWhatWouldBeLost_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("linesSaved");
        QTest::newRow("save") << int(Dialogs::Answer::Yes) << true << 1;
        QTest::newRow("drop") << int(Dialogs::Answer::No) << true << 0;
        QTest::newRow("stay") << int(Dialogs::Answer::Cancel) << false << 0;
    }
    void closingAsksAboutWhatWouldBeLost()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(int, linesSaved);
        Desk desk;
        const QStringList key =
            desk.t
                .rows(QStringLiteral("select job_prefix, job_id from jobs where not exists "
                                     "(select 1 from Costs c where c.jobnumber = jobs.job_id "
                                     "and c.job_prefix = jobs.job_prefix) limit 1"))
                .value(0)
                .split(u'|');
        QWidget* screen = desk.open(QStringLiteral("&Bookings/&Input Jobs, Receipts And Paymnts "));
        QVERIFY(screen);
        auto* jobScreen = static_cast<velmora::frmjob_management*>(screen);
        jobScreen->selectJob({key.at(0), key.at(1).toLongLong()});
        const QString type = desk.t
                                 .value(QStringLiteral("select paymenttype from receipt_types "
                                                       "where paymenttype <> 'Credit Note' "
                                                       "limit 1"))
                                 .toString();
        velmora::test::child<QComboBox>(*screen, QStringLiteral("txttype1"))->setEditText(type);
        const auto field = [screen](const char* name) {
            return velmora::test::child<QLineEdit>(*screen, QString::fromLatin1(name));
        };
        field("txtdescription1")->setText(QStringLiteral("Fare"));
        field("txtcost1")->setText(QStringLiteral("12.50"));
        field("txtdiscount1")->setText(QStringLiteral("0"));
        field("txtvat1")->setText(QStringLiteral("N"));

        // Leaving the program asks first, then the screen asks about its lines.
        desk.dialogs.clear();
        desk.dialogs.answers << Dialogs::Answer::Yes << Dialogs::Answer(answer);
        QCOMPARE(desk.window.close(), closed);
        const QStringList asked = desk.dialogs.texts();
        QVERIFY2(asked.value(0).contains(QStringLiteral("Jobs Management Summary")),
                 qPrintable(asked.join(u'\n')));
        QCOMPARE(asked.value(1),
                 QStringLiteral("Save the receipt lines of job %1%2?").arg(key.at(0), key.at(1)));
        QCOMPARE(screen->isVisible(), !closed);
        QCOMPARE(desk.t.count(QStringLiteral("select count(*) from Costs where job_prefix = ? "
                                             "and jobnumber = ?"),
                              {key.at(0), key.at(1).toLongLong()}),
                 qlonglong(linesSaved));
    }

    // Every screen that holds typed changes asks before it closes, naming what would be
    // lost; one that holds none closes without a word.
    void closingAScreenWithTypedChangesAsks_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("question");
        const auto row = [](const char* name, const char* path, const char* field,
                            const char* question) {
            QTest::newRow(name) << QString::fromLatin1(path) << QString::fromLatin1(field)
                                << QString::fromLatin1(question);
        };
        row("booking", "&Bookings/&Input Jobs, Receipts And Paymnts ", "txtcustomer",
            "Add the job you have entered?");
        row("account", "&Administration/&Operational Data/&Account Address Maintenance",
            "txtacc_name", "Save the changes to account Typed?");
        row("driver", "&Administration/&Operational Data/&Driver Address Maintenance",
            "txtacc_name", "Save the changes to driver Typed?");
        row("vehicle", "&Administration/&Operational Data/&Vehicles", "txtreg_no",
            "Save the changes to vehicle Typed?");
        row("payment type", "&Administration/&Reference Data/&Payment Type", "txtpay_type",
            "Add Typed to Payment Types?");
        row("operational cost", "&Administration/&Reference Data/&Operational Costs",
            "txtopcost_description", "Save the operational cost?");
        row("company", "&Management Functions/&Company Name", "txtcompany",
            "Save the company details?");
        row("operator", "&Management Functions/&Maintain Users", "txtuser_name",
            "Save the user Typed?");
    }
    void closingAScreenWithTypedChangesAsks()
    {
        QFETCH(QString, path);
        QFETCH(QString, field);
        QFETCH(QString, question);
        Desk desk;
        QWidget* screen = desk.open(path);
        QVERIFY(screen);
        desk.dialogs.clear();
        QVERIFY(screen->close());
        QVERIFY2(desk.dialogs.texts().isEmpty(), qPrintable(desk.dialogs.texts().join(u'\n')));

        screen = desk.open(path);
        QVERIFY(screen);
        velmora::test::child<QLineEdit>(*screen, field)->setText(QStringLiteral("Typed"));
        desk.dialogs.answers << Dialogs::Answer::Cancel;
        QVERIFY(!screen->close());
        QCOMPARE(desk.dialogs.texts(), QStringList{question});
        QVERIFY(screen->isVisible());
        desk.dialogs.clear();
        desk.dialogs.answers << Dialogs::Answer::No;
        QVERIFY(screen->close());
        QCOMPARE(desk.dialogs.texts(), QStringList{question});
    }

    // Passing through an empty line (its type becomes "None") changes nothing to ask about.
    void closingAfterLookingAsksNothing()
    {
        Desk desk;
        auto* screen = static_cast<velmora::frmjob_management*>(
            desk.open(QStringLiteral("&Bookings/&Input Jobs, Receipts And Paymnts ")));
        QVERIFY(screen);
        QVERIFY(velmora::test::activate(*screen));
        const QStringList key =
            desk.t.rows(QStringLiteral("select job_prefix, job_id from jobs limit 1"))
                .value(0)
                .split(u'|');
        screen->selectJob({key.at(0), key.at(1).toLongLong()});
        screen->findChild<QTabWidget*>()->setCurrentIndex(1);
        auto* type = velmora::test::child<QComboBox>(*screen, QStringLiteral("txttype7"));
        velmora::test::focusOn(type);
        type->setEditText(QString());
        velmora::test::focusOn(
            velmora::test::child<QLineEdit>(*screen, QStringLiteral("txtcost7")));
        QCOMPARE(type->currentText(), QStringLiteral("None"));
        desk.dialogs.clear();
        QVERIFY(screen->close());
        QVERIFY2(desk.dialogs.texts().isEmpty(), qPrintable(desk.dialogs.texts().join(u'\n')));
    }

    // Tab goes round the booking fields from the first, and comes back to it.
    void bookingTabGoesRoundEveryField()
    {
        Desk desk;
        QWidget* screen = desk.open(QStringLiteral("&Bookings/&Input Jobs, Receipts And Paymnts "));
        QVERIFY(screen);
        QVERIFY(velmora::test::activate(*screen));
        velmora::test::child<QLineEdit>(*screen, QStringLiteral("txtjob_prefix"))->setFocus();
        QStringList visited;
        for (int press = 0; press < 40; ++press) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget()->objectName() == QStringLiteral("txtjob_prefix"))
                break;
        }
        QCOMPARE(visited.mid(0, 4),
                 (QStringList{"txtjob_prefix", "txtjobno", "txtcustomer", "txtdate"}));
        QVERIFY2(QApplication::focusWidget()->objectName() == QStringLiteral("txtjob_prefix"),
                 qPrintable(visited.join(u' ')));
    }

    void leavingWithoutScreensAsksNothing()
    {
        Desk desk;
        desk.dialogs.clear();
        QVERIFY(desk.window.close());
        QVERIFY(desk.dialogs.texts().isEmpty());
    }
};

// The screens are tried on a desktop of 1366x768.
int main(int argc, char** argv)
{
    QTemporaryDir folder;
    QFile config(folder.filePath(QStringLiteral("screen.json")));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "Desk", "x": 0, "y": 0, "width": 1366,
            "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
    QApplication app(argc, argv);
    TestScreens test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screens.moc"
