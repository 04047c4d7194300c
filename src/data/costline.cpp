#include "costline.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace velmora {

namespace {

constexpr std::int64_t kUnitsPerPenny = 100;
constexpr std::int64_t kLargestAmount = 99'999'999'999 * kUnitsPerPenny; // 999,999,999.99

// numerator / denominator (> 0) to the nearest whole number, halves away from zero.
std::int64_t divideRounded(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t magnitude = numerator < 0 ? -numerator : numerator;
    const std::int64_t quotient = (magnitude + denominator / 2) / denominator;
    return numerator < 0 ? -quotient : quotient;
}

} // namespace

std::optional<Money> parseLineAmount(QStringView text)
{
    const auto amount = Money::parse(text);
    if (!amount || amount->stored() > kLargestAmount || amount->stored() < -kLargestAmount)
        return std::nullopt;
    return amount->roundedToPence();
}

bool isAmountTooLarge(QStringView text)
{
    const auto amount = Money::parse(text);
    return amount && (amount->stored() > kLargestAmount || amount->stored() < -kLargestAmount);
}

QString largestLineAmount() { return Money::fromStored(kLargestAmount).toString(); }

std::optional<int> parsePercent(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{1,3})?(?:\.(\d*))?\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch() || (match.capturedLength(1) == 0 && match.capturedLength(2) == 0))
        return std::nullopt;
    int whole = match.captured(1).toInt();
    const QStringView fraction = match.capturedView(2);
    if (!fraction.isEmpty() && fraction.front() >= u'5')
        ++whole;
    if (whole > 100)
        return std::nullopt;
    return whole;
}

Money percentOf(Money amount, int percent)
{
    return Money::fromPence(divideRounded(amount.stored() * percent, 100 * kUnitsPerPenny));
}

Money driverShare(Money gross, int percent)
{
    // Split so that no product can overflow: |whole * percent| <= |gross|.
    const std::int64_t whole = gross.stored() / 100;
    const std::int64_t rest = gross.stored() % 100;
    return Money::fromStored(whole * percent + divideRounded(rest * percent, 100));
}

Money vatOn(Money amount, VatRate rate)
{
    // pence = units * rate / 10^8, split so that no product can overflow: the whole
    // hundred-millions of units times the rate are whole pence already.
    constexpr std::int64_t kDivisor = 100 * 10000 * kUnitsPerPenny;
    const std::int64_t whole = amount.stored() / kDivisor;
    const std::int64_t rest = amount.stored() % kDivisor;
    return Money::fromPence(whole * rate + divideRounded(rest * rate, kDivisor));
}

CostFigures costFigures(Money gross, int discountPercent, bool bearsVat, VatRate vatRate)
{
    CostFigures figures;
    figures.gross = gross.roundedToPence();
    figures.discountPercent = discountPercent;
    figures.discount = percentOf(figures.gross, discountPercent);
    if (bearsVat)
        figures.vat = vatOn(figures.netOfDiscount(), vatRate);
    figures.net = figures.netOfDiscount() + figures.vat;
    return figures;
}

QString jobOfLargestCostLine(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    const bool found =
        query.exec(QStringLiteral(
            "SELECT job_prefix || jobnumber FROM Costs ORDER BY max(CASE WHEN gross_cost < 0 "
            "THEN -(gross_cost + 1) ELSE gross_cost END, CASE WHEN net_cost < 0 "
            "THEN -(net_cost + 1) ELSE net_cost END) DESC LIMIT 1")) &&
        query.next();
    return found ? query.value(0).toString() : QString();
}

} // namespace velmora
