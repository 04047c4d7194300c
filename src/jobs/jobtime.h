#pragma once

#include <QString>

#include <optional>

namespace velmora {

// A typed pick-up time as hours and minutes, "HH:mm". Hours and minutes may be typed
// with a colon ("9:30", "09:30", "09:30:00") or as digits alone ("930", "0930", and with
// seconds "93015" or "093015"); seconds are dropped. Returns nullopt when the text is
// not such a time, or lies outside 00:00 to 24:00.
std::optional<QString> normalisePickUpTime(const QString& typed);

// The stored form of a normalised pick-up time ("09:30" is "09:30:00").
QString storedPickUpTime(const QString& normalised);

} // namespace velmora
