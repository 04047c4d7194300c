#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <optional>

namespace velmora {

// A VAT rate in ten-thousandths of a per cent, as Money holds its amounts: 17.5 per cent
// is 175000.
using VatRate = std::int64_t;

// The rate of a database that has never been given one.
inline constexpr VatRate kStandardVatRate = 175000;

// The company's VAT rates: the rate that applies from a day on, and the one before it.
struct VatRates
{
    VatRate rate = kStandardVatRate;
    QDate from; // invalid: the rate has always applied
    VatRate previous = kStandardVatRate;

    // The rate of a job picked up on `day`; the current rate for a day not known.
    VatRate on(QDate day) const
    {
        return !from.isValid() || !day.isValid() || day >= from ? rate : previous;
    }
    // The rates after `newRate` is set to apply from `newFrom`: the rate it replaces goes
    // on applying before that day, unless only the rate of the same day is corrected.
    VatRates withRate(VatRate newRate, QDate newFrom) const;
};

// A typed rate ("17.5", "20") of at least 0 and below 100 per cent with at most four
// decimals; nullopt otherwise.
std::optional<VatRate> parseVatRate(const QString& text);
// The rate as it is shown: "17.5", "20".
QString vatRateText(VatRate rate);

// The rates in the company's row; the standard rate without a row. nullopt on failure
// with the reason in *error.
std::optional<VatRates> readVatRates(const QSqlDatabase& db, QString* error);
// Stores `rates` in the company's row, which must exist. False with the reason in *error.
bool saveVatRates(const QSqlDatabase& db, const VatRates& rates, QString* error);

} // namespace velmora
