// The work lists: jobs not invoiced, jobs without costs and the job count.

#include "invoicerows.h"
#include "invoicing/frmjobs_in_range.h"
#include "invoicing/frmnoncosted.h"
#include "invoicing/frmnot_invoiced.h"
#include "invoicing/worklists.h"
#include "screenhelpers.h"

#include <QSignalSpy>
#include <QTableView>
#include <QTreeView>

using namespace velmora;
using namespace velmora::test;

namespace {

// Every row of a view's model, its columns joined by "|".
QStringList shownRows(const QAbstractItemView& view)
{
    QStringList rows;
    const QAbstractItemModel* model = view.model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

void addCost(TestDatabase& t, const QString& prefix, qint64 job, const QString& side)
{
    t.exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, income_expence) "
                          "values (?, ?, 1, ?)"),
           {prefix, job, side});
}

// Sets a job's account and invoiced flag.
void onAccount(TestDatabase& t, qint64 job, qint64 account, const QString& invoiced)
{
    t.exec(QStringLiteral("update jobs set account_no = ?, invoiced = ? where job_id = ?"),
           {account, invoiced, job});
}

} // namespace

class TestWorkLists : public QObject
{
    Q_OBJECT

private slots:
    void jobsNotInvoiced()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        {
            frmnot_invoiced empty(t.db(), dialogs);
            empty.show();
            QCOMPARE(dialogs.texts(), QStringList{"All jobs invoiced"});
            QCOMPARE(dialogs.shown.first().title, QStringLiteral("Velmora"));
        }
        const int type = t.addVehicleType(QStringLiteral("Saloon"));
        const qint64 zeta = addAccount(t, QStringLiteral("Zeta Ltd"));
        const qint64 acme = addAccount(t, QStringLiteral("Acme"));
        const QDate day(2026, 12, 1);
        QList<qint64> jobs;
        for (int i = 0; i < 6; ++i)
            jobs << t.addJob(QStringLiteral("A"), day, QStringLiteral("10:00:00"),
                             QStringLiteral("P"), QStringLiteral("C"), type);
        onAccount(t, jobs[0], zeta, QStringLiteral("N"));
        onAccount(t, jobs[1], acme, QStringLiteral("N"));
        onAccount(t, jobs[2], acme, QStringLiteral("Y"));
        onAccount(t, jobs[3], 0, QStringLiteral(" "));
        onAccount(t, jobs[4], 99, QStringLiteral("N")); // its account row is missing
        onAccount(t, jobs[5], acme, QStringLiteral("N"));
        dialogs.clear();
        frmnot_invoiced screen(t.db(), dialogs);
        screen.show();
        QCOMPARE(screen.windowTitle(), QStringLiteral("Accounts With Jobs Not Invoiced"));
        QCOMPARE(dialogs.texts(), QStringList());
        const auto* list = child<QTreeView>(screen, QStringLiteral("ListView1"));
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Grid No"));
        const QString id = QStringLiteral("%1|%2|Accounts Dept|%3");
        QCOMPARE(shownRows(*list), (QStringList{id.arg(1).arg("Acme").arg(jobs[1]),
                                                id.arg(2).arg("Acme").arg(jobs[5]),
                                                id.arg(3).arg("Zeta Ltd").arg(jobs[0]),
                                                QStringLiteral("4|||%1").arg(jobs[4])}));
        // Read a row at a time, the list's rows are the same, the missing account's last.
        QString error;
        const std::unique_ptr<RowSource> source = velmora::jobsNotInvoiced(t.db(), &error);
        QVERIFY2(source, qPrintable(error));
        QList<QStringList> rows;
        while (!source->atEnd())
            QVERIFY2(source->read(1, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.last(), (QStringList{"4", QString(), QString(), QString::number(jobs[4])}));
    }

