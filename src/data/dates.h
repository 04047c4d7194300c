#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace velmora {

// Stored forms: dates "yyyy-MM-dd", times "HH:mm:ss", stamps "yyyy-MM-dd HH:mm:ss".
QString storedDate(QDate date);
QString storedTime(QTime time);
QString storedStamp(const QDateTime& stamp);
// Reads a stored date (or the date part of a stamp); an invalid QDate when it is not one.
QDate dateFromStored(const QString& text);

// The form users see and type: "dd/MM/yyyy".
QString ukDate(QDate date);
// The same appended to *out in UTF-8.
void appendUkDate(QByteArray* out, QDate date);
// Reads a typed date, day/month/year: "06/12/2026", "6/12/2026", and with a two-digit
// year "7/12/26", which is always 20xx (so 7/12/26 is 07/12/2026). Every screen reads
// typed dates through this; nullopt when the text is not such a date.
std::optional<QDate> parseUkDate(const QString& text);

} // namespace velmora
