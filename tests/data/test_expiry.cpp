#include "data/expiry.h"
#include "testdatabase.h"

#include <QTest>

#include <optional>

using velmora::ExpiryUrgency;
using velmora::test::TestDatabase;

Q_DECLARE_METATYPE(std::optional<ExpiryUrgency>)

namespace {

const QDate kToday(2026, 12, 8);

} // namespace

class TestExpiry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classifiesOnTheBoundaryDays_data()
    {
        QTest::addColumn<int>("daysLeft");
        QTest::addColumn<int>("horizon");
        QTest::addColumn<std::optional<ExpiryUrgency>>("urgency");
        const auto row = [](const char* name, int left, int horizon,
                            std::optional<ExpiryUrgency> urgency) {
            QTest::newRow(name) << left << horizon << urgency;
        };
        row("yesterday", -1, 30, ExpiryUrgency::Expired);
        row("today, still valid", 0, 30, ExpiryUrgency::Week);
        row("in 7 days", 7, 30, ExpiryUrgency::Week);
        row("in 8 days", 8, 30, ExpiryUrgency::Fortnight);
        row("in 14 days", 14, 30, ExpiryUrgency::Fortnight);
        row("in 15 days", 15, 30, ExpiryUrgency::Horizon);
        row("in 30 days", 30, 30, ExpiryUrgency::Horizon);
        row("in 31 days", 31, 30, std::nullopt);
        row("beyond a shorter horizon", 11, 10, std::nullopt);
        row("a year ago", -365, 0, ExpiryUrgency::Expired);
    }

    void classifiesOnTheBoundaryDays()
    {
        QFETCH(int, daysLeft);
        QFETCH(int, horizon);
        QFETCH(std::optional<ExpiryUrgency>, urgency);
        QCOMPARE(velmora::classifyExpiry(kToday.addDays(daysLeft), kToday, horizon), urgency);
    }

    void listsDocumentsSoonestFirstWithinTheHorizon()
    {
        TestDatabase t;
        const auto day = [](int offset) { return kToday.addDays(offset).toString(Qt::ISODate); };
        t.exec(QStringLiteral("insert into drivers (driver_id, driver_name, badge_expiry, "
                              "licence_expiry, dbs_expiry) values (3, 'Ann', ?, ?, NULL)"),
               {day(20), day(40)});
        t.exec(QStringLiteral("insert into vehicles (reg_no, road_tax, plated, insurance) "
                              "values ('AB12CDE', ?, ?, ?)"),
               {day(-2), day(100), day(5)});
        QString error;
        QCOMPARE(velmora::expiryHorizon(t.db(), &error), 30);
        const auto found = velmora::expiringDocuments(t.db(), kToday, 30, &error);
        QVERIFY2(found, qPrintable(error));
        QStringList shown;
        for (const velmora::ExpiringDocument& document : *found)
            shown << document.name + u' ' + document.document + u' ' +
                         velmora::urgencyText(document.urgency, 30);
        QCOMPARE(shown, QStringList({QStringLiteral("AB12CDE Road tax Expired"),
                                     QStringLiteral("AB12CDE Insurance Within 7 days"),
                                     QStringLiteral("Ann Badge Within 30 days")}));
    }

    void theHorizonIsTheCompanys()
    {
        TestDatabase t;
        QString error;
        QVERIFY(!velmora::saveExpiryHorizon(t.db(), 10, &error));
        QCOMPARE(velmora::expiryHorizon(t.db(), &error), 30);
        t.exec(QStringLiteral("insert into company (company_id, company_Name) values (1, 'Cabs')"));
        QVERIFY2(velmora::saveExpiryHorizon(t.db(), 10, &error), qPrintable(error));
        QCOMPARE(velmora::expiryHorizon(t.db(), &error), 10);
    }

    void dispatchAsksForEachDocument_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("concern");
        QTest::newRow("barred") << "update drivers set barred = 1"
                                << "Ann is barred.";
        QTest::newRow("badge") << "update drivers set badge_expiry = '2026-12-07'"
                               << "The badge of Ann ran out on 07/12/2026.";
        QTest::newRow("licence") << "update drivers set licence_expiry = '2026-01-31'"
                                 << "The driving licence of Ann ran out on 31/01/2026.";
        QTest::newRow("plate") << "update vehicles set plated = '2026-12-01'"
                               << "The plate of vehicle AB12CDE ran out on 01/12/2026.";
        QTest::newRow("insurance") << "update vehicles set insurance = '2026-11-30'"
                                   << "The insurance of vehicle AB12CDE ran out on 30/11/2026.";
        QTest::newRow("runs out on the day itself") << "update drivers set badge_expiry = "
                                                       "'2026-12-08'"
                                                    << "";
        QTest::newRow("road tax and DBS do not stop a job")
            << "update vehicles set road_tax = '2026-01-01'; "
               "update drivers set dbs_expiry = '2026-01-01'"
            << "";
    }

    void dispatchAsksForEachDocument()
    {
        QFETCH(QString, change);
        QFETCH(QString, concern);
        TestDatabase t;
        t.exec(QStringLiteral("insert into drivers (driver_id, driver_name) values (3, 'Ann')"));
        t.exec(QStringLiteral("insert into vehicles (reg_no, driver_id) values ('AB12CDE', 3)"));
        for (const QString& statement : change.split(QStringLiteral("; ")))
            t.exec(statement);
        QString error;
        const auto concerns = velmora::dispatchConcerns(t.db(), 3, kToday, true, &error);
        QVERIFY2(concerns, qPrintable(error));
        QCOMPARE(*concerns, concern.isEmpty() ? QStringList() : QStringList(concern));
    }
};

QTEST_GUILESS_MAIN(TestExpiry)
#include "test_expiry.moc"
