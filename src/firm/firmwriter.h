#pragma once

#include "data/sqlitestatement.h"
#include "firmgenerator.h"

#include <QString>

#include <cstdint>
#include <initializer_list>

struct sqlite3;

namespace velmora::firm {

// What the writers of a generated firm's rows share: their options and progress, running
// their statements, and the first error, after which a writer stops.
class FirmWriter
{
public:
    FirmWriter(const FirmOptions& options, const FirmProgress& progress)
        : m_options(options), m_progress(progress)
    {
    }

    QString error() const { return m_error; }

protected:
    // Keeps `reason` as the error; false.
    bool fail(const QString& reason);
    bool run(SqliteStatement& statement) { return statement.execute() || fail(statement.error()); }
    // False with the first error when one of `statements` could not be prepared.
    bool prepared(std::initializer_list<const SqliteStatement*> statements);
    void report(const char* stage, std::int64_t done, std::int64_t total);

    const FirmOptions& m_options;
    const FirmProgress& m_progress;

private:
    QString m_error;
};

// Builds a Writer(db, options, progress) and runs its write(); false with its error in *error.
template <typename Writer>
bool writeFirm(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
               QString* error)
{
    Writer writer(db, options, progress);
    if (writer.write())
        return true;
    *error = writer.error();
    return false;
}

} // namespace velmora::firm
