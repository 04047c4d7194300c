#include "payroll/frmdriver_payment.h"
#include "payroll/frmoperational_costs.h"
#include "payroll/frmprofit.h"
#include "payrollfirm.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"
#include "screenhelpers.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>

using velmora::ReportEngine;
using velmora::ScriptedDialogs;
using velmora::ScriptedReportEngine;
using velmora::test::child;
using velmora::test::PayrollFirm;
using velmora::test::shownBy;
using velmora::test::TestDatabase;

class TestPayrollScreens : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void driverPaymentWithoutPercentageDrivers()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        ScriptedReportEngine reports;
        velmora::frmdriver_payment screen(t.db(), dialogs, reports);
        screen.show();
        QCOMPARE(dialogs.texts(),
                 QStringList{QStringLiteral("You have no drivers working on a percentage bassis")});
        QCOMPARE(shownBy(dialogs, child<QAction>(screen, QStringLiteral("mnucpd"))),
                 QStringList{QStringLiteral("No drivers working on a percentage bassis ")});
    }

    // Calculate, preview (nothing changes), a failed print (nothing marked), then print.
    void driverPaymentCalculatesAndPrints()
    {
        TestDatabase t;
        PayrollFirm f(t);
        f.income(f.job(f.driver(QStringLiteral("Adams"), 10)), 5000);
        f.income(f.job(f.driver(QStringLiteral("Brown"), 20)), 3000);
        ScriptedDialogs dialogs;
        ScriptedReportEngine reports;
        velmora::frmdriver_payment screen(t.db(), dialogs, reports);
        screen.show();
        auto* start = child<QComboBox>(screen, QStringLiteral("txtstart_driver"));
        auto* gross = child<QLineEdit>(screen, QStringLiteral("txtgross"));
        QCOMPARE(velmora::test::items(start),
                 (QStringList{QStringLiteral("Adams"), QStringLiteral("Brown")}));
        QVERIFY(!gross->isVisible());

        auto* create = child<QAction>(screen, QStringLiteral("mnucpd"));
        dialogs.answers.enqueue(velmora::Dialogs::Answer::Yes);
        QCOMPARE(shownBy(dialogs, create),
                 QStringList{QStringLiteral("Calculate 2 jobs of 2 drivers?")});
        QCOMPARE(start->currentText(), QStringLiteral("Adams"));
        QCOMPARE(gross->text(), QStringLiteral("80.00"));
        QVERIFY(gross->isVisible());
        QCOMPARE(
            shownBy(dialogs, create),
            QStringList{QStringLiteral("No non account jobs where driver gets a percentage ")});

        const QString unreported =
            QStringLiteral("select count(*) from driver_wages where Reported = 'N'");
        child<QPushButton>(screen, QStringLiteral("Command2"))->click();
        reports.failures.enqueue({507, QStringLiteral("No printer")});
        auto* print = child<QPushButton>(screen, QStringLiteral("Command1"));
        print->click();
        QCOMPARE(dialogs.shown.last().title, QStringLiteral("Report Error"));
        QCOMPARE(t.count(unreported), 2);
        print->click();
        QCOMPARE(t.count(unreported), 0);
        QCOMPARE(reports.fileNames(), QStringList(3, QStringLiteral("drvearn.rpt")));
        QCOMPARE(reports.started.first().destination, ReportEngine::Preview);
        QCOMPARE(reports.started.last().destination, ReportEngine::Printer);
    }

    void profitFillsDefaultsAndRefusesNonDates()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        ScriptedReportEngine reports;
        velmora::frmprofit screen(t.db(), dialogs, reports);
        auto* start = child<QLineEdit>(screen, QStringLiteral("txtstartdate"));
        auto* end = child<QLineEdit>(screen, QStringLiteral("txtenddate"));
        auto* go = child<QPushButton>(screen, QStringLiteral("Command1"));

        end->setText(QStringLiteral("31/02/2026"));
        go->click();
        QCOMPARE(start->text(), QStringLiteral("01/11/1999"));
        QCOMPARE(dialogs.texts(),
                 QStringList{QStringLiteral("The end date is not a date: enter it as dd/mm/yyyy")});
        QVERIFY(reports.started.isEmpty());

        end->clear();
        go->click();
        QCOMPARE(end->text(), QStringLiteral("31/12/2005"));
        QCOMPARE(reports.fileNames(), QStringList{QStringLiteral("profitability.rpt")});
        QCOMPARE(reports.started.last().destination, ReportEngine::Printer);
        QCOMPARE(t.value(QStringLiteral("select count(*) from profitability")).toInt(), 0);
    }

    // Add, choose and change, then delete after a yes.
    void operationalCostsAreKept()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::frmoperational_costs screen(t.db(), dialogs);
        screen.show();
        auto* date = child<QLineEdit>(screen, QStringLiteral("txtopcost_date"));
        auto* amount = child<QLineEdit>(screen, QStringLiteral("txtopcost_gross"));
        auto* description = child<QLineEdit>(screen, QStringLiteral("txtopcost_description"));
        auto* list = child<QTableView>(screen, QStringLiteral("grdopcosts"));
        const QString stored = QStringLiteral(
            "select opcost_Date, opcost_gross, opcost_description from operational_cost");

        date->setText(QStringLiteral("1/3/2026"));
        amount->setText(QStringLiteral("twelve"));
        QVERIFY(!screen.addCost());
        amount->setText(QStringLiteral("1,200.5"));
        description->setText(QStringLiteral("Office rent"));
        QVERIFY(screen.addCost());
        QCOMPARE(t.rows(stored), QStringList{QStringLiteral("2026-03-01|12005000|Office rent")});
        QVERIFY(date->text().isEmpty());

        QVERIFY(!screen.updateCost());
        list->setCurrentIndex(list->model()->index(0, 1));
        QCOMPARE(list->model()->index(0, 2).data().toString(), QStringLiteral("1,200.50"));
        QCOMPARE(amount->text(), QStringLiteral("1200.50"));
        amount->setText(QStringLiteral("1300"));
        QVERIFY(screen.updateCost());
        QCOMPARE(t.rows(stored), QStringList{QStringLiteral("2026-03-01|13000000|Office rent")});

        list->setCurrentIndex(list->model()->index(0, 1));
        dialogs.answers.enqueue(velmora::Dialogs::Answer::No);
        QVERIFY(!screen.deleteCost());
        dialogs.answers.enqueue(velmora::Dialogs::Answer::Yes);
        QVERIFY(screen.deleteCost());
        QVERIFY(t.rows(stored).isEmpty());
    }
};

QTEST_MAIN(TestPayrollScreens)
#include "test_payroll_screens.moc"
