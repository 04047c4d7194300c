#include "dates.h"

#include <QDateTime>
#include <QRegularExpression>

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

QString ukDate(QDate date)
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return date.toString(QStringLiteral("dd/MM/yyyy"));
    // Written by hand: a format string costs more than the rest of a list's row.
    const auto digit = [](int value) { return QChar(u'0' + value % 10); };
    const QChar text[] = {digit(day / 10),    digit(day),        u'/',
                          digit(month / 10),  digit(month),      u'/',
                          digit(year / 1000), digit(year / 100), digit(year / 10),
                          digit(year)};
    return QString(text, 10);
}

std::optional<QDate> parseUkDate(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(3).toInt();
    if (match.capturedLength(3) == 2)
        year += 2000;
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace velmora
