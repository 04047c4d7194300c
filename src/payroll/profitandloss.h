#pragma once

#include "data/money.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace velmora {

// What the firm made in one calendar month of a period (the part of it inside the period).
struct ProfitMonth
{
    QDate month;       // its first day
    Money income;      // the receipt lines of the month's jobs, before VAT
    Money payments;    // the payment lines of the month's jobs, before VAT
    Money wages;       // the driver wages recorded for the month's jobs
    Money operational; // the operational costs dated in the month
    Money profit() const { return income - payments - wages - operational; }
};

// The management profit and loss of every day from `from` to `to`, month by month, a
// month for each calendar month the period touches (those without a figure hold zeros).
// Jobs count by their pick-up date, operational costs by their date; credit notes are
// receipt lines below zero and reduce the income. Empties `profit_and_loss` and writes the
// months into it, in one transaction, for profitandloss.rpt. nullopt with the reason in
// *error, the table then as it was.
std::optional<std::vector<ProfitMonth>> runProfitAndLoss(const QSqlDatabase& db, QDate from,
                                                         QDate to, QString* error);

// The statements of a run, in one home for the run and the benchmark's baseline. Each
// binds the first day and the day after the last (yyyy-MM-dd) and returns the month
// (yyyy-MM) with its sums: costs its income and payments before VAT, wages and operational
// one sum each.
struct ProfitAndLossStatements
{
    QString costs, wages, operational;
};
const ProfitAndLossStatements& profitAndLossStatements();

} // namespace velmora
