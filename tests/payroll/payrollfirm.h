#pragma once

#include "testdatabase.h"

#include <QDate>
#include <QString>

namespace velmora::test {

// Set-ups of drivers, accounts, jobs and cost lines for the driver pay and profitability
// tests. Amounts are given in pence.
class PayrollFirm
{
public:
    explicit PayrollFirm(TestDatabase& database) : t(database) {}

    int driver(const QString& name, int percentage);
    int account(const QString& name);
    // A completed job flagged as paying its driver a percentage, unless told otherwise.
    int job(int driver, QDate date = QDate(2026, 3, 2), int account = 0,
            const QString& prefix = QStringLiteral("A"),
            const QString& status = QStringLiteral("C"),
            const QString& percentageFlag = QStringLiteral("Y"),
            const QString& time = QStringLiteral("10:00:00"));
    // A cost line of side "I" or "E" with this gross and net.
    void cost(int job, const QString& side, qint64 grossPence, qint64 netPence,
              const QString& prefix = QStringLiteral("A"));
    void income(int job, qint64 pence) { cost(job, QStringLiteral("I"), pence, pence); }
    void expense(int job, qint64 pence) { cost(job, QStringLiteral("E"), pence, pence); }

    TestDatabase& t;
};

} // namespace velmora::test
