#pragma once

#include "testdatabase.h"

#include <QString>

#include <cstdint>

namespace velmora::test {

// Rows for invoicing tests, written straight into a TestDatabase. Amounts are in
// ten-thousandths, as stored.
class InvoiceFirm
{
public:
    explicit InvoiceFirm(TestDatabase& db) : m_db(db) {}

    // An account with an address; returns its account_id.
    std::int64_t addAccount(const QString& name, const QString& contact = QStringLiteral("Ann"));
    // A driver paid `percentage` per cent (0: not by percentage); returns its driver_id.
    std::int64_t addDriver(const QString& name, int percentage);
    // A receipt type; returns its id.
    std::int64_t addType(const QString& name);
    // An account job not yet invoiced with the given number; `percentageDriver` sets the
    // job's driver-percentage flag.
    void addJob(const QString& prefix, std::int64_t number, std::int64_t account,
                std::int64_t driver = 0, bool percentageDriver = false);
    // A cost line of a job ("I" receipt, "E" payment).
    void addCost(const QString& prefix, std::int64_t job, std::int64_t type, const QString& side,
                 std::int64_t gross, std::int64_t discount, std::int64_t vat, std::int64_t net);
    // The company row, with company_id 7.
    void addCompany();

private:
    TestDatabase& m_db;
};

} // namespace velmora::test
