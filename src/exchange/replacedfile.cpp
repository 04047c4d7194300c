#include "replacedfile.h"

#include <QObject>

namespace velmora::exchange {

namespace {
constexpr qsizetype kPieceBytes = 64 * 1024;
}

ReplacedFile::ReplacedFile(const QString& path, OutputRules rules)
    : m_path(path), m_file(path, std::move(rules)), m_gathered(kPieceBytes)
{
}

bool ReplacedFile::open(QString* error) { return m_file.open(error); }

char* ReplacedFile::reserve(qsizetype size)
{
    Q_ASSERT(size <= kPieceBytes);
    if (m_used + size > kPieceBytes)
        flush();
    char* room = m_gathered.data() + m_used;
    m_used += size;
    return room;
}

void ReplacedFile::flush()
{
    // A piece written in part (a full disk) fails the file, which is then never committed.
    if (m_used > 0 && m_file.file().write(m_gathered.data(), m_used) != m_used)
        m_failed = true;
    m_used = 0;
}

bool ReplacedFile::commit(QString* error)
{
    flush();
    if (m_failed) {
        *error = QObject::tr("The file '%1' could not be written: %2")
                     .arg(m_path, m_file.file().errorString());
        return false;
    }
    return m_file.commit(error);
}

} // namespace velmora::exchange
