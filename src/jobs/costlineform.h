#pragma once

#include "costlinestore.h"

#include <QString>

namespace velmora {

// The fields of one receipt or payment line as the screen shows them.
struct CostLineTexts
{
    QString type;
    QString description;
    QString cost;
    QString percent;
    QString discount;
    QString vat;
    QString vatValue;
    QString net;

    bool operator==(const CostLineTexts&) const = default;
};

// The type entry that marks a line as not used.
QString unusedType();

// A line is used unless its type is empty or the unused entry.
bool lineInUse(const CostLineTexts& line);

// The line's amount as typed; a receipt of the credit note type is always negative.
// nullopt when the cost field holds no amount.
std::optional<Money> lineAmount(const CostLineTexts& line, CostSide side);

// Shows the discount of the line and what remains after it (the net before VAT). Without
// a percentage (on payment lines also with 0) the discount shows as 0.00.
void showDiscount(CostLineTexts& line, CostSide side);
// Shows the discount, the VAT at `vatRate` and the net including VAT.
void showVat(CostLineTexts& line, CostSide side, VatRate vatRate = kStandardVatRate);

// Says why the cost of `line` cannot be read: too large, or missing.
QString unreadableCostMessage(const CostLineTexts& line, const QString& missing);

// The cost field left: false when it holds no amount. Otherwise shows it as money, a
// credit note as a negative amount. Nothing happens on a line not in use.
bool leaveCost(CostLineTexts& line, CostSide side);
// The description field left: an empty description of a line in use becomes its type.
void leaveDescription(CostLineTexts& line);
// The VAT rate of a line is the one of its job's pick-up day (VatRates::on).

// The VAT field left. On a receipt line an empty percentage becomes 0, the flag is put in
// upper case, and an empty flag becomes Y for a VAT-registered company and N otherwise;
// VAT is shown when the flag is Y. On a payment line only an empty flag is acted on.
void leaveVat(CostLineTexts& line, CostSide side, bool vatRegistered,
              VatRate vatRate = kStandardVatRate);

// The check of a line in use before saving: false when it has no amount. Otherwise fills
// an empty description, shows the cost, the discount and, when the flag is Y, the VAT;
// any other flag becomes N with no VAT. A receipt's flag counts in either case ("y"), a
// payment's only as typed ("Y").
bool checkLine(CostLineTexts& line, CostSide side, VatRate vatRate = kStandardVatRate);

// The line as it is to be saved; its amount must be readable.
CostLineEntry entryOf(const CostLineTexts& line, CostSide side, VatRate vatRate = kStandardVatRate);

} // namespace velmora
