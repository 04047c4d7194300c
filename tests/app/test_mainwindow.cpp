#include "app/frmmain.h"
#include "app/screenopener.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "reference/frmtype_table.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

using velmora::test::TestDatabase;

namespace {

// "Menu/Entry" for every entry of the menu bar, with a "-" suffix on disabled ones.
QStringList menuEntries(const QList<QAction*>& actions, const QString& path = {})
{
    QStringList entries;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QString name =
            path.isEmpty() ? action->text() : path + QLatin1Char('/') + action->text();
        if (action->menu())
            entries += menuEntries(action->menu()->actions(), name);
        else
            entries << name + (action->isEnabled() ? QString() : QStringLiteral(" -"));
    }
    return entries;
}

QAction* findEntry(QWidget* window, const QString& text)
{
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// A screen that reports during its opening that it cannot be used.
class RefusingScreen : public QWidget
{
public:
    explicit RefusingScreen(const QString& value)
    {
        auto* flag = new QLineEdit(this);
        flag->setObjectName(QStringLiteral("txtload"));
        flag->hide();
        flag->setText(value);
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuBarAsTheOperatorSeesIt()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain window(t.db(), dialogs);
        QCOMPARE(window.windowTitle(), QStringLiteral("Current Jobs"));
        const QStringList expected = {
            "&Bookings/&Input Jobs, Receipts And Paymnts ",
            "&Bookings/&Load Transfer File",
            "&Bookings/&Jobs Without Costs ",
            "&Administration/&Operational Data/&Account Address Maintenance",
            "&Administration/&Operational Data/&Driver Address Maintenance",
            "&Administration/&Operational Data/&Vehicles",
            "&Administration/&Reference Data/&Payment Type",
            "&Administration/&Reference Data/&Vehicle Types",
            "&Administration/&Reference Data/&Income and Expense Types",
            "&Administration/&Reference Data/&Address Types",
            "&Administration/&Reference Data/&Set Invoice And Job Sheet Parameters",
            "&Administration/&Reference Data/&Operational Costs",
            "&Administration/&Reference Data/&Expiring Documents",
            "&Administration/&Backup And Archive",
            "&Administration/A&udit Trail -",
            "&Management Functions/&Company Name",
            "&Management Functions/&Produce Invoices",
            "&Management Functions/&E-mail Invoices",
            "&Management Functions/&View / Reprint Invoice",
            "&Management Functions/&Jobs Not Invoiced",
            "&Management Functions/&Maintain Users",
            "&Management Functions/Jo&b Count",
            "A&ccounts/&Record Payments",
            "A&ccounts/Rep&ort On Profitability",
            "A&ccounts/Profit And &Loss",
            "A&ccounts/VA&T Return",
            "A&ccounts/Cr&eate Driver Payment Slips",
            "A&ccounts/&Income By Driver",
            "&Reporting/&Accounts List",
            "&Reporting/A&ged Debt Report",
            "&Reporting/&Vehicles",
            "&Reporting/&Drivers Jobs",
            "Help/&About",
            "Help/&Contents",
            "&Exit",
        };
        QCOMPARE(menuEntries(window.menuBar()->actions()), expected);
    }

    void typeTablesOpenFromTheMenu_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("payment") << "&Payment Type"
                                 << "Payment Types";
        QTest::newRow("vehicle") << "&Vehicle Types"
                                 << "Maintain Vehicle Types";
        QTest::newRow("income") << "&Income and Expense Types"
                                << "Maintain Income And Expenditure Types";
        QTest::newRow("address") << "&Address Types"
                                 << "Maintain Address Types";
    }
    void typeTablesOpenFromTheMenu()
    {
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain window(t.db(), dialogs);
        findEntry(&window, entry)->trigger();
        const auto screens = window.findChildren<velmora::frmtype_table*>();
        QCOMPARE(screens.size(), 1);
        QCOMPARE(screens.first()->windowTitle(), caption);
        QVERIFY(screens.first()->isVisible());
        QVERIFY(screens.first()->isWindow());
    }

    void reportEntriesPrint_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("destination");
        QTest::newRow("income") << "A&ccounts/&Income By Driver"
                                << "driverearn.rpt" << 0;
        QTest::newRow("aged debt") << "&Reporting/A&ged Debt Report"
                                   << "ageddebt.rpt" << 1;
        QTest::newRow("vehicles") << "&Reporting/&Vehicles"
                                  << "vehicle.rpt" << 0;
        QTest::newRow("drivers") << "&Reporting/&Drivers Jobs"
                                 << "drivers.rpt" << 0;
    }
    void reportEntriesPrint()
    {
        QFETCH(QString, entry);
        QFETCH(QString, file);
        QFETCH(int, destination);
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain window(t.db(), dialogs);
        auto engine = std::make_unique<velmora::ScriptedReportEngine>();
        velmora::ScriptedReportEngine* reports = engine.get();
        window.setReportEngine(std::move(engine));

        velmora::test::menuEntry(window.menuBar(), entry)->trigger();
        QCOMPARE(reports->fileNames(), QStringList{file});
        QCOMPARE(reports->started.first().destination, destination);
        QVERIFY(dialogs.shown.isEmpty());

        reports->failures.enqueue({505, QStringLiteral("the query failed")});
        velmora::test::menuEntry(window.menuBar(), entry)->trigger();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("505 the query failed")});
        QCOMPARE(dialogs.shown.first().title, QStringLiteral("Report Error"));
        QCOMPARE(dialogs.shown.first().kind, velmora::ScriptedDialogs::Kind::Exclamation);
    }

    // A screen opens once, owned by the main window and centred on it; opened again it is
    // brought forward. The type tables share one class but are four screens.
    void screensOpenOnceCentredOnTheWindow()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain window(t.db(), dialogs);
        window.setGeometry(60, 40, 700, 520); // within the test screen
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        findEntry(&window, QStringLiteral("&Payment Type"))->trigger();
        findEntry(&window, QStringLiteral("&Vehicle Types"))->trigger();
        auto* first = window.findChildren<velmora::frmtype_table*>().value(0);
        QVERIFY(first);
        first->showMinimized();
        findEntry(&window, QStringLiteral("&Payment Type"))->trigger();
        const auto screens = window.findChildren<velmora::frmtype_table*>();
        QCOMPARE(screens.size(), 2);
        QVERIFY(!first->isMinimized());
        for (const QWidget* screen : screens) {
            QVERIFY(screen->isWindow());
            QCOMPARE(screen->parentWidget(), &window);
            const QPoint off = screen->frameGeometry().center() - window.frameGeometry().center();
            QVERIFY2(off.manhattanLength() <= 4,
                     qPrintable(QStringLiteral("%1,%2 off centre").arg(off.x()).arg(off.y())));
        }
    }

    void screenOpenFlags()
    {
        QWidget opener;
        QPointer<QWidget> refused = new RefusingScreen(QStringLiteral("F"));
        QVERIFY(
            !velmora::openScreen(&opener, refused, QStringLiteral("txtload"), QStringLiteral("F")));
        QTRY_VERIFY(refused.isNull()); // closed and deleted
        QPointer<QWidget> usable = new RefusingScreen(QString());
        QVERIFY(
            velmora::openScreen(&opener, usable, QStringLiteral("txtload"), QStringLiteral("F")));
        QVERIFY(usable && usable->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
