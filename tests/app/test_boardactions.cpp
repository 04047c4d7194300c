#include "app/boardactions.h"
#include "app/boardmodel.h"
#include "app/boardview.h"
#include "app/frmmain.h"
#include "jobs/frmjob_management.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "testdatabase.h"

#include <QBrush>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

using velmora::BoardModel;
using velmora::ScriptedDialogs;
using velmora::test::TestDatabase;

namespace {

const QColor kOrange(255, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

QAction* entry(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu()) {
            if (QAction* found = entry(action->menu(), text))
                return found;
        }
    }
    return nullptr;
}

// The main window on a database, its board filled, with a scripted report engine.
struct Board
{
    explicit Board(TestDatabase& t) : window(t.db(), dialogs)
    {
        auto engine = std::make_unique<velmora::ScriptedReportEngine>();
        reports = engine.get();
        window.setReportEngine(std::move(engine));
        window.start();
        view = window.findChild<velmora::BoardView*>(QStringLiteral("board"));
        menu = window.findChild<QMenu*>(QStringLiteral("Mypopup2"));
    }

    BoardModel* model() const { return window.board(); }
    // The row of the board showing `passenger`, -1 when none does.
    int rowOf(const QString& passenger) const
    {
        for (int row = 0; row < model()->rowCount(); ++row) {
            if (cell(row, BoardModel::Passenger) == passenger)
                return row;
        }
        return -1;
    }
    QString cell(int row, int column) const
    {
        return model()->data(model()->index(row, column), Qt::DisplayRole).toString();
    }
    QColor colour(int row) const
    {
        return model()
            ->data(model()->index(row, BoardModel::StatusColour), Qt::BackgroundRole)
            .value<QBrush>()
            .color();
    }
    // Makes the row of `passenger` (or `row`) current and picks `text` from the pop-up menu.
    void act(int row, const QString& text)
    {
        view->setCurrentIndex(model()->index(row, BoardModel::Job));
        entry(menu, text)->trigger();
    }
    void act(const QString& passenger, const QString& text) { act(rowOf(passenger), text); }

    ScriptedDialogs dialogs;
    velmora::frmmain window;
    velmora::ScriptedReportEngine* reports = nullptr;
    velmora::BoardView* view = nullptr;
    QMenu* menu = nullptr;
};

QString status(TestDatabase& t, const QString& prefix, int number)
{
    return t
        .value(QStringLiteral("select record_status from jobs where job_prefix = ? and job_id = ?"),
               {prefix, number})
        .toString();
}

} // namespace

class TestBoardActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuEntries()
    {
        TestDatabase t;
        Board b(t);
        QVERIFY(b.menu);
        QStringList captions;
        for (QAction* action : b.menu->actions()) {
            captions.append(action->text());
            if (action->menu()) {
                for (QAction* inner : action->menu()->actions())
                    captions.append(QStringLiteral("  ") + inner->text());
            }
        }
        QCOMPARE(captions, (QStringList{"&Maintain Job Details", "&Create Paging Board",
                                        "&Update Booking Status", "  &Passenger On Board",
                                        "  &Reset Passenger On Board", "  &Job Completed",
                                        "  Re-set Job &Complete", "&Save as CSV..."}));
    }

    void rightClickChoosesTheRowAndOpensTheMenu()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addJob("A", QDate::currentDate(), "08:00:00", "First", "I", saloon);
        t.addJob("A", QDate::currentDate(), "09:00:00", "Second", "I", saloon);
        Board b(t);
        b.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b.window));
        const QPoint at = b.view->visualRect(b.model()->index(1, BoardModel::Passenger)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, b.view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(b.view->viewport(), &click);
        QCOMPARE(b.view->currentIndex().row(), 1);
        QVERIFY(b.menu->isVisible());
        b.menu->close();
    }

    // The keyboard reaches every action: the Menu key and Shift+F10 open the pop-up menu on
    // the current row, whose access keys lead to the status changes; Enter opens the job.
    // The row's colour shows at once although the row is selected.
    void keyboardAlone()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addDriver(QStringLiteral("Pete Walsh"));
        t.exec(QStringLiteral("insert into payment_types (paymentdescription) values ('Cash')"));
        t.exec(QStringLiteral("insert into receipt_types (paymenttype) values ('Fare')"));
        t.addJob("A", QDate::currentDate(), "08:00:00", "First", "I", saloon);
        const int number = t.addJob("A", QDate::currentDate(), "09:00:00", "Second", "I", saloon);
        Board b(t);
        b.window.resize(1000, 400);
        b.window.show();
        b.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&b.window));
        b.view->setFocus();
        b.view->setCurrentIndex(b.model()->index(0, BoardModel::Job));
        QTest::keyClick(b.view, Qt::Key_Down);
        QCOMPARE(b.view->currentIndex().row(), 1);
        QMenu* statusMenu = entry(b.menu, QStringLiteral("&Update Booking Status"))->menu();

        QTest::keyClick(b.view, Qt::Key_Menu);
        QVERIFY(b.menu->isVisible());
        QTest::keyClick(b.menu, Qt::Key_U);
        QTRY_VERIFY(statusMenu->isVisible());
        QTest::keyClick(statusMenu, Qt::Key_P);
        QTRY_VERIFY(!b.menu->isVisible());
        QCOMPARE(status(t, "A", number), QStringLiteral("P"));
        QCOMPARE(b.window.statusBar()->currentMessage(),
                 QStringLiteral("Job A%1: passenger on board").arg(number));
        QVERIFY(b.view->selectionModel()->isRowSelected(1));
        const QRect cell = b.view->visualRect(b.model()->index(1, BoardModel::StatusColour));
        QCOMPARE(b.view->viewport()->grab().toImage().pixelColor(cell.center()), kOrange);

        QTest::keyClick(b.view, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(b.menu->isVisible());
        b.menu->close();

        QTest::keyClick(b.view, Qt::Key_Return);
        auto* screen = b.window.findChild<velmora::frmjob_management*>();
        QVERIFY(screen && screen->isVisible());
        QCOMPARE(screen->findChild<QLineEdit*>("txtcustomer")->text(), QStringLiteral("Second"));
        // Enter on another row brings the open job screen forward with that job.
        b.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&b.window));
        QTest::keyClick(b.view, Qt::Key_Up);
        QTest::keyClick(b.view, Qt::Key_Enter);
        QCOMPARE(b.window.findChildren<velmora::frmjob_management*>().size(), 1);
        QCOMPARE(screen->findChild<QLineEdit*>("txtcustomer")->text(), QStringLiteral("First"));
        QVERIFY2(b.dialogs.shown.isEmpty(), qPrintable(b.dialogs.texts().join(u'/')));
    }

    void passengerOnBoardInPlace()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int number =
            t.addJob("A", QDate::currentDate(), "08:00:00", "Mrs Green", "I", saloon);
        t.addJob("A", QDate::currentDate().addDays(2), "08:00:00", "Mr Red", "I", saloon);
        Board b(t);
        QCOMPARE(b.colour(b.rowOf("Mrs Green")), kGreen);
        // Changed behind the board's back: the row is not read again.
        t.exec(QStringLiteral("update jobs set passenger_name = 'Renamed' where job_id = ?"),
               {number});
        b.act("Mrs Green", "&Passenger On Board");
        const int row = b.rowOf("Mrs Green");
        QVERIFY(row >= 0);
        QCOMPARE(b.cell(row, BoardModel::Status), QStringLiteral("P"));
        QCOMPARE(b.colour(row), kOrange);
        QCOMPARE(status(t, "A", number), QStringLiteral("P"));
        b.act("Mr Red", "&Passenger On Board");
        QCOMPARE(b.colour(b.rowOf("Mr Red")), kOrange);
        QVERIFY(b.dialogs.shown.isEmpty());
    }

    void resetPassengerOnBoardRebuilds()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int number =
            t.addJob("A", QDate::currentDate().addDays(1), "08:00:00", "Never Aboard", "I", saloon);
        Board b(t);
        b.act("Never Aboard", "&Reset Passenger On Board");
        QCOMPARE(status(t, "A", number), QStringLiteral("B"));
        const int row = b.rowOf("Never Aboard");
        QCOMPARE(b.cell(row, BoardModel::Status), QStringLiteral("B"));
        QCOMPARE(b.colour(row), kRed);
        QVERIFY(b.dialogs.shown.isEmpty());
    }

    void completedAndBackAgain()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.exec(QStringLiteral("update job_counter set last = 40000"));
        const int number =
            t.addJob("A", QDate::currentDate(), "08:00:00", "Done Soon", "P", saloon);
        t.addJob("A", QDate::currentDate(), "09:00:00", "Still Here", "I", saloon);
        QCOMPARE(number, 40001);
        Board b(t);
        b.act("Done Soon", "&Job Completed");
        QCOMPARE(status(t, "A", number), QStringLiteral("C"));
        QCOMPARE(b.rowOf("Done Soon"), -1);
        QCOMPARE(b.model()->rowCount(), 2);

        b.dialogs.inputs.enqueue(QStringLiteral("40001"));
        b.act(0, "Re-set Job &Complete");
        QCOMPARE(b.dialogs.shown.size(), 1);
        QCOMPARE(b.dialogs.shown.first().kind, ScriptedDialogs::Kind::Input);
        QCOMPARE(b.dialogs.shown.first().text, QStringLiteral("Please supply job number "));
        QCOMPARE(b.dialogs.shown.first().title, QStringLiteral("Velmora"));
        QCOMPARE(status(t, "A", number), QStringLiteral("P"));
        const int row = b.rowOf("Done Soon");
        QVERIFY(row >= 0);
        QCOMPARE(b.colour(row), kOrange);
    }

    void lastJobCompletedEmptiesTheBoard()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addJob("A", QDate::currentDate(), "08:00:00", "Only One", "I", saloon);
        Board b(t);
        b.act("Only One", "&Job Completed");
        QCOMPARE(b.dialogs.texts(), QStringList{"No currently outstanding jobs"});
        QCOMPARE(b.model()->rowCount(), 1);
    }

    void resetJobCompleteAsksForThePrefix()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int number = t.addJob("A", QDate::currentDate(), "08:00:00", "Prefix A", "C", saloon);
        t.exec(
            QStringLiteral("insert into jobs (job_prefix, job_id, date, time, passenger_name, "
                           "address_from, address_to, record_status, vehicle_type) "
                           "select 'B', job_id, date, time, 'Prefix B', address_from, address_to, "
                           "'C', vehicle_type from jobs"));
        t.addJob("A", QDate::currentDate(), "09:00:00", "Other", "I", saloon);
        Board b(t);
        b.dialogs.inputs.enqueue(QString::number(number));
        b.dialogs.inputs.enqueue(QStringLiteral("b"));
        b.act(0, "Re-set Job &Complete");
        QCOMPARE(b.dialogs.texts().last(),
                 QStringLiteral("Job %1 exists with prefixes A, B. Please supply the job prefix ")
                     .arg(number));
        QCOMPARE(status(t, "A", number), QStringLiteral("C"));
        QCOMPARE(status(t, "B", number), QStringLiteral("P"));
        QVERIFY(b.rowOf("Prefix B") >= 0);

        b.dialogs.inputs.enqueue(QString::number(number));
        b.dialogs.inputs.enqueue(QStringLiteral("Z"));
        b.act(0, "Re-set Job &Complete");
        QCOMPARE(status(t, "A", number), QStringLiteral("C"));
    }

    void resetJobCompleteIgnoresNonsense_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << false << "";
        QTest::newRow("empty") << true << "";
        QTest::newRow("not a number") << true << "twelve";
        QTest::newRow("zero") << true << "0";
        QTest::newRow("no such job") << true << "999";
    }
    void resetJobCompleteIgnoresNonsense()
    {
        QFETCH(bool, answered);
        QFETCH(QString, answer);
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int number = t.addJob("A", QDate::currentDate(), "08:00:00", "Done", "C", saloon);
        Board b(t);
        b.dialogs.clear();
        b.dialogs.inputs.enqueue(answered ? std::optional<QString>(answer) : std::nullopt);
        b.act(0, "Re-set Job &Complete");
        QCOMPARE(b.dialogs.shown.size(), 1); // the question alone
        QCOMPARE(status(t, "A", number), QStringLiteral("C"));
    }

    void theEmptyRowHasNoJob()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int number = t.addJob("A", QDate::currentDate(), "08:00:00", "Only", "I", saloon);
        Board b(t);
        const int empty = b.model()->rowCount() - 1;
        b.act(empty, "&Passenger On Board");
        b.act(empty, "&Create Paging Board");
        b.act(empty, "&Maintain Job Details");
        QCOMPARE(status(t, "A", number), QStringLiteral("I"));
        QVERIFY(b.reports->started.isEmpty());
        QVERIFY(b.window.findChildren<velmora::frmjob_management*>().isEmpty());
        QVERIFY(b.dialogs.shown.isEmpty());
    }

    void statusFollowsThePrefix()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        const int number = t.addJob("A", QDate::currentDate(), "08:00:00", "Prefix A", "I", saloon);
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, date, time, passenger_name, "
                              "address_from, address_to, record_status, vehicle_type) "
                              "select 'T', job_id, date, '09:00:00', 'Prefix T', address_from, "
                              "address_to, 'I', vehicle_type from jobs"));
        Board b(t);
        b.act("Prefix T", "&Passenger On Board");
        QCOMPARE(status(t, "T", number), QStringLiteral("P"));
        QCOMPARE(status(t, "A", number), QStringLiteral("I"));
        b.act("Prefix A", "&Job Completed");
        QCOMPARE(status(t, "A", number), QStringLiteral("C"));
        QCOMPARE(status(t, "T", number), QStringLiteral("P"));
    }

    void pagingBoard()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addJob("A", QDate::currentDate(), "08:00:00", "Mr O'Neill", "I", saloon);
        t.addJob("A", QDate::currentDate(), "09:00:00", "Ms Page", "I", saloon);
        Board b(t);
        b.act("Mr O'Neill", "&Create Paging Board");
        b.act("Ms Page", "&Create Paging Board");
        QCOMPARE(t.value(QStringLiteral("select count(*) from jobboard")).toInt(), 1);
        QCOMPARE(t.value(QStringLiteral("select \"Customer Name\" from jobboard")),
                 QVariant(QStringLiteral("Ms Page")));
        QCOMPARE(b.reports->fileNames(), (QStringList{"pageboard.rpt", "pageboard.rpt"}));
        QCOMPARE(b.reports->started.first().destination, velmora::ReportEngine::Printer);
        QCOMPARE(b.dialogs.shown.size(), 2);
        QCOMPARE(b.dialogs.shown.first().kind, ScriptedDialogs::Kind::Plain);
        QCOMPARE(b.dialogs.shown.first().text, QStringLiteral("Paging Board Printed"));
        QCOMPARE(b.dialogs.shown.first().title, QStringLiteral("Velmora"));

        b.dialogs.clear();
        b.reports->failures.enqueue(
            {velmora::reports::ReportError::FileMissing, QStringLiteral("No report file")});
        b.act("Mr O'Neill", "&Create Paging Board");
        QCOMPARE(b.dialogs.shown.size(), 1);
        QCOMPARE(b.dialogs.shown.first().kind, ScriptedDialogs::Kind::Exclamation);
        QCOMPARE(b.dialogs.shown.first().title, QStringLiteral("Report Error"));
        QCOMPARE(b.dialogs.shown.first().text, QStringLiteral("501 No report file"));
        QCOMPARE(t.value(QStringLiteral("select \"Customer Name\" from jobboard")),
                 QVariant(QStringLiteral("Mr O'Neill")));
    }

    void maintainJobDetailsOpensTheJob()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addDriver(QStringLiteral("Pete Walsh"));
        t.exec(QStringLiteral("insert into payment_types (paymentdescription) values ('Cash')"));
        t.exec(QStringLiteral("insert into receipt_types (paymenttype) values ('Fare')"));
        t.exec(QStringLiteral("update job_counter set last = 32767"));
        const int number = t.addJob("B", QDate::currentDate(), "08:00:00", "Mrs Edit", "I", saloon);
        Board b(t);
        b.act("Mrs Edit", "&Maintain Job Details");
        const auto screens = b.window.findChildren<velmora::frmjob_management*>();
        QCOMPARE(screens.size(), 1);
        velmora::frmjob_management* screen = screens.first();
        QVERIFY(screen->isVisible());
        QCOMPARE(screen->findChild<QLineEdit*>("txtjob_prefix")->text(), QStringLiteral("B"));
        QCOMPARE(screen->findChild<QLineEdit*>("txtjobno")->text(), QString::number(number));
        QCOMPARE(screen->findChild<QLineEdit*>("txtcustomer")->text(), QStringLiteral("Mrs Edit"));
        QVERIFY2(b.dialogs.shown.isEmpty(), qPrintable(b.dialogs.texts().join(u'/')));
    }

    void jobScreenFromTheMenu()
    {
        TestDatabase t;
        const int saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addJob("A", QDate::currentDate(), "08:00:00", "Shown", "I", saloon);
        Board b(t);
        QAction* open = nullptr;
        for (QAction* action : b.window.findChildren<QAction*>()) {
            if (action->text() == QStringLiteral("&Input Jobs, Receipts And Paymnts "))
                open = action;
        }
        QVERIFY(open);
        open->trigger(); // no drivers: the screen says so and is closed again
        QCOMPARE(b.dialogs.texts(),
                 QStringList{"You must set up your drivers before entering jobs"});
        QTRY_VERIFY(b.window.findChildren<velmora::frmjob_management*>().isEmpty());

        t.addDriver(QStringLiteral("Pete Walsh"));
        t.exec(QStringLiteral("insert into payment_types (paymentdescription) values ('Cash')"));
        b.dialogs.clear();
        open->trigger();
        const auto screens = b.window.findChildren<velmora::frmjob_management*>();
        QCOMPARE(screens.size(), 1);
        QVERIFY(screens.first()->isVisible());
        QVERIFY(b.dialogs.shown.isEmpty());
        // A job added there is on the board at once.
        auto* screen = screens.first();
        const auto set = [screen](const char* name, const QString& text) {
            screen->findChild<QLineEdit*>(name)->setText(text);
        };
        set("txtcustomer", QStringLiteral("New Arrival"));
        set("txtdate", QDate::currentDate().addDays(3).toString(QStringLiteral("dd/MM/yyyy")));
        set("txttime", QStringLiteral("1200"));
        set("txtpickup", QStringLiteral("Here"));
        set("txtdrop", QStringLiteral("There"));
        screen->findChild<QComboBox*>("txtdriver")->setEditText(QStringLiteral("Pete Walsh"));
        screen->findChild<QComboBox*>("txtpaymtype")->setEditText(QStringLiteral("Cash"));
        screen->findChild<QPushButton*>("Command1")->click();
        QVERIFY2(b.dialogs.shown.isEmpty(), qPrintable(b.dialogs.texts().join(u'/')));
        const int row = b.rowOf("New Arrival");
        QVERIFY(row >= 0);
        QCOMPARE(b.colour(row), kRed);
    }
};

QTEST_MAIN(TestBoardActions)
#include "test_boardactions.moc"
