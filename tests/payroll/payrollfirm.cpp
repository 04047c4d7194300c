#include "payrollfirm.h"

#include "data/dates.h"

namespace velmora::test {

int PayrollFirm::driver(const QString& name, int percentage)
{
    const int id = t.addDriver(name);
    t.exec(QStringLiteral("update drivers set driver_percentage = ? where driver_id = ?"),
           {percentage, id});
    return id;
}

int PayrollFirm::account(const QString& name)
{
    t.exec(QStringLiteral("insert into accounts (account_name) values (?)"), {name});
    return static_cast<int>(t.count(QStringLiteral("select max(account_id) from accounts")));
}

int PayrollFirm::job(int driver, QDate date, int account, const QString& prefix,
                     const QString& status, const QString& percentageFlag, const QString& time)
{
    const int number = t.addJob(prefix, date, time, QStringLiteral("Passenger"), status, 1, driver);
    t.exec(QStringLiteral("update jobs set account_no = ?, driver_percentage = ? "
                          "where job_prefix = ? and job_id = ?"),
           {account, percentageFlag, prefix, number});
    return number;
}

void PayrollFirm::cost(int job, const QString& side, qint64 grossPence, qint64 netPence,
                       const QString& prefix)
{
    t.exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, income_expence, "
                          "gross_cost, net_cost) values (?, ?, 1, ?, ?, ?)"),
           {prefix, job, side, grossPence * 100, netPence * 100});
}

} // namespace velmora::test