    void jobsWithoutCosts()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        const int type = t.addVehicleType(QStringLiteral("Saloon"));
        const QDate day(2026, 12, 1);
        const auto job = [&](const QString& prefix, int days, const QString& status) {
            return t.addJob(prefix, day.addDays(days), QStringLiteral("09:15:00"),
                            QStringLiteral("Mrs Hart"), status, type);
        };
        const qint64 costed = job(QStringLiteral("A"), 0, QStringLiteral("C"));
        const qint64 expenseOnly = job(QStringLiteral("A"), 0, QStringLiteral("C"));
        addCost(t, QStringLiteral("A"), costed, QStringLiteral("I"));
        addCost(t, QStringLiteral("A"), expenseOnly, QStringLiteral("E"));
        {
            frmnoncosted none(t.db(), dialogs);
            none.show();
            QCOMPARE(dialogs.texts(), QStringList{"No jobs to report on"});
        }
        // Job 12 of prefix A has no costs; job 12 of prefix B has, and must not hide it.
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, date, time, passenger_name, "
                              "address_from, address_to, record_status, vehicle_type) values "
                              "('A', 12, '2026-11-30', '08:00:00', 'Mr Ng', 'Station', 'Airport', "
                              "'C', ?), ('B', 12, '2026-11-29', '08:00:00', 'Ms Ray', 'Station', "
                              "'Airport', 'C', ?)"),
               {type, type});
        addCost(t, QStringLiteral("B"), 12, QStringLiteral("I"));
        const qint64 booked = job(QStringLiteral("A"), 2, QStringLiteral("I"));
        dialogs.clear();
        frmnoncosted screen(t.db(), dialogs);
        screen.show();
        QCOMPARE(dialogs.texts(), QStringList());
        auto* grid = child<QTableView>(screen, QStringLiteral("MSFlexGrid2"));
        QCOMPARE(
            shownRows(*grid),
            (QStringList{"|A12|30/11/2026|C|08:00|Mr Ng|Station|Airport|A|12",
                         QStringLiteral("|A%1|03/12/2026|I|09:15|Mrs Hart|Station|Airport|A|%1")
                             .arg(booked)}));
        QVERIFY(grid->isColumnHidden(8) && grid->isColumnHidden(9));

        QSignalSpy chosen(&screen, &frmnoncosted::jobChosen);
        emit grid->activated(grid->model()->index(0, 3));
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().value(0).toString(), QStringLiteral("A"));
        QCOMPARE(chosen.first().value(1).toLongLong(), 12);

        addCost(t, QStringLiteral("A"), 12, QStringLiteral("I"));
        child<QAction>(screen, QStringLiteral("mnuref"))->trigger();
        QCOMPARE(grid->model()->rowCount(), 1);
    }

    void jobCount_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("count");
        QTest::newRow("boundary days included") << "01/12/2026"
                                                << "03/12/2026" << QStringList() << "4";
        QTest::newRow("one day") << "3/12/2026"
                                 << "3/12/2026" << QStringList() << "1";
        QTest::newRow("none in range") << "05/12/2026"
                                       << "09/12/2026" << QStringList() << "0";
        QTest::newRow("no start") << ""
                                  << "03/12/2026" << QStringList{"A start date must be supplied "}
                                  << "";
        QTest::newRow("no end") << "01/12/2026"
                                << "" << QStringList{"An end date must be supplied"} << "";
        QTest::newRow("not a date")
            << "01/12/2026"
            << "32/12/2026" << QStringList{"32/12/2026 is not a date; please type it as dd/mm/yyyy"}
            << "";
    }

    void jobCount()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QStringList, messages);
        QFETCH(QString, count);
        TestDatabase t;
        ScriptedDialogs dialogs;
        const int type = t.addVehicleType(QStringLiteral("Saloon"));
        for (const int day : {0, 1, 2, 2, 3})
            t.addJob(QStringLiteral("A"), QDate(2026, 11, 30).addDays(day),
                     QStringLiteral("23:59:00"), QStringLiteral("P"), QStringLiteral("C"), type);
        frmjobs_in_range screen(t.db(), dialogs);
        screen.show();
        auto* jobs = child<QLineEdit>(screen, QStringLiteral("txtjobs"));
        QVERIFY(!jobs->isVisible());
        child<QLineEdit>(screen, QStringLiteral("txtstart_date"))->setText(start);
        child<QLineEdit>(screen, QStringLiteral("txtend_date"))->setText(end);
        QCOMPARE(shownBy(dialogs, child<QAction>(screen, QStringLiteral("mnuselect"))), messages);
        QCOMPARE(jobs->text(), count);
        QCOMPARE(jobs->isVisible(), !count.isEmpty());
    }

    void jobCountOnAnEmptyTable()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        frmjobs_in_range screen(t.db(), dialogs);
        screen.show();
        child<QLineEdit>(screen, QStringLiteral("txtstart_date"))->setText("01/12/2026");
        child<QLineEdit>(screen, QStringLiteral("txtend_date"))->setText("01/12/2026");
        QCOMPARE(shownBy(dialogs, child<QAction>(screen, QStringLiteral("mnuselect"))),
                 QStringList{"No jobs in range specified"});
        QCOMPARE(child<QLineEdit>(screen, QStringLiteral("txtjobs"))->text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestWorkLists)
#include "test_worklists.moc"
