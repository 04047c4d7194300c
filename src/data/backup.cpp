#include "backup.h"

#include "database.h"
#include "dialect.h"
#include "firmcopy.h"
#include "outputfile.h"
#include "sqlitestatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#include <sqlite3.h>
#include <unistd.h>

namespace velmora {

namespace {

// ".backup.mdb" for "taxi.mdb": what the names of a database's safety copies end in.
QString copySuffix(const QFileInfo& database)
{
    return database.suffix().isEmpty() ? QStringLiteral(".backup")
                                       : QStringLiteral(".backup.") + database.suffix();
}

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

// Copies the server database `db` into the new SQLite file `path` as copy does: the whole
// firm, read in one snapshot.
bool copyServer(const QSqlDatabase& db, const QString& path, QString* error)
{
    const QString connection = QStringLiteral("velmora-backup-%1").arg(path);
    bool done = false;
    {
        QSqlDatabase target = openEmptyDatabase(path, connection, error);
        done = target.isValid() && copyFirm(db, target, {}, error);
    }
    closeDatabase(connection);
    return done;
}

// Copies `db` into `part` (a name of this process alone, a killed copy's leftovers removed
// first), into an SQLite file whichever its engine, and gives the copy the first of `names(0)`,
// `names(1)`, ... that no file has, never replacing one. The name given, or empty with the reason
// in *error.
QString copyUnder(const QSqlDatabase& db, const QString& part,
                  const std::function<QString(int)>& names, QString* error)
{
    sqlite3* source = sqliteHandle(db);
    const bool server = engineOf(db) == Engine::PostgreSQL && db.isOpen();
    if (!source && !server) {
        *error = QObject::tr("The database connection cannot be copied.");
        return {};
    }
    const QFileInfo partInfo(part);
    const QString partPrefix = partInfo.fileName().left(partInfo.fileName().lastIndexOf('-') + 1);
    removeLeftovers(partInfo.absolutePath(), partPrefix);
    QFile::remove(part);
    QString reason;
    QString placed;
    if (server ? copyServer(db, part, &reason) : copyPages(source, part, &reason)) {
        for (int attempt = 0; placed.isEmpty() && reason.isEmpty(); ++attempt) {
            const QString name = names(attempt);
            if (::link(QFile::encodeName(part).constData(), QFile::encodeName(name).constData()) ==
                0)
                placed = name;
            else if (errno != EEXIST || attempt > 1000)
                reason = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    QFile::remove(part);
    if (placed.isEmpty())
        *error = QObject::tr("The database could not be copied to '%1': %2").arg(names(0), reason);
    return placed;
}

// The name pattern of `database`'s safety copies: its stem, the moment (to the second, then
// optionally milliseconds) and a count for copies made within the same millisecond.
QRegularExpression copyPattern(const QFileInfo& database)
{
    return QRegularExpression(QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d{3}))?(?:-(\\d+))?%2$")
                                  .arg(QRegularExpression::escape(database.completeBaseName()),
                                       QRegularExpression::escape(copySuffix(database))));
}

// Where a server database's safety copies go, as if it were the file `name`.mdb: the
// folder in which an installed program keeps its database file.
QString serverCopyStem(const QString& name)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("velmora/") + name + QStringLiteral(".mdb"));
}

} // namespace

bool backupDatabase(const QSqlDatabase& db, const QString& target, QString* error)
{
    *error = outputRefusal(target, {db.databaseName(), {}, false});
    if (!error->isEmpty())
        return false;
    const QString part = OutputFile::partPathFor(target, QCoreApplication::applicationPid());
    return !copyUnder(
                db, part, [&target](int attempt) { return attempt == 0 ? target : QString(); },
                error)
                .isEmpty();
}

std::optional<QString> writeSafetyCopy(const QSqlDatabase& db, QString* error, const QDateTime& now)
{
    const QString name = db.databaseName();
    if (name.isEmpty() || name == QLatin1String(":memory:"))
        return QString();
    const QFileInfo file(engineOf(db) == Engine::PostgreSQL ? serverCopyStem(name) : name);
    const QDir folder = file.absoluteDir();
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        *error = QObject::tr("The folder '%1' cannot be created.").arg(folder.path());
        return std::nullopt;
    }
    const QString stem = file.completeBaseName() + QLatin1Char('-') +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString part =
        folder.filePath(file.completeBaseName() +
                        QStringLiteral(".backup.part-%1").arg(QCoreApplication::applicationPid()));
    const QString copy = copyUnder(
        db, part,
        [&](int attempt) {
            return folder.filePath(
                stem + (attempt == 0 ? QString() : QStringLiteral("-%1").arg(attempt + 1)) +
                copySuffix(file));
        },
        error);
    if (copy.isEmpty())
        return std::nullopt;
    // The others of this database, newest first; the copy just made is kept whatever its
    // moment.
    const QRegularExpression pattern = copyPattern(file);
    struct Found
    {
        QString name;
        QString moment;
        int milliseconds;
        int count;
    };
    std::vector<Found> others;
    for (const QString& each : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(each);
        if (match.hasMatch() && folder.filePath(each) != copy)
            others.push_back({each, match.captured(1),
                              match.captured(2).isEmpty() ? -1 : match.captured(2).toInt(),
                              match.captured(3).isEmpty() ? 1 : match.captured(3).toInt()});
    }
    std::sort(others.begin(), others.end(), [](const Found& a, const Found& b) {
        return std::tie(a.moment, a.milliseconds, a.count) >
               std::tie(b.moment, b.milliseconds, b.count);
    });
    for (std::size_t i = kSafetyCopiesKept - 1; i < others.size(); ++i)
        QFile::remove(folder.filePath(others[i].name));
    if (!QFileInfo::exists(copy)) {
        *error = QObject::tr("The copy '%1' was removed while it was made.").arg(copy);
        return std::nullopt;
    }
    return copy;
}

} // namespace velmora
