#include "outputfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QObject>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// What a file SQLite works on may have beside it.
const char* const kDatabaseSuffixes[] = {"", "-journal", "-wal", "-shm"};

// Where `path` leads: the file a link points at, with its folder's links resolved too;
// empty for a link to nothing or a folder that does not exist.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    if (info.isSymLink())
        return {};
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(info.fileName());
}

bool sameFile(const QString& resolvedPath, const QString& other)
{
    if (other.isEmpty())
        return false;
    struct stat first = {};
    struct stat second = {};
    if (::stat(QFile::encodeName(resolvedPath).constData(), &first) == 0 &&
        ::stat(QFile::encodeName(other).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return resolvedPath == resolved(other);
}

QString refused(const QString& path, const QString& why)
{
    return QObject::tr("The file '%1' was not written: %2.")
        .arg(QDir::toNativeSeparators(path), why);
}

QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

} // namespace

QString outputRefusal(const QString& path, const OutputRules& rules)
{
    if (path.trimmed().isEmpty())
        return refused(path, QObject::tr("no file was named"));
    const QString target = resolved(path);
    if (target.isEmpty())
        return refused(path, QFileInfo(path).isSymLink()
                                 ? QObject::tr("it is a link to a file that does not exist")
                                 : QObject::tr("its folder does not exist"));
    for (const char* suffix : kDatabaseSuffixes) {
        if (!rules.database.isEmpty() && sameFile(target, rules.database + QLatin1String(suffix)))
            return refused(path, QObject::tr("that file is the database '%1' or its journal")
                                     .arg(QDir::toNativeSeparators(rules.database)));
    }
    for (const QString& guarded : rules.guarded) {
        if (sameFile(target, guarded))
            return refused(path, QObject::tr("that is the report file itself"));
    }
    if (target.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
        return refused(path, QObject::tr("that is a report definition file"));
    struct stat existing = {};
    if (::stat(QFile::encodeName(target).constData(), &existing) != 0)
        return errno == ENOENT ? QString() : refused(path, systemReason());
    if (S_ISDIR(existing.st_mode))
        return refused(path, QObject::tr("that is a folder"));
    if (!S_ISREG(existing.st_mode))
        return refused(path, QObject::tr("that is a device, pipe or socket, not an ordinary file"));
    if (!rules.replace)
        return refused(path, QObject::tr("the file exists already; give --force to replace it"));
    return {};
}

OutputFile::OutputFile(const QString& path, OutputRules rules)
    : m_path(path), m_rules(std::move(rules))
{
}

OutputFile::~OutputFile()
{
    if (!m_committed)
        discard();
}

QString OutputFile::partPathFor(const QString& target, qint64 pid)
{
    return target + QStringLiteral(".part-%1").arg(pid);
}

bool OutputFile::open(QString* error)
{
    *error = outputRefusal(m_path, m_rules);
    if (!error->isEmpty())
        return false;
    m_target = resolved(m_path);
    const QFileInfo target(m_target);
    removeLeftovers(target.absolutePath(), target.fileName() + QStringLiteral(".part-"));
    m_part.setFileName(partPathFor(m_target, QCoreApplication::applicationPid()));
    if (!m_part.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = refused(m_path, m_part.errorString());
        return false;
    }
    // A file put in the place of another keeps the other's permissions.
    if (target.exists())
        m_part.setPermissions(QFile::permissions(m_target));
    return true;
}

bool OutputFile::commit(QString* error)
{
    if (m_part.fileName().isEmpty()) {
        *error = refused(m_path, QObject::tr("it was never opened"));
        return false;
    }
    // A file its writer closed was checked by that writer.
    const bool written =
        !m_part.isOpen() || (m_part.flush() && m_part.error() == QFileDevice::NoError);
    const QString reason = m_part.errorString();
    m_part.close();
    if (!written) {
        *error = refused(m_path, reason);
        discard();
        return false;
    }
    // The target may have changed while the file was written.
    *error = outputRefusal(m_path, m_rules);
    if (!error->isEmpty()) {
        discard();
        return false;
    }
    const QByteArray part = QFile::encodeName(m_part.fileName());
    const QByteArray target = QFile::encodeName(m_target);
    // link() never replaces a file that appeared meanwhile; rename() replaces in one step.
    const bool placed = m_rules.replace ? std::rename(part.constData(), target.constData()) == 0
                                        : ::link(part.constData(), target.constData()) == 0;
    if (!placed) {
        *error = refused(m_path, systemReason());
        discard();
        return false;
    }
    discard();
    m_committed = true;
    return true;
}

void OutputFile::discard()
{
    if (m_part.fileName().isEmpty())
        return;
    m_part.close();
    QFile::remove(m_part.fileName());
}

void removeLeftovers(const QString& folder, const QString& prefix)
{
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System)) {
        // The id, and the journal SQLite may have kept beside a copy.
        QString rest = name.mid(prefix.size());
        for (const char* suffix : kDatabaseSuffixes) {
            if (*suffix && rest.endsWith(QLatin1String(suffix)))
                rest.chop(qsizetype(std::strlen(suffix)));
        }
        bool number = false;
        const qint64 pid = rest.toLongLong(&number);
        if (number && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(dir.filePath(name));
    }
}

} // namespace velmora
