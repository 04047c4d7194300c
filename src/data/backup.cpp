#include "backup.h"

#include "sqlitequery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSqlDriver>

#include <sqlite3.h>

namespace velmora {

namespace {

const char* const kSafetyCopyInfix = ".backup";

// Copies every page of `source` into the new file `path`.
bool copyPages(sqlite3* source, const QString& path, QString* error)
{
    sqlite3* target = nullptr;
    int result = sqlite3_open_v2(QFile::encodeName(path).constData(), &target,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (result == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
        if (backup) {
            result = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (result == SQLITE_DONE)
                result = SQLITE_OK;
        } else {
            result = sqlite3_errcode(target);
        }
    }
    if (result != SQLITE_OK)
        *error = QString::fromUtf8(target ? sqlite3_errmsg(target) : sqlite3_errstr(result));
    sqlite3_close(target);
    return result == SQLITE_OK;
}

} // namespace

bool backupDatabase(const QSqlDatabase& db, const QString& target, QString* error)
{
    sqlite3* source = sqliteHandle(db);
    if (!source) {
        *error = QObject::tr("The database connection cannot be copied.");
        return false;
    }
    const QFileInfo info(target);
    if (info.exists() || info.isSymLink()) {
        *error =
            QObject::tr("The file '%1' already exists; it has been left untouched.").arg(target);
        return false;
    }
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    QString reason;
    if (!copyPages(source, partial, &reason) || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        *error = QObject::tr("The database could not be copied to '%1': %2")
                     .arg(target,
                          reason.isEmpty() ? QObject::tr("the copy could not be named") : reason);
        return false;
    }
    return true;
}

std::optional<QString> writeSafetyCopy(const QSqlDatabase& db, QString* error, const QDateTime& now)
{
    const QString name = db.databaseName();
    if (name.isEmpty() || name == QLatin1String(":memory:"))
        return QString();
    const QFileInfo file(name);
    QDir folder = file.absoluteDir();
    const QString stem = file.completeBaseName() + QLatin1Char('-');
    const QString suffix = QLatin1String(kSafetyCopyInfix) + QLatin1Char('.') + file.suffix();
    QString target =
        folder.filePath(stem + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + suffix);
    // Two copies within a second are told apart by a count.
    for (int extra = 2; QFileInfo::exists(target); ++extra)
        target = folder.filePath(stem + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                 QStringLiteral("-%1").arg(extra) + suffix);
    if (!backupDatabase(db, target, error))
        return std::nullopt;
    // The stamp sorts by time, so the oldest copies come first by name.
    const QStringList copies = folder.entryList({stem + QStringLiteral("*") + suffix}, QDir::Files,
                                                QDir::Name | QDir::Reversed);
    for (qsizetype i = kSafetyCopiesKept; i < copies.size(); ++i)
        folder.remove(copies.at(i));
    return target;
}

} // namespace velmora
