#include "data/dates.h"
#include "firm/demofirm.h"
#include "firmchecks.h"
#include "testdatabase.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>

using velmora::test::TestDatabase;

namespace {

const QDate kToday(2025, 3, 14);

void addFirm(TestDatabase& t, QDate today = kToday)
{
    QString error;
    QVERIFY2(velmora::firm::addDemoFirm(t.db(), today, &error), qPrintable(error));
}

} // namespace

class TestDemoFirm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typeRowsCarryTheNamesWithAMeaning()
    {
        TestDatabase t;
        addFirm(t);
        QVERIFY(t.rows(QStringLiteral("select vehicledescription from vehicle_types"))
                    .contains(QStringLiteral("Saloon Car")));
        const QStringList payments =
            t.rows(QStringLiteral("select paymentdescription from payment_types"));
        QVERIFY(payments.contains(QStringLiteral("Account")));
        QVERIFY(payments.contains(QStringLiteral("Cash")));
        const QStringList costTypes =
            t.rows(QStringLiteral("select paymenttype from receipt_types"));
        QVERIFY(costTypes.contains(QStringLiteral("Credit Note")));
        QVERIFY(costTypes.contains(QStringLiteral("Fare")));
        QVERIFY(costTypes.size() >= 5);
        QCOMPARE(t.count(QStringLiteral("select count(*) from address_types "
                                        "where addresstypeid in (8, 9)")),
                 2);
    }

    void companyIsVatRegistered()
    {
        TestDatabase t;
        addFirm(t);
        QCOMPARE(t.count(QStringLiteral("select count(*) from company")), 1);
        QVERIFY(!t.value(QStringLiteral("select company_vat from company"))
                     .toString()
                     .trimmed()
                     .isEmpty());
        QVERIFY(!t.value(QStringLiteral("select company_Name from company")).toString().isEmpty());
    }

    void accountsAndDriversEachOwnAnAddress()
    {
        TestDatabase t;
        addFirm(t);
        const qlonglong accounts = t.count(QStringLiteral("select count(*) from accounts"));
        const qlonglong drivers = t.count(QStringLiteral("select count(*) from drivers"));
        QVERIFY(accounts >= 8 && accounts <= 12);
        QCOMPARE(drivers, 8);
        QCOMPARE(t.count(QStringLiteral("select count(*) from accounts c join addresses a "
                                        "on a.address_id = c.address_id "
                                        "where a.address_type = 9")),
                 accounts);
        QCOMPARE(t.count(QStringLiteral("select count(*) from drivers d join addresses a "
                                        "on a.address_id = d.address_id "
                                        "where a.address_type = 8")),
                 drivers);
        QCOMPARE(t.count(QStringLiteral("select count(*) from addresses")), accounts + drivers);
        QCOMPARE(t.count(QStringLiteral("select count(*) from addresses where address_line1 = '' "
                                        "or address_town = '' or address_postcode1 = '' "
                                        "or address_postcode2 = ''")),
                 0);
    }

    void driversIncludePercentageAndBarredOnes()
    {
        TestDatabase t;
        addFirm(t);
        QCOMPARE(
            t.count(QStringLiteral("select count(*) from drivers where driver_percentage > 0")), 2);
        QCOMPARE(t.count(QStringLiteral("select count(*) from drivers where driver_percentage "
                                        "not between 0 and 99")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from drivers where barred = 1")), 1);
        // A barred driver is not sent out from today on.
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs j join drivers d "
                                        "on d.driver_id = j.driver "
                                        "where d.barred = 1 and j.date >= ?"),
                         {velmora::storedDate(kToday)}),
                 0);
    }

    void vehiclesHaveTheirDatesAndReferences()
    {
        TestDatabase t;
        addFirm(t);
        QCOMPARE(t.count(QStringLiteral("select count(*) from vehicles")), 6);
        QCOMPARE(t.count(QStringLiteral("select count(*) from vehicles v "
                                        "join vehicle_types y on y.vehicletypeid = v.vehicle_type "
                                        "join drivers d on d.driver_id = v.driver_id")),
                 6);
        const QStringList dates = t.rows(QStringLiteral("select road_tax from vehicles union all "
                                                        "select plated from vehicles union all "
                                                        "select insurance from vehicles"));
        QCOMPARE(dates.size(), 18);
        for (const QString& text : dates) {
            const QDate date = velmora::dateFromStored(text);
            QVERIFY2(date.isValid() && velmora::storedDate(date) == text, qPrintable(text));
        }
    }

    void jobsRunThroughEveryStateAroundToday()
    {
        TestDatabase t;
        addFirm(t);
        const qlonglong jobs = t.count(QStringLiteral("select count(*) from jobs"));
        QVERIFY(jobs >= 40 && jobs <= 60);
        for (const char* status : {"I", "B", "P", "C"})
            QVERIFY2(t.count(QStringLiteral("select count(*) from jobs where record_status = ?"),
                             {QString::fromLatin1(status)}) > 0,
                     status);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs "
                                        "where record_status not in ('I', 'B', 'P', 'C')")),
                 0);
        const QString today = velmora::storedDate(kToday);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where date < ?"), {today}) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where date = ?"), {today}) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where date > ?"), {today}) > 0);
        // Only completed jobs lie in the past, only booked ones in the future.
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where date < ? "
                                        "and record_status <> 'C'"),
                         {today}),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where date > ? "
                                        "and record_status <> 'I'"),
                         {today}),
                 0);
    }

    void jobsAreStoredInTheirForms()
    {
        TestDatabase t;
        addFirm(t);
        QSqlQuery query(t.db());
        QVERIFY(query.exec(QStringLiteral("select job_prefix, job_id, date, time, time_text, "
                                          "passenger_name, address_from, address_to, calculated "
                                          "from jobs order by job_id")));
        const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
        int expectedNumber = 0;
        while (query.next()) {
            const QString job = query.value(1).toString();
            QCOMPARE(query.value(0).toString(), QStringLiteral("A"));
            QCOMPARE(query.value(1).toInt(), ++expectedNumber); // from the counter, in order
            QVERIFY2(velmora::dateFromStored(query.value(2).toString()).isValid(), qPrintable(job));
            QVERIFY2(time.match(query.value(3).toString()).hasMatch(), qPrintable(job));
            QCOMPARE(query.value(4).toString(), query.value(3).toString().left(5));
            QVERIFY(!query.value(5).toString().isEmpty());
            QVERIFY(!query.value(6).toString().isEmpty());
            QVERIFY(!query.value(7).toString().isEmpty());
            QCOMPARE(query.value(8).toString(), QStringLiteral("N"));
        }
        QVERIFY(expectedNumber > 0);
        QCOMPARE(t.count(QStringLiteral("select last from job_counter")), expectedNumber);
    }

    void everyReferenceResolves_data() { velmora::test::addOrphanQueries(); }
    void everyReferenceResolves()
    {
        QFETCH(QString, orphans);
        TestDatabase t;
        addFirm(t);
        QCOMPARE(t.count(orphans), 0);
    }

    void accountJobsAreMarkedApartFromOthers()
    {
        TestDatabase t;
        addFirm(t);
        const QString accountJobs = QStringLiteral(
            "select count(*) from jobs j join payment_types p on p.paymenttypeid = j.payment_type "
            "where p.paymentdescription = 'Account'");
        const qlonglong onAccount = t.count(accountJobs);
        QVERIFY(onAccount > 0);
        QCOMPARE(
            t.count(accountJobs + QStringLiteral(" and j.account_no > 0 and j.invoiced = 'N'")),
            onAccount);
        const QString otherJobs = QStringLiteral(
            "select count(*) from jobs j join payment_types p on p.paymenttypeid = j.payment_type "
            "where p.paymentdescription <> 'Account'");
        const qlonglong others = t.count(otherJobs);
        QVERIFY(others > 0);
        QCOMPARE(t.count(otherJobs + QStringLiteral(" and j.account_no = 0 and j.invoiced = ' '")),
                 others);
        // The job's flag follows its driver's way of pay.
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs j join drivers d "
                                        "on d.driver_id = j.driver where j.driver_percentage <> "
                                        "case when d.driver_percentage > 0 then 'Y' else 'N' end")),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where driver_percentage = 'Y' "
                                       "and record_status = 'C'")) > 0);
    }

    void costLinesAddUp()
    {
        TestDatabase t;
        addFirm(t);
        QSqlQuery query(t.db());
        QVERIFY(query.exec(QStringLiteral("select gross_cost, discount, discount_value, net_cost, "
                                          "vat, vat_value, jobnumber from Costs")));
        int lines = 0;
        while (query.next()) {
            ++lines;
            const qint64 gross = query.value(0).toLongLong();
            const qint64 percent = query.value(1).toLongLong();
            const qint64 discount = query.value(2).toLongLong();
            const qint64 net = query.value(3).toLongLong();
            const QString vat = query.value(4).toString();
            const qint64 vatValue = query.value(5).toLongLong();
            const QByteArray job = query.value(6).toByteArray();
            QVERIFY2(gross % 100 == 0 && discount % 100 == 0 && vatValue % 100 == 0, job);
            QVERIFY2(qAbs(discount * 100 - gross * percent) <= 5000, job);
            QVERIFY2(vat == QLatin1String("Y") || vat == QLatin1String("N"), job);
            if (vat == QLatin1String("Y"))
                QVERIFY2(qAbs(vatValue * 1000 - (gross - discount) * 175) <= 50000, job);
            else
                QCOMPARE(vatValue, 0);
            QVERIFY2(net == gross - discount + vatValue, job);
        }
        QVERIFY(lines > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from Costs where income_expence = 'I'")) >
                0);
        QVERIFY(t.count(QStringLiteral("select count(*) from Costs where income_expence = 'E'")) >
                0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from Costs "
                                        "where income_expence not in ('I', 'E')")),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from Costs where discount > 0")) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from Costs where vat = 'N'")) > 0);
        // One line per job, type and side.
        QCOMPARE(t.count(QStringLiteral("select count(*) from (select 1 from Costs group by "
                                        "job_prefix, jobnumber, costtype, income_expence "
                                        "having count(*) > 1)")),
                 0);
    }

    void creditNoteIsNegativeAndRecorded()
    {
        TestDatabase t;
        addFirm(t);
        const QString creditLines =
            QStringLiteral("select count(*) from Costs c join receipt_types r "
                           "on r.receipttypeid = c.costtype where r.paymenttype = 'Credit Note'");
        QVERIFY(t.count(creditLines) > 0);
        QCOMPARE(t.count(creditLines + QStringLiteral(" and (c.gross_cost >= 0 or c.net_cost >= 0 "
                                                      "or c.income_expence <> 'I')")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from credit_notes")),
                 t.count(creditLines));
        QCOMPARE(t.count(QStringLiteral("select count(*) from credit_notes n join Costs c "
                                        "on c.jobnumber = n.job_no and c.job_prefix = n.job_prefix "
                                        "and c.net_cost = n.refund_amount_net "
                                        "where n.processed = 'Y'")),
                 t.count(creditLines));
    }

    void sameDayGivesTheSameFirm()
    {
        TestDatabase first;
        TestDatabase second;
        TestDatabase later;
        addFirm(first);
        addFirm(second);
        addFirm(later, kToday.addDays(1));
        // The trail records when the firm was added, which two runs need not share.
        for (TestDatabase* t : {&first, &second, &later})
            t->exec(QStringLiteral("update audit_trail set changed_at = '', hash = ''"));
        QCOMPARE(first.dump(), second.dump());
        QVERIFY(first.dump() != later.dump());
        QCOMPARE(later.count(QStringLiteral("select count(*) from jobs where date = ?"),
                             {velmora::storedDate(kToday.addDays(1))}),
                 first.count(QStringLiteral("select count(*) from jobs where date = ?"),
                             {velmora::storedDate(kToday)}));
    }

    void refusesADatabaseThatHoldsAFirm()
    {
        TestDatabase t;
        addFirm(t);
        const QString before = t.dump();
        QString error;
        QVERIFY(!velmora::firm::addDemoFirm(t.db(), kToday, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(t.dump(), before);

        TestDatabase withType;
        withType.addVehicleType(QStringLiteral("Saloon Car"));
        QVERIFY(!velmora::firm::addDemoFirm(withType.db(), kToday, &error));
        QCOMPARE(withType.count(QStringLiteral("select count(*) from vehicle_types")), 1);
    }

    void writesNothingWhenAStepFails()
    {
        TestDatabase t;
        t.exec(QStringLiteral("drop table credit_notes")); // the last table written
        QString error;
        QVERIFY(!velmora::firm::addDemoFirm(t.db(), kToday, &error));
        QVERIFY(error.contains(QLatin1String("credit_notes")));
        for (const char* table : {"vehicle_types", "company", "accounts", "drivers", "addresses",
                                  "vehicles", "jobs", "Costs"})
            QVERIFY2(t.count(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))) ==
                         0,
                     table);
    }
};

QTEST_GUILESS_MAIN(TestDemoFirm)
#include "test_demofirm.moc"
