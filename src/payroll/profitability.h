#pragma once

#include "data/money.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// The period a run covers when its date fields are left empty.
inline QDate defaultProfitStart() { return {1999, 11, 1}; }
inline QDate defaultProfitEnd() { return {2005, 12, 31}; }

// The name of the line of jobs without an account, and of the operational costs line.
QString othersLineName();
QString operationalCostsLineName();

// One line of the profitability report.
struct ProfitLine
{
    QString name;
    qint64 jobs = 0; // jobs of the line with income in the period
    Money receipts;  // net of the income lines
    Money costs;     // net of the expense lines; the operational costs line holds minus them
    Money profit;    // receipts - costs
};

// The profitability of every day from `start` to `end`, both whole days included, by the
// pick-up date of the jobs: a line for each account whose jobs have income or expense
// lines in the period (in account order; receipts 0 when only expenses), then "Others"
// for the jobs without an account when they have income, then "Less Operational Costs"
// when the operational costs dated in the period add up to more than zero (costs and
// profit both minus that sum). Jobs naming an account that no longer exists take no part.
// Cost lines belong to a job by prefix and number; a job counts once on its line.
// Empties `profitability` and writes the lines into it, in one transaction, and returns
// them; nullopt with the driver's text in *error, the table then as it was.
std::optional<QList<ProfitLine>> runProfitability(const QSqlDatabase& db, QDate start, QDate end,
                                                  QString* error);

// The statements of a run, in one home for the run and the benchmark's baseline. lines
// binds the first day and the day after the last (yyyy-MM-dd) and returns account number
// (0: no account), account name, jobs with income, income and expenses, by account number;
// operationalCosts binds the same days and returns their sum (null when none); addLine
// binds name, first and last day, jobs, receipts, costs and profit.
struct ProfitStatements
{
    QString lines, operationalCosts, clear, addLine;
};
const ProfitStatements& profitStatements();

} // namespace velmora
