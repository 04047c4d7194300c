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

// The pattern for an index's LIKE, which knows no escape here: a "%" or "_" typed as itself
// becomes "_" (any one character), which lets through a superset for the caller's own
// comparison to sift. A server's LIKE takes "\" as its escape, so there it becomes "_" too.
QString indexPattern(Engine engine, const QString& pattern)
{
    QString like = pattern;
    like.replace(QLatin1Char('%'), QLatin1Char('_')).replace(QLatin1Char('*'), QLatin1Char('%'));
    if (engine == Engine::PostgreSQL)
        like.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return like;
}

// The jobs whose row in the text table meets `condition`.
QString textRows(const QString& condition)
{
    return QStringLiteral("jobs.rowid in (select rowid from jobs_text where %1) and ")
        .arg(condition);
}

} // namespace

QString jobTextNarrowing(Engine engine, const QString& column, const QString& pattern,
                         QVariantList* values)
{
    // A server finds an exact text ("Mrs Quinn") through the same index, which holds the
    // column's text in lower case as its case-blind equality compares it.
    if (engine == Engine::PostgreSQL && !pattern.contains(QLatin1Char('*'))) {
        values->append(pattern);
        return textRows(QStringLiteral("lower(%1::text) = lower(?)").arg(column));
    }
    const bool fixedStart =
        pattern.contains(QLatin1Char('*')) && !pattern.startsWith(QLatin1Char('*'));
    // A server's index of the column's text in lower case serves a fixed start, as its LIKE
    // on the case-blind column compares the two texts in lower case; a file's own index of
    // the column serves it already.
    if (engine == Engine::PostgreSQL && fixedStart) {
        values->append(indexPattern(engine, pattern));
        return textRows(QStringLiteral("lower(%1::text) like lower(?)").arg(column));
    }
    if (!hasTrigram(pattern) || !pattern.startsWith(QLatin1Char('*')))
        return {};
    values->append(indexPattern(engine, pattern));
    // A server's trigram index of the column serves only its case-blind ILIKE on its text.
    const char* match = engine == Engine::PostgreSQL ? "%1::text ilike ?" : "%1 like ?";
    return textRows(QString::fromLatin1(match).arg(column));
}

} // namespace velmora
