#include "dates.h"

#include "bytes.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>

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

namespace {

// The date as "dd/MM/yyyy" in *text, written by hand: a format string costs more than the
// rest of a list's row. False for a year outside 1 to 9999, which Qt writes otherwise.
bool ukDigits(QDate date, char (&text)[10])
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return false;
    const auto digit = [](int value) { return static_cast<char>('0' + value % 10); };
    const char written[] = {digit(day / 10),    digit(day),        '/',
                            digit(month / 10),  digit(month),      '/',
                            digit(year / 1000), digit(year / 100), digit(year / 10),
                            digit(year)};
    std::copy(std::begin(written), std::end(written), std::begin(text));
    return true;
}

} // namespace

QString ukDate(QDate date)
{
    char text[10];
    if (!ukDigits(date, text))
        return date.toString(QStringLiteral("dd/MM/yyyy"));
    return QString::fromLatin1(text, 10);
}

void appendUkDate(QByteArray* out, QDate date)
{
    char text[10];
    if (ukDigits(date, text))
        appendBytes(out, QByteArrayView(text, 10));
    else
        out->append(ukDate(date).toUtf8());
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
