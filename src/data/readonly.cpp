#include "readonly.h"

#include "sqlitequery.h"

#include <QObject>

#include <sqlite3.h>

namespace velmora {

bool isReadOnly(const QSqlDatabase& db)
{
    sqlite3* handle = sqliteHandle(db);
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

QString readOnlyRefusal()
{
    return QObject::tr("The database is open read-only: nothing can be saved.");
}

QString failureText(const QSqlError& failure)
{
    // The low byte is SQLite's primary code, whether or not extended codes are on.
    bool number = false;
    const int code = failure.nativeErrorCode().toInt(&number);
    if (number && (code & 0xff) == SQLITE_READONLY)
        return readOnlyRefusal();
    return failure.text();
}

} // namespace velmora
