#include "money.h"

#include <QRegularExpression>

namespace velmora {

namespace {
constexpr std::int64_t kUnitsPerPound = 10000;
constexpr std::int64_t kUnitsPerPenny = 100;
} // namespace

std::optional<Money> Money::parse(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(-)?\s*£?\s*(\d{1,3}(?:,\d{3})+|\d+)?(?:\.(\d{0,4}))?\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QString whole = match.captured(2);
    const QString fraction = match.captured(3);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    whole.remove(QLatin1Char(','));
    if (whole.size() > 14) // keeps pounds * 10000 well inside 64 bits
        return std::nullopt;
    std::int64_t units = whole.isEmpty() ? 0 : whole.toLongLong() * kUnitsPerPound;
    units += fraction.leftJustified(4, QLatin1Char('0')).toLongLong();
    return Money(match.captured(1).isEmpty() ? units : -units);
}

Money Money::fromVariant(const QVariant& value)
{
    return Money(value.isNull() ? 0 : value.toLongLong());
}

Money Money::roundedToPence() const
{
    const std::int64_t magnitude = m_units < 0 ? -m_units : m_units;
    const std::int64_t pence = (magnitude + kUnitsPerPenny / 2) / kUnitsPerPenny;
    const std::int64_t rounded = pence * kUnitsPerPenny;
    return Money(m_units < 0 ? -rounded : rounded);
}

QString Money::format(bool grouped) const
{
    const std::int64_t units = roundedToPence().m_units;
    const std::int64_t magnitude = units < 0 ? -units : units;
    QString whole = QString::number(magnitude / kUnitsPerPound);
    if (grouped) {
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, QLatin1Char(','));
    }
    const auto pence = (magnitude % kUnitsPerPound) / kUnitsPerPenny;
    return QStringLiteral("%1%2.%3")
        .arg(units < 0 ? QStringLiteral("-") : QString(), whole)
        .arg(pence, 2, 10, QLatin1Char('0'));
}

QString Money::toString() const { return format(true); }

QString Money::toPlainString() const { return format(false); }

} // namespace velmora
