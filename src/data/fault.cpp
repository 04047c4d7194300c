#include "fault.h"

#include "dialect.h"
#include "readonly.h"
#include "sqlitestatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace velmora {

namespace {

QString faultInFile(const QString& file, const QString& fault)
{
    // The refusal of a read-only file says already what is wrong; a file of no name (a
    // database in memory) has nothing to add.
    if (fault == readOnlyRefusal() || fault == lostConnectionText() || file.isEmpty())
        return fault;
    const QString words = QCoreApplication::translate("velmora", "The database %1 met a fault: %2");
    const qsizetype fileAt = words.indexOf(QLatin1String("%1"));
    const qsizetype faultAt = words.indexOf(QLatin1String("%2"));
    if (fileAt >= 0 && faultAt > fileAt && fault.startsWith(words.left(fileAt)) &&
        fault.contains(words.mid(fileAt + 2, faultAt - fileAt - 2)))
        return fault;
    return words.arg(QDir::toNativeSeparators(file), fault.trimmed());
}

// The file of the connection a statement ran on, when the engine can say.
QString fileOf(const QSqlDriver* driver)
{
    sqlite3* db = sqliteHandle(driver);
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    return file ? QString::fromUtf8(file) : QString();
}

} // namespace

QString databaseFault(const QSqlDatabase& db, const QString& fault)
{
    return faultInFile(
        db.databaseName() == QLatin1String(":memory:") ? QString() : db.databaseName(), fault);
}

QString queryFault(const QSqlQuery& query)
{
    // A server connection closed when it was lost refuses statements without a word.
    const QSqlDriver* driver = query.driver();
    if (driver && driver->dbmsType() == QSqlDriver::PostgreSQL && !driver->isOpen())
        return lostConnectionText();
    return faultInFile(fileOf(driver), failureText(query.lastError()));
}

QString connectionFault(const QSqlDatabase& db)
{
    if (engineOf(db) == Engine::PostgreSQL && !db.isOpen())
        return lostConnectionText();
    return databaseFault(db, failureText(db.lastError()));
}

} // namespace velmora
