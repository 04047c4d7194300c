#include "costlineform.h"

#include <QObject>

namespace velmora {

namespace {

bool bearsVat(const CostLineTexts& line, CostSide side)
{
    return line.vat.compare(QLatin1String("Y"), side == CostSide::Receipt ? Qt::CaseInsensitive
                                                                          : Qt::CaseSensitive) == 0;
}

bool hasDiscount(const CostLineTexts& line, CostSide side)
{
    if (line.percent.isEmpty())
        return false;
    return side == CostSide::Receipt || parsePercent(line.percent).value_or(0) > 0;
}

} // namespace

QString unusedType() { return QStringLiteral("None"); }

bool lineInUse(const CostLineTexts& line)
{
    return !line.type.isEmpty() && line.type != unusedType();
}

std::optional<Money> lineAmount(const CostLineTexts& line, CostSide side)
{
    auto amount = parseLineAmount(line.cost);
    const bool creditNote =
        side == CostSide::Receipt && line.type.compare(creditNoteType(), Qt::CaseInsensitive) == 0;
    if (amount && creditNote && *amount > Money())
        amount = -*amount;
    return amount;
}

void showDiscount(CostLineTexts& line, CostSide side)
{
    const Money gross = lineAmount(line, side).value_or(Money());
    if (!hasDiscount(line, side)) {
        line.discount = Money().toString();
        line.net = gross.toString();
        return;
    }
    const CostFigures figures = costFigures(gross, parsePercent(line.percent).value_or(0), false);
    line.percent = QString::number(figures.discountPercent);
    line.discount = figures.discount.toString();
    line.net = figures.netOfDiscount().toString();
}

void showVat(CostLineTexts& line, CostSide side, VatRate vatRate)
{
    showDiscount(line, side);
    const int percent = hasDiscount(line, side) ? parsePercent(line.percent).value_or(0) : 0;
    const CostFigures figures =
        costFigures(lineAmount(line, side).value_or(Money()), percent, true, vatRate);
    line.vatValue = figures.vat.toString();
    line.net = figures.net.toString();
}

QString unreadableCostMessage(const CostLineTexts& line, const QString& missing)
{
    if (isAmountTooLarge(line.cost))
        return QObject::tr("The cost is too large: a line may hold at most %1")
            .arg(largestLineAmount());
    return missing;
}

bool leaveCost(CostLineTexts& line, CostSide side)
{
    if (!lineInUse(line))
        return true;
    const auto amount = lineAmount(line, side);
    if (!amount)
        return false;
    line.cost = amount->toString();
    return true;
}

void leaveDescription(CostLineTexts& line)
{
    if (lineInUse(line) && line.description.isEmpty())
        line.description = line.type;
}

void leaveVat(CostLineTexts& line, CostSide side, bool vatRegistered, VatRate vatRate)
{
    if (side == CostSide::Payment && !line.vat.isEmpty())
        return;
    if (side == CostSide::Receipt && line.percent.isEmpty())
        line.percent = QStringLiteral("0");
    line.vat = line.vat.toUpper();
    if (line.vat.isEmpty())
        line.vat = vatRegistered ? QStringLiteral("Y") : QStringLiteral("N");
    if (line.vat == QLatin1String("Y"))
        showVat(line, side, vatRate);
}

bool checkLine(CostLineTexts& line, CostSide side, VatRate vatRate)
{
    leaveDescription(line);
    const auto amount = lineAmount(line, side);
    if (!amount)
        return false;
    line.cost = amount->toString();
    showDiscount(line, side);
    if (bearsVat(line, side)) {
        line.vat = QStringLiteral("Y");
        showVat(line, side, vatRate);
    } else {
        line.vat = QStringLiteral("N");
        line.vatValue = Money().toString();
    }
    return true;
}

CostLineEntry entryOf(const CostLineTexts& line, CostSide side, VatRate vatRate)
{
    const int percent = hasDiscount(line, side) ? parsePercent(line.percent).value_or(0) : 0;
    return {line.type, line.description,
            costFigures(lineAmount(line, side).value_or(Money()), percent, bearsVat(line, side),
                        vatRate),
            bearsVat(line, side)};
}

} // namespace velmora
