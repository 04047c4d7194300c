#pragma once

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
// Reads "dd/MM/yyyy", also with one-digit day or month ("6/12/2026"); nullopt otherwise.
std::optional<QDate> parseUkDate(const QString& text);

} // namespace velmora
