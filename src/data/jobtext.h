#pragma once

#include "dialect.h"

#include <QString>
#include <QVariantList>

namespace velmora {

// For a search `pattern` (operator's text, "*" for any run of characters) on one of the
// jobs' indexed text columns (passenger_name, address_from or address_to): the condition
// that narrows the jobs to those an index of the engine finds for it, followed by " and ",
// with its value appended to *values. A pattern that begins with "*" and holds a run of
// three characters or more reads the jobs' text table (a file's full-text table; a server's
// table of the three columns by rowid, whose trigram indexes only a case-blind ILIKE on the
// column's text can use); on a server, a pattern with a fixed start ("Mrs Q*") or none ("Mrs
// Quinn") reads the table's index of the column's text in lower case. The condition may let through
// more rows than the pattern matches (it folds case beyond ASCII on a file), so the caller still
// compares the column itself. Empty (and nothing appended) for any other pattern, and for a fixed
// start or an exact text on a file, whose own index of the column serves it.
QString jobTextNarrowing(Engine engine, const QString& column, const QString& pattern,
                         QVariantList* values);

} // namespace velmora
