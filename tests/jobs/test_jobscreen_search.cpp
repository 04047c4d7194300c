#include "jobfixture.h"
#include "jobscreen.h"

#include <QAbstractItemView>

using velmora::test::TestDatabase;

namespace {

QStringList rows(QAbstractItemView* list)
{
    const QAbstractItemModel* model = list->model();
    QStringList all;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells.append(model->index(row, column).data().toString());
        all.append(cells.join(u'|'));
    }
    return all;
}

QStringList headings(QAbstractItemView* list)
{
    const QAbstractItemModel* model = list->model();
    QStringList all;
    for (int column = 0; column < model->columnCount(); ++column)
        all.append(model->headerData(column, Qt::Horizontal).toString());
    return all;
}

int rowCount(JobScreen& s) { return s.find<QAbstractItemView>("List_search")->model()->rowCount(); }

} // namespace

class TestJobScreenSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panel()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("cmdsearch");
        QVERIFY(s.find("searchpanel")->isVisible());
        QVERIFY(!s.find("cmdclearall")->isVisible());
        auto* list = s.find<QAbstractItemView>("List_search");
        QCOMPARE(headings(list), (QStringList{"Prefix", "Job Id", "Time", "Date", "Passenger Name",
                                              "Job Type", "Pickup", "Set Down"}));
        QCOMPARE(list->toolTip(),
                 QStringLiteral("Double click left mouse button to select an entry"));
        QCOMPARE(s.find("txtsdate")->toolTip(), QStringLiteral("Enter Pick Up Date"));
        s.press("cmdexitse");
        QVERIFY(!s.find("searchpanel")->isVisible());
        QVERIFY(s.find("cmdclearall")->isVisible());
    }

    void findAndChoose()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("update job_counter set last = 32767"));
        t.addJob("A", QDate(2026, 3, 2), "09:00:00", "Smith", "I", f.saloon, f.driver);
        const int smyth =
            t.addJob("B", QDate(2026, 3, 3), "10:00:00", "Smyth", "C", f.estate, f.driver);
        t.addJob("A", QDate(2026, 3, 4), "11:00:00", "Jones", "I", f.saloon, f.driver);
        t.exec(QStringLiteral("update jobs set payment_type = ?"), {f.cash});
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("cmdsearch");
        s.fill("txtscustomer", "sm*th");
        s.press("cmdsearchgo");
        auto* list = s.find<QAbstractItemView>("List_search");
        QCOMPARE(rows(list),
                 (QStringList{"A|32768|09:00:00|02/03/2026|Smith|Saloon Car|Station|Airport",
                              "B|32769|10:00:00|03/03/2026|Smyth|Estate Car|Station|Airport"}));
        QVERIFY(s.dialogs.busyCount > 0);
        QCOMPARE(s.dialogs.busyDepth, 0);

        // A double-click, as an item view sees it: a click, then the second press.
        const QPoint row = list->visualRect(list->model()->index(1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QVERIFY(!s.find("searchpanel")->isVisible());
        QVERIFY(s.find("cmdclearall")->isVisible());
        QVERIFY(s.find("cmdupd")->isVisible());
        QCOMPARE(s.text("txtjob_prefix"), QStringLiteral("B"));
        QCOMPARE(s.text("txtjobno"), QString::number(smyth));
        QCOMPARE(s.text("txtcustomer"), QStringLiteral("Smyth"));
        QCOMPARE(s.text("txtvtype"), QStringLiteral("Estate Car"));
        // A job added now takes the prefix of the job chosen.
        s.fill("txttime", "1000");
        s.press("Command1");
        QCOMPARE(s.text("txtjob_prefix"), QStringLiteral("B"));
        QCOMPARE(s.text("txtjobno"), QStringLiteral("32771"));
    }

    void chosenByKeyboard()
    {
        TestDatabase t;
        JobFixture f(t);
        t.addJob("A", QDate(2026, 3, 2), "09:00:00", "Mr O'Brien", "I", f.saloon, f.driver);
        t.exec(QStringLiteral("update jobs set account_no = ?, payment_type = ?"),
               {f.obrien, f.byAccount});
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("cmdsearch");
        s.fill("txtsaccount", "O'Brien & Sons");
        s.edit("txtscustomer")->setText(QStringLiteral("Nobody")); // ignored with an account
        s.edit("txtsaccount")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        auto* list = s.find<QAbstractItemView>("List_search");
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(s.focused(), QStringLiteral("List_search"));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(s.text("txtcustomer"), QStringLiteral("Mr O'Brien"));
        QCOMPARE(s.text("txtaccname"), QStringLiteral("%1 : O'Brien & Sons").arg(f.obrien));
    }

    void messages()
    {
        TestDatabase t;
        JobFixture f(t);
        t.addJob("A", QDate(2026, 3, 2), "09:00:00", "Smith", "I", f.saloon, f.driver);
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("cmdsearch");
        s.fill("txtscustomer", "Nobody");
        s.press("cmdsearchgo");
        QCOMPARE(s.dialogs.texts(), QStringList{"No jobs matching search criteria"});
        s.dialogs.clear();
        s.fill("txtscustomer", "");
        s.fill("txtsdate", "32/01/2026");
        s.press("cmdsearchgo");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"Please input the pick up date as day/month/year, e.g. 25/12/2026"});
        QCOMPARE(s.focused(), QStringLiteral("txtsdate"));
        s.fill("txtsdate", "");
        s.press("cmdsearchgo");
        QCOMPARE(rowCount(s), 1);
    }

    void clearOfThePanel()
    {
        TestDatabase t;
        JobFixture f(t);
        t.addJob("A", QDate(2026, 3, 2), "09:00:00", "Smith", "I", f.saloon, f.driver);
        JobScreen s(t);
        QVERIFY(s.open());
        s.fill("txtjob_prefix", "A");
        s.press("cmdsearch");
        s.fill("txtsdriver", "Pete*");
        s.press("cmdsearchgo");
        QCOMPARE(rowCount(s), 1);
        s.press("cmdclear");
        QCOMPARE(rowCount(s), 0);
        QCOMPARE(s.text("txtsdriver"), QString());
        QCOMPARE(s.text("txtjob_prefix"), QString());
    }
};

QTEST_MAIN(TestJobScreenSearch)
#include "test_jobscreen_search.moc"
