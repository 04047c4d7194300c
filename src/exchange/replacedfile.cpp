#include "replacedfile.h"

#include <QObject>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velmora::exchange {

namespace {
constexpr qsizetype kPieceBytes = 64 * 1024;
}

ReplacedFile::ReplacedFile(const QString& path)
    : m_path(path), m_part(path + QStringLiteral(".part")), m_gathered(kPieceBytes)
{
}

ReplacedFile::~ReplacedFile()
{
    if (!m_committed && m_part.isOpen()) {
        m_part.close();
        m_part.remove();
    }
}

bool ReplacedFile::open(QString* error)
{
    if (!m_part.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        *error = m_part.errorString();
        return false;
    }
    // A file put in the place of another keeps the other's permissions.
    if (QFile::exists(m_path))
        m_part.setPermissions(QFile::permissions(m_path));
    return true;
}

char* ReplacedFile::reserve(qsizetype size)
{
    Q_ASSERT(size <= kPieceBytes);
    if (m_used + size > kPieceBytes)
        flush();
    char* room = m_gathered.data() + m_used;
    m_used += size;
    return room;
}

bool ReplacedFile::flush()
{
    if (m_used > 0 && m_part.write(m_gathered.data(), m_used) != m_used)
        m_failed = true;
    m_used = 0;
    return !m_failed;
}

bool ReplacedFile::commit(QString* error)
{
    if (!flush() || !m_part.flush()) {
        *error = m_part.errorString();
        return false;
    }
    m_part.close();
    // The rename replaces the old file in one step (POSIX).
    if (std::rename(QFile::encodeName(m_part.fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        *error = QObject::tr("The file could not be put in place: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        m_part.remove();
        return false;
    }
    m_committed = true;
    return true;
}

} // namespace velmora::exchange
