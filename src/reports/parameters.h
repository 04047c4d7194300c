#pragma once

#include "reporterror.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace velmora::reports {

// A value a report asks for before it runs, declared under [parameters.NAME].
struct ParameterDefinition
{
    enum class Type { Date, DateRange, AccountRange };
    QString name;
    QString label;
    Type type = Type::Date;
    QString defaultValue; // in the form parseParameter() reads
    int line = 0;
};

// A parameter's value: a date (in `from`), or a range from `from` to `to`; dates as
// QDate, accounts as numbers.
struct ParameterValue
{
    QVariant from;
    QVariant to;
};

// Reads `text` as a value of `parameter` on `today`: a date as yyyy-MM-dd or dd/MM/yyyy,
// or "today", "yesterday", "first-of-month"; a date range as two dates joined by "..", or
// "last-month", "this-month", "last-year", "this-year", "all"; an account range as two
// account numbers joined by "..", one number, or "all". nullopt with the reason.
std::optional<ParameterValue> parseParameter(const ParameterDefinition& parameter,
                                             const QString& text, QDate today, QString* reason);

// The text form of a value, as parseParameter() reads it back.
QString parameterText(const ParameterDefinition& parameter, const ParameterValue& value);

// The values of every parameter from `given` (by name, as text), the others from their
// defaults: the query placeholders (:name for a date, :name_from and :name_to for a
// range; dates as yyyy-MM-dd) into *placeholders and what the template shows (name,
// name_from, name_to; dates as dd/MM/yyyy) into *shown. False with BadParameter naming the
// parameter in *error, also for a name in `given` that the report does not declare.
bool resolveParameters(const std::vector<ParameterDefinition>& parameters,
                       const QMap<QString, QString>& given, QDate today, const QString& path,
                       QVariantMap* placeholders, QVariantMap* shown, ReportError* error);

} // namespace velmora::reports
