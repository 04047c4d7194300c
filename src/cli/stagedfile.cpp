#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

// What a file SQLite works on may have beside it.
constexpr std::array<const char*, 4> kSuffixes = {"", "-journal", "-wal", "-shm"};

// The files the signal handler removes, fixed before it is installed.
constexpr std::size_t kPathMax = 4096;
char g_staging[kSuffixes.size()][kPathMax];
char g_lock[kPathMax];
constexpr std::array<int, 4> kSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previous[kSignals.size()];

extern "C" void removeAndLeave(int signal)
{
    for (const char* path : g_staging)
        ::unlink(path);
    ::unlink(g_lock);
    ::_exit(128 + signal);
}

bool copyPath(char* into, const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (static_cast<std::size_t>(bytes.size()) >= kPathMax)
        return false;
    std::memcpy(into, bytes.constData(), static_cast<std::size_t>(bytes.size()) + 1);
    return true;
}

void installHandler(const QString& staging, const QString& lock)
{
    bool copied = copyPath(g_lock, lock);
    for (std::size_t i = 0; i < kSuffixes.size(); ++i)
        copied = copyPath(g_staging[i], staging + QLatin1String(kSuffixes[i])) && copied;
    if (!copied)
        return;
    struct sigaction action = {};
    action.sa_handler = removeAndLeave;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

void restoreHandlers()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

// Makes the rename itself durable.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

StagedFile::StagedFile(QString target)
    : m_target(std::move(target)), m_staging(stagingPathFor(m_target)),
      m_lock(lockPathFor(m_target))
{
    // Only a lock whose process is gone is stale, however long a build runs.
    m_lock.setStaleLockTime(0);
}

StagedFile::~StagedFile()
{
    if (!m_begun)
        return;
    removeStaging();
    restoreHandlers();
    m_lock.unlock();
}

QString StagedFile::stagingPathFor(const QString& target)
{
    return target + QStringLiteral(".partial");
}

QString StagedFile::lockPathFor(const QString& target) { return target + QStringLiteral(".lock"); }

bool StagedFile::begin(QString* error)
{
    const QString folder = QFileInfo(m_target).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QObject::tr("The folder '%1' cannot be created.").arg(folder);
        return false;
    }
    if (!m_lock.tryLock(0)) {
        *error = m_lock.error() == QLockFile::LockFailedError
                     ? QObject::tr("Another program is creating '%1' right now.").arg(m_target)
                     : QObject::tr("The folder '%1' cannot be written.").arg(folder);
        return false;
    }
    m_begun = true;
    installHandler(m_staging, lockPathFor(m_target));
    removeStaging();
    const QFileInfo existing(m_target);
    if (existing.exists() || existing.isSymLink()) {
        *error =
            QObject::tr("The file '%1' already exists; it has been left untouched.").arg(m_target);
        return false;
    }
    return true;
}

bool StagedFile::commit(QString* error)
{
    // link() never replaces a file, so a target that appeared meanwhile is kept.
    if (::link(QFile::encodeName(m_staging).constData(), QFile::encodeName(m_target).constData()) !=
        0) {
        *error = errno == EEXIST
                     ? QObject::tr("The file '%1' already exists; it has been left untouched.")
                           .arg(m_target)
                     : QObject::tr("The new database could not be moved to '%1': %2")
                           .arg(m_target, QString::fromLocal8Bit(std::strerror(errno)));
        removeStaging();
        return false;
    }
    removeStaging();
    syncFolder(QFileInfo(m_target).absolutePath());
    return true;
}

void StagedFile::removeStaging() const
{
    for (const char* suffix : kSuffixes)
        QFile::remove(m_staging + QLatin1String(suffix));
}

} // namespace velmora::cli
