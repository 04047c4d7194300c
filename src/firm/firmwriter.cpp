#include "firmwriter.h"

namespace velmora::firm {

bool FirmWriter::fail(const QString& reason)
{
    m_error = reason;
    return false;
}

bool FirmWriter::prepared(std::initializer_list<const SqliteStatement*> statements)
{
    for (const SqliteStatement* statement : statements) {
        if (!statement->isValid())
            return fail(statement->error());
    }
    return true;
}

void FirmWriter::report(const char* stage, std::int64_t done, std::int64_t total)
{
    if (m_progress)
        m_progress(stage, done, total);
}

} // namespace velmora::firm
