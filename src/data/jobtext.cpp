#include "jobtext.h"

namespace velmora {

namespace {

// True when `pattern` holds three characters in a row that are not "*": the least the
// trigram index can look up.
bool hasTrigram(const QString& pattern)
{
    int run = 0;
    for (const QChar c : pattern) {
        run = c == QLatin1Char('*') ? 0 : run + 1;
        if (run >= 3)
            return true;
    }
    return false;
}

} // namespace

QString jobTextNarrowing(Engine engine, const QString& column, const QString& pattern,
                         QVariantList* values)
{
    // A file's own index of the column serves a pattern with a fixed start; a server's serves
    // none (its columns' case-blind type has no index for LIKE), so there every pattern with
    // a trigram reads the trigram index.
    if (!hasTrigram(pattern) || (engine == Engine::SQLite && !pattern.startsWith(QLatin1Char('*'))))
        return {};
    // The index's LIKE knows no escape: a "%" or "_" typed as itself becomes "_" (any one
    // character), which lets through a superset for the caller's own comparison to sift. A
    // server's ILIKE takes "\" as its escape, so there it becomes "_" too.
    QString like = pattern;
    like.replace(QLatin1Char('%'), QLatin1Char('_')).replace(QLatin1Char('*'), QLatin1Char('%'));
    if (engine == Engine::PostgreSQL) {
        values->append(like.replace(QLatin1Char('\\'), QLatin1Char('_')));
        return QStringLiteral("jobs.rowid in (select rowid from jobs where %1::text ilike ?) and ")
            .arg(column);
    }
    values->append(like);
    return QStringLiteral("jobs.rowid in (select rowid from jobs_text where %1 like ?) and ")
        .arg(column);
}

} // namespace velmora
