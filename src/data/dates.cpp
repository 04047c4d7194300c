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
    // The ISO reader is many times quicker than a format string, which counts when a
    // list reads thousands of rows.
    return QDate::fromString(text.left(10), Qt::ISODate);
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
