#include "parameters.h"

#include "data/dates.h"
#include "definition.h"

#include <limits>

namespace velmora::reports {

namespace {

std::optional<QDate> parseDate(const QString& text, QDate today)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("today"))
        return today;
    if (word == QLatin1String("yesterday"))
        return today.addDays(-1);
    if (word == QLatin1String("first-of-month"))
        return QDate(today.year(), today.month(), 1);
    for (const char* format : {"yyyy-MM-dd", "dd/MM/yyyy"}) {
        const QDate date = QDate::fromString(word, QLatin1String(format));
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

std::optional<ParameterValue> namedPeriod(const QString& word, QDate today)
{
    const QDate month(today.year(), today.month(), 1);
    if (word == QLatin1String("this-month"))
        return ParameterValue{month, month.addMonths(1).addDays(-1)};
    if (word == QLatin1String("last-month"))
        return ParameterValue{month.addMonths(-1), month.addDays(-1)};
    if (word == QLatin1String("this-year"))
        return ParameterValue{QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
    if (word == QLatin1String("last-year"))
        return ParameterValue{QDate(today.year() - 1, 1, 1), QDate(today.year() - 1, 12, 31)};
    if (word == QLatin1String("all"))
        return ParameterValue{QDate(1, 1, 1), QDate(9999, 12, 31)};
    return std::nullopt;
}

QString shownDate(const QVariant& value)
{
    const QDate date = value.toDate();
    if (date == QDate(1, 1, 1) || date == QDate(9999, 12, 31))
        return QStringLiteral("any date");
    return ukDate(date);
}

} // namespace

std::optional<ParameterValue> parseParameter(const ParameterDefinition& parameter,
                                             const QString& text, QDate today, QString* reason)
{
    const QString word = text.trimmed().toLower();
    const QStringList parts = word.split(QLatin1String(".."));
    switch (parameter.type) {
    case ParameterDefinition::Type::Date:
        if (const auto date = parseDate(word, today))
            return ParameterValue{*date, *date};
        *reason = QStringLiteral("'%1' is not a date (yyyy-MM-dd, dd/MM/yyyy, today, yesterday or "
                                 "first-of-month)")
                      .arg(text);
        return std::nullopt;
    case ParameterDefinition::Type::DateRange: {
        if (const auto period = namedPeriod(word, today))
            return period;
        const auto from = parts.size() == 2 ? parseDate(parts.at(0), today) : std::nullopt;
        const auto to = parts.size() == 2 ? parseDate(parts.at(1), today) : std::nullopt;
        if (from && to && *from <= *to)
            return ParameterValue{*from, *to};
        *reason = QStringLiteral("'%1' is not a period: two dates joined by '..', the first not "
                                 "after the second, or last-month, this-month, last-year, "
                                 "this-year or all")
                      .arg(text);
        return std::nullopt;
    }
    case ParameterDefinition::Type::AccountRange: {
        if (word == QLatin1String("all"))
            return ParameterValue{qlonglong(0), std::numeric_limits<qlonglong>::max()};
        bool fromOk = false;
        bool toOk = parts.size() <= 2;
        const qlonglong from = parts.at(0).trimmed().toLongLong(&fromOk);
        const qlonglong to = parts.size() == 2 ? parts.at(1).trimmed().toLongLong(&toOk) : from;
        if (fromOk && toOk && from >= 0 && from <= to)
            return ParameterValue{from, to};
        *reason = QStringLiteral("'%1' is not a range of accounts: two account numbers joined by "
                                 "'..', the first not above the second, one number, or all")
                      .arg(text);
        return std::nullopt;
    }
    }
    return std::nullopt;
}

QString parameterText(const ParameterDefinition& parameter, const ParameterValue& value)
{
    switch (parameter.type) {
    case ParameterDefinition::Type::Date:
        return storedDate(value.from.toDate());
    case ParameterDefinition::Type::DateRange:
        return storedDate(value.from.toDate()) + QLatin1String("..") +
               storedDate(value.to.toDate());
    case ParameterDefinition::Type::AccountRange:
        return value.from.toString() + QLatin1String("..") + value.to.toString();
    }
    return {};
}

bool resolveParameters(const std::vector<ParameterDefinition>& parameters,
                       const QMap<QString, QString>& given, QDate today, const QString& path,
                       QVariantMap* placeholders, QVariantMap* shown, ReportError* error)
{
    for (auto name = given.keyBegin(); name != given.keyEnd(); ++name) {
        const bool declared =
            std::any_of(parameters.begin(), parameters.end(),
                        [&name](const ParameterDefinition& each) { return each.name == *name; });
        if (!declared) {
            *error = {ReportError::BadParameter,
                      QStringLiteral("The report file '%1' has no parameter named '%2'.")
                          .arg(path, *name)};
            return false;
        }
    }
    for (const ParameterDefinition& parameter : parameters) {
        QString reason;
        const QString text = given.value(parameter.name, parameter.defaultValue);
        const auto value = parseParameter(parameter, text, today, &reason);
        if (!value) {
            *error = {ReportError::BadParameter,
                      QStringLiteral("%1: the parameter '%2': %3.")
                          .arg(placeInFile(path, parameter.line), parameter.name, reason)};
            return false;
        }
        const QString& name = parameter.name;
        if (parameter.type == ParameterDefinition::Type::Date) {
            placeholders->insert(name.toLower(), storedDate(value->from.toDate()));
            shown->insert(name, ukDate(value->from.toDate()));
            continue;
        }
        const bool dates = parameter.type == ParameterDefinition::Type::DateRange;
        const auto stored = [dates](const QVariant& v) {
            return dates ? QVariant(storedDate(v.toDate())) : v;
        };
        const auto display = [dates](const QVariant& v) {
            return dates ? shownDate(v) : v.toString();
        };
        placeholders->insert(name.toLower() + QLatin1String("_from"), stored(value->from));
        placeholders->insert(name.toLower() + QLatin1String("_to"), stored(value->to));
        shown->insert(name + QLatin1String("_from"), display(value->from));
        shown->insert(name + QLatin1String("_to"), display(value->to));
        shown->insert(name,
                      QStringLiteral("%1 to %2").arg(display(value->from), display(value->to)));
    }
    return true;
}

} // namespace velmora::reports
