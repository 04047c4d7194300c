#include "invoicefirm.h"

#include <QDate>

namespace velmora::test {

std::int64_t InvoiceFirm::addAccount(const QString& name, const QString& contact)
{
    m_db.exec(QStringLiteral("insert into addresses (address_line1, address_town, "
                             "address_postcode1, address_postcode2, address_type) "
                             "values ('1 High Street', 'Leeds', 'LS1', '4AB', 9)"));
    m_db.exec(QStringLiteral("insert into accounts (address_id, account_name, contact_name, "
                             "account_balance, invoice_type) "
                             "values ((select max(address_id) from addresses), ?, ?, 0, 'F')"),
              {name, contact});
    return m_db.count(QStringLiteral("select max(account_id) from accounts"));
}

std::int64_t InvoiceFirm::addDriver(const QString& name, int percentage)
{
    m_db.exec(QStringLiteral("insert into drivers (driver_name, driver_percentage) values (?, ?)"),
              {name, percentage});
    return m_db.count(QStringLiteral("select max(driver_id) from drivers"));
}

std::int64_t InvoiceFirm::addType(const QString& name)
{
    m_db.exec(QStringLiteral("insert into receipt_types (paymenttype) values (?)"), {name});
    return m_db.count(QStringLiteral("select max(receipttypeid) from receipt_types"));
}

void InvoiceFirm::addJob(const QString& prefix, std::int64_t number, std::int64_t account,
                         std::int64_t driver, bool percentageDriver)
{
    m_db.exec(QStringLiteral("insert into jobs (job_prefix, job_id, date, time, passenger_name, "
                             "address_from, address_to, account_no, driver, invoiced, "
                             "record_status, driver_percentage) "
                             "values (?, ?, ?, '09:30:00', ?, 'Station', 'Airport', ?, ?, 'N', "
                             "'C', ?)"),
              {prefix, qint64(number), QDate(2026, 11, 2).toString(Qt::ISODate),
               QStringLiteral("Passenger %1").arg(number), qint64(account), qint64(driver),
               percentageDriver ? QStringLiteral("Y") : QStringLiteral("N")});
}

void InvoiceFirm::addCost(const QString& prefix, std::int64_t job, std::int64_t type,
                          const QString& side, std::int64_t gross, std::int64_t discount,
                          std::int64_t vat, std::int64_t net)
{
    m_db.exec(
        QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, "
                       "income_expence, description, gross_cost, discount_value, "
                       "net_cost, vat, vat_value) values (?, ?, ?, ?, 'Fare', ?, ?, ?, ?, ?)"),
        {prefix, qint64(job), qint64(type), side, qint64(gross), qint64(discount), qint64(net),
         vat != 0 ? QStringLiteral("Y") : QStringLiteral("N"), qint64(vat)});
}

void InvoiceFirm::addCompany()
{
    m_db.exec(QStringLiteral("insert into company (company_id, company_Name, company_vat) "
                             "values (7, 'Velmora Cars', 'GB 123 4567 89')"));
}

} // namespace velmora::test
