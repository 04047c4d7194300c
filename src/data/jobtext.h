#pragma once

#include <QString>
#include <QVariantList>

namespace velmora {

// For a search `pattern` (operator's text, "*" for any run of characters) on one of the
// jobs' indexed text columns (passenger_name, address_from or address_to): when the
// pattern begins with "*" and holds a run of three characters or more, the condition
// that narrows the jobs to those the trigram index finds for it, followed by " and ",
// with its value appended to *values. Such a pattern has no fixed start for the column's
// own index to use. The condition may let through more rows than the pattern matches
// (it folds case beyond ASCII), so the caller still compares the column itself. Empty
// (and nothing appended) for any other pattern.
QString jobTextNarrowing(const QString& column, const QString& pattern, QVariantList* values);

} // namespace velmora
