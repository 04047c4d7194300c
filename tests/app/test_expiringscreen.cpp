#include "app/frmmain.h"
#include "data/dates.h"
#include "platform/scripteddialogs.h"
#include "reference/frmexpiring_documents.h"
#include "reference/frmvehicle_details.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QBrush>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>
#include <QTest>

using velmora::test::TestDatabase;

class TestExpiringScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shownAfterLoginOnlyWhenSomethingIsDue()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain quiet(t.db(), dialogs);
        quiet.showExpiringDue();
        QVERIFY(quiet.findChildren<velmora::frmexpiring_documents*>().isEmpty());

        t.exec(QStringLiteral("insert into vehicles (reg_no, insurance) values ('AB12CDE', ?)"),
               {velmora::storedDate(QDate::currentDate().addDays(5))});
        velmora::frmmain window(t.db(), dialogs);
        window.showExpiringDue();
        const auto screens = window.findChildren<velmora::frmexpiring_documents*>();
        QCOMPARE(screens.size(), 1);
        auto* grid = screens.first()->findChild<QTableView*>(QStringLiteral("grdexpiring"));
        QCOMPARE(grid->model()->rowCount(), 1);
        const QModelIndex first = grid->model()->index(0, 0);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("Within 7 days"));
        QCOMPARE(first.data(Qt::BackgroundRole).value<QColor>(), QColor(255, 215, 160));

        // A picked row opens its vehicle.
        Q_EMIT grid->activated(first);
        const auto vehicles = window.findChildren<velmora::frmvehicle_details*>();
        QCOMPARE(vehicles.size(), 1);
        QCOMPARE(vehicles.first()->findChild<QLineEdit*>(QStringLiteral("txtreg_no"))->text(),
                 QStringLiteral("AB12CDE"));
    }

    void auditTrailOpenToTheHighestLevelOnly()
    {
        TestDatabase t;
        velmora::ScriptedDialogs dialogs;
        velmora::frmmain window(t.db(), dialogs);
        QAction* entry = velmora::menuEntry(window.menuBar(), "&Administration/A&udit Trail");
        for (const char* level : {"Data Input", "Administrator"}) {
            window.setOperatorLevel(QLatin1String(level));
            QVERIFY(!entry->isEnabled());
        }
        window.setOperatorLevel(QStringLiteral("boss"));
        QVERIFY(entry->isEnabled());
    }
};

QTEST_MAIN(TestExpiringScreen)
#include "test_expiringscreen.moc"
