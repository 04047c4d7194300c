#pragma once

#include <QString>
#include <QVariant>

#include <compare>
#include <cstdint>
#include <optional>

namespace velmora {

// An exact amount of money in ten-thousandths of a pound, held in 64 bits.
// There is deliberately no construction from floating point: amounts enter
// through parse() (typed text) or fromStored() (a database INTEGER).
class Money
{
public:
    constexpr Money() = default;

    // The amount whose stored form (ten-thousandths) is `units`.
    static constexpr Money fromStored(std::int64_t units) { return Money(units); }
    // Whole pounds and pence, e.g. fromPence(10575) is 105.75.
    static constexpr Money fromPence(std::int64_t pence) { return Money(pence * 100); }

    // Reads "1234.5", "1,234.50", "-3", "£12.3456" and " 7 ". At most four
    // decimals; thousands separators must sit in groups of three. Returns
    // nullopt for anything else, including an empty text.
    static std::optional<Money> parse(QStringView text);
    // A stored column value; NULL reads as zero.
    static Money fromVariant(const QVariant& value);

    constexpr std::int64_t stored() const { return m_units; }
    QVariant toVariant() const { return QVariant::fromValue<qlonglong>(m_units); }

    // Rounded to whole pence, halves away from zero (2.345 -> 2.35, -2.345 -> -2.35).
    Money roundedToPence() const;
    // The UK display form with two decimals: "1,234.50", "-0.05".
    QString toString() const;
    // Two decimals without separators, for edit fields: "1234.50".
    QString toPlainString() const;

    constexpr bool isZero() const { return m_units == 0; }
    constexpr Money operator-() const { return Money(-m_units); }
    constexpr Money operator+(Money o) const { return Money(m_units + o.m_units); }
    constexpr Money operator-(Money o) const { return Money(m_units - o.m_units); }
    constexpr Money& operator+=(Money o)
    {
        m_units += o.m_units;
        return *this;
    }
    constexpr Money& operator-=(Money o)
    {
        m_units -= o.m_units;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(std::int64_t units) : m_units(units) {}
    QString format(bool grouped) const;

    std::int64_t m_units = 0;
};

} // namespace velmora
