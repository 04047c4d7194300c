#include "firmchecks.h"

#include <QTest>

namespace velmora::test {

void addOrphanQueries()
{
    QTest::addColumn<QString>("orphans");
    QTest::newRow("job account") << QStringLiteral(
        "select count(*) from jobs j where j.account_no <> 0 and not exists "
        "(select 1 from accounts a where a.account_id = j.account_no)");
    QTest::newRow("job driver") << QStringLiteral(
        "select count(*) from jobs j where not exists "
        "(select 1 from drivers d where d.driver_id = j.driver)");
    QTest::newRow("job vehicle type")
        << QStringLiteral("select count(*) from jobs j where not exists "
                          "(select 1 from vehicle_types v where v.vehicletypeid = j.vehicle_type)");
    QTest::newRow("job payment type")
        << QStringLiteral("select count(*) from jobs j where not exists "
                          "(select 1 from payment_types p where p.paymenttypeid = j.payment_type)");
    QTest::newRow("job invoice") << QStringLiteral(
        "select count(*) from jobs where invoice_no is not null "
        "and invoice_no not in (select invoice_no from invoice_header)");
    QTest::newRow("cost job") << QStringLiteral(
        "select count(*) from Costs c where not exists (select 1 from jobs j "
        "where j.job_prefix = c.job_prefix and j.job_id = c.jobnumber)");
    QTest::newRow("cost type") << QStringLiteral(
        "select count(*) from Costs c where not exists "
        "(select 1 from receipt_types r where r.receipttypeid = c.costtype)");
    QTest::newRow("credit note job") << QStringLiteral(
        "select count(*) from credit_notes n where not exists (select 1 from jobs j "
        "where j.job_prefix = n.job_prefix and j.job_id = n.job_no)");
    QTest::newRow("credit note account")
        << QStringLiteral("select count(*) from credit_notes n where not exists "
                          "(select 1 from accounts a where a.account_id = n.account_no)");
    QTest::newRow("account address") << QStringLiteral(
        "select count(*) from accounts c where not exists (select 1 from addresses a "
        "where a.address_id = c.address_id and a.address_type = 9)");
    QTest::newRow("driver address") << QStringLiteral(
        "select count(*) from drivers d where not exists (select 1 from addresses a "
        "where a.address_id = d.address_id and a.address_type = 8)");
    QTest::newRow("address type") << QStringLiteral(
        "select count(*) from addresses where address_type not in "
        "(select addresstypeid from address_types)");
    QTest::newRow("vehicle type") << QStringLiteral(
        "select count(*) from vehicles v where not exists "
        "(select 1 from vehicle_types t where t.vehicletypeid = v.vehicle_type)");
    QTest::newRow("vehicle driver")
        << QStringLiteral("select count(*) from vehicles v where not exists "
                          "(select 1 from drivers d where d.driver_id = v.driver_id)");
}

} // namespace velmora::test
