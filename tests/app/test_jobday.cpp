// A job's day on the demonstration firm, driven as an operator would drive it.
#include "app/boardmodel.h"
#include "app/boardview.h"
#include "app/frmmain.h"
#include "firm/demofirm.h"
#include "jobs/frmjob_management.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "testdatabase.h"

#include <QAbstractItemView>
#include <QBrush>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

using velmora::BoardModel;
using velmora::test::TestDatabase;

namespace {

void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
}

QString focused() { return QApplication::focusWidget()->objectName(); }

} // namespace

class TestJobDay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aJobsDay()
    {
        TestDatabase t;
        QString error;
        QVERIFY2(velmora::firm::addDemoFirm(t.db(), QDate::currentDate(), &error),
                 qPrintable(error));
        const QString driver = t.value(QStringLiteral("select driver_name from drivers "
                                                      "where barred = 0 order by driver_name"))
                                   .toString();
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain window(t.db(), dialogs);
        window.setReportEngine(std::make_unique<velmora::ScriptedReportEngine>());
        window.start();
        window.show();

        // Booked from the keyboard alone.
        for (QAction* action : window.findChildren<QAction*>()) {
            if (action->text() == QStringLiteral("&Input Jobs, Receipts And Paymnts "))
                action->trigger();
        }
        auto* screen = window.findChild<velmora::frmjob_management*>();
        QVERIFY(screen);
        screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen));
        QCOMPARE(focused(), QStringLiteral("txtcustomer"));
        type(QStringLiteral("Ms Acceptance"));
        type(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
        type(QStringLiteral("0005"));
        type(driver);
        type(QStringLiteral("Platform 2"));
        type(QStringLiteral("Harbour Hotel"));
        key(Qt::Key_Tab); // no special instructions
        key(Qt::Key_Tab); // Saloon Car, as proposed
        QCOMPARE(focused(), QStringLiteral("txtpaymtype"));
        type(QStringLiteral("Cash"));
        key(Qt::Key_A, Qt::AltModifier);
        auto* number = screen->findChild<QLineEdit*>(QStringLiteral("txtjobno"));
        QTRY_VERIFY(!number->text().isEmpty());
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join(u'/')));

        // On the board, due today: green.
        BoardModel* board = window.board();
        const auto rowOf = [board] {
            for (int row = 0; row < board->rowCount(); ++row) {
                if (board->data(board->index(row, BoardModel::Passenger), Qt::DisplayRole) ==
                    QStringLiteral("Ms Acceptance"))
                    return row;
            }
            return -1;
        };
        const auto colour = [board](int row) {
            return board->data(board->index(row, BoardModel::StatusColour), Qt::BackgroundRole)
                .value<QBrush>()
                .color();
        };
        QVERIFY(rowOf() >= 0);
        QCOMPARE(colour(rowOf()), QColor(0, 255, 0));

        // Marked on board, then completed, from the board's pop-up menu opened with the
        // Menu key and Shift+F10 and worked by its access keys.
        auto* view = window.findChild<velmora::BoardView*>(QStringLiteral("board"));
        auto* menu = window.findChild<QMenu*>(QStringLiteral("Mypopup2"));
        const QString job = QStringLiteral("A") + number->text();
        auto* line = screen->findChild<QStatusBar*>(QStringLiteral("statusline"));
        QCOMPARE(line->currentMessage(), QStringLiteral("Job %1 added").arg(job));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        view->setFocus();
        view->setCurrentIndex(board->index(rowOf(), BoardModel::Job));
        const auto choose = [menu, view](Qt::Key opening, Qt::KeyboardModifiers modifiers,
                                         Qt::Key entry) {
            QTest::keyClick(view, opening, modifiers);
            QVERIFY(menu->isVisible());
            QTest::keyClick(menu, Qt::Key_U);
            QMenu* status = menu->actions().at(2)->menu();
            QTRY_VERIFY(status->isVisible());
            QTest::keyClick(status, entry);
            QTRY_VERIFY(!menu->isVisible());
        };
        choose(Qt::Key_Menu, Qt::NoModifier, Qt::Key_P);
        QCOMPARE(colour(rowOf()), QColor(255, 128, 0));
        QCOMPARE(window.statusBar()->currentMessage(),
                 QStringLiteral("Job %1: passenger on board").arg(job));
        // Enter opens the job: the job screen, already open, is brought forward with it.
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(window.findChildren<velmora::frmjob_management*>().size(), 1);
        QCOMPARE(screen->findChild<QLineEdit*>(QStringLiteral("txtcustomer"))->text(),
                 QStringLiteral("Ms Acceptance"));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        view->setFocus();
        choose(Qt::Key_F10, Qt::ShiftModifier, Qt::Key_J);
        QCOMPARE(rowOf(), -1);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Job %1 completed").arg(job));
        QCOMPARE(t.value(QStringLiteral("select record_status from jobs where job_id = ?"),
                         {number->text()}),
                 QVariant(QStringLiteral("C")));

        // Receipt and payment lines with discount and VAT, and the job's profit.
        screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen));
        auto* tabs = screen->findChild<QTabWidget*>();
        tabs->setCurrentIndex(1);
        screen->findChild<QWidget*>(QStringLiteral("txttype1"))->setFocus();
        type(QStringLiteral("Fare"));
        key(Qt::Key_Tab);
        type(QStringLiteral("100"));
        type(QStringLiteral("10"));
        key(Qt::Key_Tab); // VAT: Y for a VAT-registered firm
        key(Qt::Key_S, Qt::AltModifier);
        auto* receipts = screen->findChild<QLineEdit*>(QStringLiteral("txtreceiptsnet"));
        QTRY_COMPARE(receipts->text(), QStringLiteral("105.75"));
        QCOMPARE(line->currentMessage(), QStringLiteral("Receipts saved for job %1").arg(job));
        tabs->setCurrentIndex(2);
        screen->findChild<QWidget*>(QStringLiteral("txtpayment1"))->setFocus();
        type(QStringLiteral("Parking"));
        key(Qt::Key_Tab);
        type(QStringLiteral("200"));
        type(QStringLiteral("5"));
        type(QStringLiteral("Y"));
        key(Qt::Key_S, Qt::AltModifier);
        auto* payments = screen->findChild<QLineEdit*>(QStringLiteral("txttotal_cost"));
        QTRY_COMPARE(payments->text(), QStringLiteral("223.25"));
        QCOMPARE(screen->findChild<QLineEdit*>(QStringLiteral("txtproloss"))->text(),
                 QStringLiteral("-117.50"));
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join(u'/')));

        // Found again by a pattern, and loaded from the list.
        tabs->setCurrentIndex(0);
        screen->findChild<QPushButton*>(QStringLiteral("cmdsearch"))->click();
        QCOMPARE(focused(), QStringLiteral("txtscustomer"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ms accep*"));
        key(Qt::Key_Return);
        auto* list = screen->findChild<QAbstractItemView*>(QStringLiteral("List_search"));
        QCOMPARE(list->model()->rowCount(), 1);
        key(Qt::Key_Return);
        QCOMPARE(screen->findChild<QLineEdit*>(QStringLiteral("txtcustomer"))->text(),
                 QStringLiteral("Ms Acceptance"));
        QCOMPARE(screen->findChild<QLineEdit*>(QStringLiteral("txtnetcost1"))->text(),
                 QStringLiteral("105.75"));
        QCOMPARE(screen->findChild<QLineEdit*>(QStringLiteral("txtproloss"))->text(),
                 QStringLiteral("-117.50"));
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join(u'/')));
    }
};

QTEST_MAIN(TestJobDay)
#include "test_jobday.moc"
