// The manual in the program: F1 on every screen opens it at the section about that screen,
// from the pages copied beside the program; every section the screens name is in the
// manual, and every picture it shows is there.
#include "app/frmlogin.h"
#include "app/frmmain.h"
#include "app/helpsections.h"
#include "firm/demofirm.h"
#include "platform/helpwindow.h"
#include "platform/manualfiles.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>

using velmora::HelpWindow;
using velmora::test::TestDatabase;

namespace {

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

bool touch(const QString& path)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly);
}

// Opens the screen of the menu entry `path` of `window`; null when none opened.
QWidget* openFromMenu(QMainWindow& window, const QString& path)
{
    QAction* entry = velmora::test::menuEntry(window.menuBar(), path);
    if (!entry)
        return nullptr;
    const QList<QWidget*> before = window.findChildren<QWidget*>();
    entry->trigger();
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible() && !before.contains(child))
            return child;
    }
    return nullptr;
}

// Makes `window` the active window, as the operator's click would.
bool bringForward(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// The demonstration firm on a main window, its reports scripted.
struct Desk
{
    Desk()
    {
        QString error;
        if (!velmora::firm::addDemoFirm(t.db(), QDate::currentDate(), &error))
            qFatal("%s", qPrintable(error));
        window.setReportEngine(std::make_unique<velmora::ScriptedReportEngine>());
        window.start();
    }

    TestDatabase t;
    velmora::ScriptedDialogs dialogs;
    velmora::frmmain window{t.db(), dialogs};
};

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The test program is not beside the copied pages: name them.
        qputenv("VELMORA_DOCS_DIR", VELMORA_BUILT_DOCS);
    }

    void everyScreensKeyOpensItsSection_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("section");
        const QList<std::pair<const char*, const char*>> rows = {
            {"", "The board of current jobs"},
            {"&Bookings/&Input Jobs, Receipts And Paymnts ", "Booking and dispatching a job"},
            {"&Bookings/&Load Transfer File", "Transfer files"},
            {"&Bookings/&Jobs Without Costs ", "Work lists"},
            {"&Administration/&Operational Data/&Account Address Maintenance", "Reference data"},
            {"&Administration/&Operational Data/&Driver Address Maintenance", "Reference data"},
            {"&Administration/&Operational Data/&Vehicles", "Reference data"},
            {"&Administration/&Reference Data/&Payment Type", "Reference data"},
            {"&Administration/&Reference Data/&Set Invoice And Job Sheet Parameters",
             "Invoicing accounts"},
            {"&Administration/&Reference Data/&Operational Costs",
             "Profitability and running costs"},
            {"&Administration/&Backup And Archive", "Backups and removing old invoices"},
            {"&Management Functions/&Company Name", "Reference data"},
            {"&Management Functions/&Produce Invoices", "Invoicing accounts"},
            {"&Management Functions/&E-mail Invoices", "E-mailing invoices"},
            {"&Management Functions/&Jobs Not Invoiced", "Work lists"},
            {"&Management Functions/&Maintain Users", "Operators"},
            {"&Management Functions/Jo&b Count", "Work lists"},
            {"A&ccounts/&Record Payments", "Taking a payment"},
            {"A&ccounts/Rep&ort On Profitability", "Profitability and running costs"},
            {"A&ccounts/Cr&eate Driver Payment Slips", "Paying drivers"},
            {"&Reporting/&Accounts List", "Statements and aged debt"},
        };
        for (const auto& [path, section] : rows)
            QTest::newRow(*path ? path : "board") << QString::fromUtf8(path) << section;
    }

    void everyScreensKeyOpensItsSection()
    {
        QFETCH(QString, path);
        QFETCH(QString, section);
        Desk desk;
        velmora::frmmain& window = desk.window;
        QVERIFY(velmora::test::activate(window));
        QWidget* screen = &window;
        if (!path.isEmpty()) {
            screen = openFromMenu(window, path);
            QVERIFY2(screen, qPrintable(path));
            // A screen counts as active while its owner is: wait for it to be the one.
            QVERIFY(bringForward(screen));
        }
        QTest::keyClick(screen->focusWidget() ? screen->focusWidget() : screen, Qt::Key_F1);
        auto* help = window.findChild<HelpWindow*>();
        QVERIFY2(help && help->isVisible(), qPrintable(path));
        QCOMPARE(help->currentSection(), section);
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Taking a payment")));

        // Once open, the manual is reused and moves to the next screen's section.
        QVERIFY(bringForward(&window));
        QTest::keyClick(&window, Qt::Key_F1);
        QCOMPARE(window.findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(help->currentSection(), QStringLiteral("The board of current jobs"));
        // Leaving with only the manual open asks nothing.
        for (QWidget* child : window.findChildren<QWidget*>()) {
            if (child->isWindow() && child != help)
                child->close();
        }
        desk.dialogs.clear();
        QVERIFY(window.close());
        QVERIFY(desk.dialogs.texts().isEmpty());
    }

    void thePartOfTheJobScreenInUseHasItsSection()
    {
        Desk desk;
        velmora::frmmain& window = desk.window;
        QVERIFY(velmora::test::activate(window));
        QWidget* screen =
            openFromMenu(window, QStringLiteral("&Bookings/&Input Jobs, Receipts And Paymnts "));
        QVERIFY(screen && bringForward(screen));
        auto* tabs = screen->findChild<QTabWidget*>();
        QVERIFY(tabs);
        const QList<std::pair<QString, QString>> parts = {
            {QStringLiteral("Receipts"), QStringLiteral("Costing a job")},
            {QStringLiteral("Payments Made"), QStringLiteral("Costing a job")},
            {QStringLiteral("Profitability"), QStringLiteral("Costing a job")},
            {QStringLiteral("Booking"), QStringLiteral("Booking and dispatching a job")},
        };
        for (const auto& [tab, section] : parts) {
            int index = 0;
            while (index < tabs->count() && tabs->tabText(index).remove(u'&') != tab)
                ++index;
            QVERIFY2(index < tabs->count(), qPrintable(tab));
            tabs->setCurrentIndex(index);
            QWidget* field = tabs->currentWidget()->findChild<QLineEdit*>();
            QVERIFY2(field, qPrintable(tab));
            field->setFocus();
            // A tab may move the focus on to its first line: anywhere in the tab will do.
            QTRY_VERIFY(tabs->currentWidget()->isAncestorOf(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
            auto* help = window.findChild<HelpWindow*>();
            QVERIFY(help);
            QCOMPARE(help->currentSection(), section);
            QVERIFY(bringForward(screen));
        }
    }

    void theLoginWindowsKeyOpensItsSection()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmLogin login(t.db(), dialogs);
        QVERIFY(velmora::test::activate(login));
        QTest::keyClick(login.focusWidget() ? login.focusWidget() : &login, Qt::Key_F1);
        auto* help = login.findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->currentSection(), QStringLiteral("Logging in"));
    }

    void everyNamedSectionAndPictureIsInTheManual()
    {
        const QString folder = QStringLiteral(VELMORA_DOCS_SOURCE);
        const QString manual = readText(velmora::manualPage(folder));
        const QStringList headings = velmora::markdownHeadings(manual);
        for (const velmora::HelpSection& section : velmora::helpSections())
            QVERIFY2(headings.contains(section.heading), section.screen);
        static const QRegularExpression picture(QStringLiteral(R"(!\[[^\]]*\]\(([^)]+)\))"));
        int pictures = 0;
        for (const QRegularExpressionMatch& match : picture.globalMatch(manual)) {
            ++pictures;
            QVERIFY2(QFileInfo(QDir(folder).filePath(match.captured(1))).isFile(),
                     qPrintable(match.captured(1)));
        }
        QVERIFY(pictures >= 14);
    }

    void headingsAreReadAsShown()
    {
        QCOMPARE(velmora::markdownHeadings(QStringLiteral(
                     "# Top\ntext\n## Two words ##\n```\n# not a heading\n```\n#no\n### Three")),
                 (QStringList{"Top", "Two words", "Three"}));
    }

    void theManualIsFoundBesideABuildAndAnInstalledProgram()
    {
        qunsetenv("VELMORA_DOCS_DIR");
        QTemporaryDir root;
        const QString build = root.filePath(QStringLiteral("build/bin"));
        const QString installed = root.filePath(QStringLiteral("usr/bin"));
        QVERIFY(QDir().mkpath(build) && QDir().mkpath(installed));
        QCOMPARE(velmora::manualFolder(build), QString());
        QVERIFY(touch(root.filePath(QStringLiteral("build/bin/docs/manual.md"))));
        QVERIFY(touch(root.filePath(QStringLiteral("usr/share/velmora/docs/manual.md"))));
        QCOMPARE(velmora::manualFolder(build), QDir(build).filePath(QStringLiteral("docs")));
        QCOMPARE(velmora::manualFolder(installed),
                 root.filePath(QStringLiteral("usr/share/velmora/docs")));
        qputenv("VELMORA_DOCS_DIR", VELMORA_BUILT_DOCS);
        QCOMPARE(velmora::manualFolder(installed), QStringLiteral(VELMORA_BUILT_DOCS));

        // A missing manual is said in the window, not left blank.
        HelpWindow help(root.filePath(QStringLiteral("nowhere")));
        QVERIFY(!help.showSection(QStringLiteral("Taking a payment")));
        QVERIFY(help.browser()->toPlainText().contains(QStringLiteral("manual.md is missing")));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
