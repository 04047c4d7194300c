#include "jobtime.h"

#include <QRegularExpression>

namespace velmora {

std::optional<QString> normalisePickUpTime(const QString& typed)
{
    static const QRegularExpression withColons(
        QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?$)"));
    static const QRegularExpression digitsOnly(QStringLiteral(R"(^\d{3,6}$)"));
    const QString text = typed.trimmed();
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (const auto match = withColons.match(text); match.hasMatch()) {
        hours = match.captured(1).toInt();
        minutes = match.captured(2).toInt();
        seconds = match.captured(3).toInt();
    } else if (digitsOnly.match(text).hasMatch()) {
        // The last two digits are minutes, or with five or six digits the two before them.
        const qsizetype hourDigits = text.size() <= 4 ? text.size() - 2 : text.size() - 4;
        hours = text.left(hourDigits).toInt();
        minutes = text.mid(hourDigits, 2).toInt();
        seconds = text.mid(hourDigits + 2).toInt();
    } else {
        return std::nullopt;
    }
    if (minutes > 59 || seconds > 59 || hours > 24 || (hours == 24 && minutes + seconds > 0))
        return std::nullopt;
    return QStringLiteral("%1:%2")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'));
}

QString storedPickUpTime(const QString& normalised) { return normalised + QStringLiteral(":00"); }

} // namespace velmora
