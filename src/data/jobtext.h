#pragma once

#include "dialect.h"

#include <QString>
#include <QVariantList>

namespace velmora {

// For a search `pattern` (operator's text, "*" for any run of characters) on one of the
// jobs' indexed text columns (passenger_name, address_from or address_to): when the
// pattern holds a run of three characters or more and, on a file, begins with "*", the condition
// that narrows the jobs to those the trigram index finds for it, followed by " and ",
// with its value appended to *values. Such a pattern has no fixed start for the column's
// own index to use. The condition may let through more rows than the pattern matches
// (it folds case beyond ASCII), so the caller still compares the column itself. Empty
// (and nothing appended) for any other pattern. A file reads its full-text table; a server
// the trigram index of the column itself, which only its case-blind ILIKE on the column's
// text can use.
QString jobTextNarrowing(Engine engine, const QString& column, const QString& pattern,
                         QVariantList* values);

} // namespace velmora
