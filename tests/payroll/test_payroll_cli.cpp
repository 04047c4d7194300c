// `velmora-cli driver-pay` and `velmora-cli profit` on the demo firm, read back from the
// slips and the report as printed.

#include "cliprocess.h"
#include "data/money.h"
#include "pdftext.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using velmora::Money;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;
using velmora::test::PdfText;

class TestPayrollCli : public QObject
{
    Q_OBJECT

private:
    Outcome cli(QStringList arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("VELMORA_REPORTS_DIR"));
        environment.remove(QStringLiteral("VELMORA_DATABASE"));
        arguments << QStringLiteral("--database") << m_database;
        return velmora::test::runProgram(QStringLiteral(VELMORA_CLI), arguments, {}, environment);
    }
    // A figure of the database in the form a report prints it.
    QString money(const QString& sql)
    {
        OpenedDatabase opened(m_database);
        return Money::fromVariant(opened.value(sql)).toString();
    }

    QTemporaryDir m_dir;
    QString m_database;

private Q_SLOTS:
    void initTestCase()
    {
        m_database = m_dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome init = velmora::test::runProgram(
            QStringLiteral(VELMORA_CLI),
            {"init", "--database", m_database, "--operator", "boss", "--demo"}, "secret\n");
        QVERIFY2(init.exitCode == 0, qPrintable(init.err));
    }

    // A range that is reversed or holds a number below 1 does nothing and says so.
    void emptyRangesDoNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        QTest::newRow("negative drivers")
            << QStringList{"driver-pay", "--from-driver", "-5", "--to-driver", "-1"}
            << QStringLiteral("driver numbers start at 1, and -5 was given");
        QTest::newRow("driver zero")
            << QStringList{"driver-pay", "--from-driver", "0"} << QStringLiteral("and 0 was given");
        QTest::newRow("reversed drivers")
            << QStringList{"driver-pay", "--from-driver", "5", "--to-driver", "2"}
            << QStringLiteral("the first driver (5) comes after the last (2)");
        QTest::newRow("negative accounts")
            << QStringList{"invoice", "--to-account", "-1"}
            << QStringLiteral("account numbers start at 1, and -1 was given");
        QTest::newRow("reversed accounts")
            << QStringList{"invoice", "--from-account", "9", "--to-account", "3"}
            << QStringLiteral("the first account (9) comes after the last (3)");
    }

    void emptyRangesDoNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const auto state = [this] {
            OpenedDatabase opened(m_database);
            return opened
                .value(QStringLiteral("select (select count(*) from driver_wages) || '/' || "
                                      "(select count(*) from invoice_header) || '/' || "
                                      "(select count(*) from jobs where calculated = 'Y')"))
                .toString();
        };
        const QString before = state();
        const Outcome outcome = cli(arguments);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(says), qPrintable(outcome.err));
        QCOMPARE(state(), before);
    }

    // The slips print each share and the driver's total as the wage rows hold them.
    void driverPayPrintsOnSlips()
    {
        Outcome paid = cli({"driver-pay"});
        QVERIFY2(paid.exitCode == 0, qPrintable(paid.err));
        QVERIFY2(paid.out.contains(QLatin1String("Calculated")), qPrintable(paid.out));
        QCOMPARE(cli({"driver-pay"}).out.trimmed(),
                 QStringLiteral("No non account jobs where driver gets a percentage"));

        const QString pdf = m_dir.filePath(QStringLiteral("slips.pdf"));
        const Outcome report = cli({"report", "drvearn.rpt", "--pdf", pdf});
        QVERIFY2(report.exitCode == 0, qPrintable(report.err));
        const PdfText slips(pdf);
        QVERIFY2(slips.isValid(), qPrintable(slips.error()));
        OpenedDatabase opened(m_database);
        const QString name =
            opened
                .value(QStringLiteral(
                    "select driver_name from drivers where driver_id = (select min(driver_id) from "
                    "driver_wages)"))
                .toString();
        const qint64 total =
            opened
                .value(
                    QStringLiteral("select sum(driver_payment) from driver_wages where driver_id = "
                                   "(select min(driver_id) from driver_wages)"))
                .toLongLong();
        const auto row = slips.row(QStringLiteral("Total for ") + name, QStringLiteral("Job"));
        QCOMPARE(
            row.value(QStringLiteral("Share")),
            QStringLiteral("%1.%2").arg(total / 10000).arg(total % 10000, 4, 10, QLatin1Char('0')));
        QCOMPARE(slips.pageCount(),
                 opened.value(QStringLiteral("select count(distinct driver_id) from driver_wages"))
                     .toInt());
    }

    // The firm's line agrees with the jobs' cost lines and the operational costs.
    void profitAgreesWithTheCostLines()
    {
        {
            OpenedDatabase opened(m_database);
            QSqlQuery query(opened.db());
            QVERIFY(query.exec(QStringLiteral("insert into operational_cost (opcost_Date, "
                                              "opcost_gross) values (date('now'), 2000000)")));
        }
        const QString pdf = m_dir.filePath(QStringLiteral("profit.pdf"));
        const Outcome run =
            cli({"profit", "--from", "01/01/2000", "--to", "31/12/2099", "--pdf", pdf});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const PdfText report(pdf);
        QVERIFY2(report.isValid(), qPrintable(report.error()));
        const auto firm = report.row(QStringLiteral("The firm"), QStringLiteral("Line"));
        QCOMPARE(
            firm.value(QStringLiteral("Receipts")),
            money(QStringLiteral("select sum(net_cost) from Costs where income_expence = 'I'")));
        QCOMPARE(firm.value(QStringLiteral("Costs")),
                 money(QStringLiteral("select sum(net_cost) + 2000000 from Costs "
                                      "where income_expence = 'E'")));
        QCOMPARE(report.row(QStringLiteral("Less Operational Costs"), QStringLiteral("Line"))
                     .value(QStringLiteral("Profit / loss")),
                 QStringLiteral("-200.00"));
        QCOMPARE(cli({"profit", "--from", "31/02/2026", "--to", "01/03/2026"}).exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(TestPayrollCli)
#include "test_payroll_cli.moc"
