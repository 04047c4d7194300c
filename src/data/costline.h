#pragma once

#include "money.h"
#include "vatrate.h"

#include <QStringView>

#include <optional>

namespace velmora {

// The arithmetic of a cost line: a receipt or payment line of a job, and the invoice and
// driver pay figures that are built from them. Every figure is in whole pence. A value
// that falls between two pence goes to the nearer one, and one exactly halfway goes away
// from zero (2.345 is 2.35, -2.345 is -2.35); a percentage is rounded to a whole number
// the same way (12.5 is 13). Later figures are worked from the rounded earlier ones, so
// the figures of a line always add up: net = gross - discount + VAT.

// A typed amount ("1,234.5", "-50") rounded to whole pence; nullopt when the text is not
// an amount or lies beyond plus or minus 999,999,999.99.
std::optional<Money> parseLineAmount(QStringView text);
// Whether `text` is an amount, but one beyond what a line may hold.
bool isAmountTooLarge(QStringView text);
// The largest amount a line may hold, as shown: "999,999,999.99".
QString largestLineAmount();

// A typed percentage ("10", "12.4") as a whole number from 0 to 100; nullopt when the
// text is empty or is not such a number.
std::optional<int> parsePercent(QStringView text);

// `percent` per cent of `amount`, in whole pence.
Money percentOf(Money amount, int percent);

// A percentage driver's share of a job's `gross`: gross times `percent` (0 to 100)
// divided by 100, exact in ten-thousandths, halves away from zero. The invoice run and
// the driver payment run both pay drivers by it.
Money driverShare(Money gross, int percent);

// The VAT at `rate` on `amount` (an amount net of discount), in whole pence.
Money vatOn(Money amount, VatRate rate = kStandardVatRate);

// The figures of one line.
struct CostFigures
{
    Money gross;
    int discountPercent = 0;
    Money discount;
    Money vat; // zero when the line bears no VAT
    Money net; // gross - discount + vat

    Money netOfDiscount() const { return gross - discount; }
};

// The figures of a line of `gross` (rounded to whole pence first) with a discount of
// `discountPercent` and, when `bearsVat`, VAT at `vatRate` on what remains after the
// discount.
CostFigures costFigures(Money gross, int discountPercent, bool bearsVat,
                        VatRate vatRate = kStandardVatRate);

// The job ("A12") of the cost line with the largest amount, the one almost always at fault
// when sums of cost lines run past 64 bits; empty when there is none or it cannot be read.
QString jobOfLargestCostLine(const QSqlDatabase& db);

} // namespace velmora
