#include "dates.h"

#include <QDateTime>

namespace velmora {

QString storedDate(QDate date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QString storedTime(QTime time) { return time.toString(QStringLiteral("HH:mm:ss")); }

QString storedStamp(const QDateTime& stamp)
{
    return stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDate dateFromStored(const QString& text)
{
    return QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
}

QString ukDate(QDate date) { return date.toString(QStringLiteral("dd/MM/yyyy")); }

std::optional<QDate> parseUkDate(const QString& text)
{
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("d/M/yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace velmora
