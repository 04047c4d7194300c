#pragma once

#include "data/money.h"
#include "data/vatrate.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace velmora {

// The sales or the purchases of a period at one VAT rate.
struct VatRateTotal
{
    bool sales = true; // false: purchases
    VatRate rate = 0;  // 0 for lines without VAT
    Money beforeVat;
    Money vat;
};

// The nine boxes of a UK VAT return, with the figures behind them. Boxes 1 to 5 are in
// pounds and pence, 6 to 9 in whole pounds (the pence dropped); 2, 8 and 9 (trade in goods
// with the EU) are always 0 for a car and courier firm.
struct VatReturn
{
    std::array<Money, 9> boxes;      // boxes[0] is box 1
    Money salesBeforeVat;            // to the penny, as box 6 before its pence are dropped
    Money purchasesBeforeVat;        // likewise box 7
    std::vector<VatRateTotal> rates; // sales first, each side by rate, highest first
};

// The VAT return of every day from `from` to `to`: the receipt lines of the period's jobs
// (by pick-up date) are the sales, their VAT box 1; the payment lines are the purchases,
// their VAT box 4. A line's rate is the company's rate on its job's day (lines without VAT
// at 0); credit notes are receipt lines below zero and reduce the sales and their VAT.
// Empties `vat_return` and writes the boxes and rates into it, in one transaction, for
// vatreturn.rpt. nullopt with the reason in *error, the table then as it was.
std::optional<VatReturn> runVatReturn(const QSqlDatabase& db, QDate from, QDate to, QString* error);

// The words of each box, box 1 first.
const std::array<QString, 9>& vatBoxNames();

// The statement of a run, for the run and the benchmark's baseline: binds the day the
// company's VAT rate applies from ('' when always), the first day and the day after the
// last (yyyy-MM-dd) and returns side ('I' or 'E'), whether the lines carry VAT, whether their
// jobs are before that day, the sum before VAT and the VAT.
QString vatReturnStatement();

// The last whole calendar quarter before `today`: the default period of a VAT return.
std::pair<QDate, QDate> lastQuarter(QDate today);

} // namespace velmora
