#include "readonly.h"

#include "dialect.h"
#include "serverdatabase.h"
#include "sql.h"
#include "sqliteguard.h"
#include "sqlitestatement.h"

#include <QObject>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace velmora {

namespace {

// PostgreSQL's SQLSTATE for a write refused by a read-only transaction.
const QLatin1String kReadOnlyTransaction("25006");

// The text of a one-value setting: SQLite's pragma or the server's current_setting().
QString setting(const QSqlDatabase& db, const QString& statement, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, statement, {}, error) || !query.next())
        return {};
    return query.value(0).toString();
}

} // namespace

bool isReadOnly(const QSqlDatabase& db)
{
    if (engineOf(db) == Engine::PostgreSQL) {
        QString error;
        return db.isOpen() &&
               setting(db,
                       QStringLiteral("select current_setting('default_transaction_read_only')"),
                       &error) == QLatin1String("on");
    }
    sqlite3* handle = sqliteHandle(db);
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

QString readOnlyRefusal()
{
    return QObject::tr("The database is open read-only: nothing can be saved.");
}

QString lostConnectionText()
{
    return QObject::tr("The connection to the server has been lost, so this was not done and "
                       "nothing of it was saved. The desk connects again by itself: try again "
                       "once its status line says that the connection is back.");
}

QString commitInDoubtText()
{
    return QObject::tr("The connection to the server was lost as this was being saved, so "
                       "whether it was saved is not yet known. The desk connects again by "
                       "itself and then says on its status line whether it was saved: look "
                       "there before saving it again.");
}

QString failureText(const QSqlError& failure)
{
    // Not a refused login: a statement that met a connection gone.
    if (failure.driverText().startsWith(QLatin1String("QPSQL")) &&
        failure.type() != QSqlError::ConnectionError && isConnectionLost(failure))
        return lostConnectionText();
    const QString code = failure.nativeErrorCode();
    if (code == kReadOnlyTransaction)
        return readOnlyRefusal();
    // The low byte is SQLite's primary code, whether or not extended codes are on.
    bool number = false;
    const int value = code.toInt(&number);
    if (number && code.size() < 5 && (value & 0xff) == SQLITE_READONLY)
        return readOnlyRefusal();
    return failure.text();
}

ReadOnlyHold::ReadOnlyHold(const QSqlDatabase& db) : m_db(db)
{
    QSqlQuery query(m_db);
    if (engineOf(m_db) == Engine::SQLite) {
        if (setting(m_db, QStringLiteral("PRAGMA query_only"), &m_error) == QLatin1String("1")) {
            m_active = true;
            return;
        }
        m_active =
            m_error.isEmpty() && run(query, QStringLiteral("PRAGMA query_only = 1"), {}, &m_error);
        m_way = m_active ? Way::QueryOnly : Way::None;
        return;
    }
    if (inTransaction(m_db)) {
        if (!execute(query, QStringLiteral("SAVEPOINT velmora_read_only"), &m_error))
            return;
        m_way = Way::Savepoint;
        m_active = execute(query, QStringLiteral("SET LOCAL transaction_read_only = on"), &m_error);
        return;
    }
    if (isReadOnly(m_db)) {
        m_active = true;
        return;
    }
    m_active =
        execute(query, QStringLiteral("SET SESSION default_transaction_read_only = on"), &m_error);
    m_way = m_active ? Way::SessionDefault : Way::None;
}

ReadOnlyHold::~ReadOnlyHold()
{
    QSqlQuery query(m_db);
    switch (m_way) {
    case Way::None:
        break;
    case Way::QueryOnly:
        run(query, QStringLiteral("PRAGMA query_only = 0"));
        break;
    case Way::SessionDefault:
        execute(query, QStringLiteral("SET SESSION default_transaction_read_only = off"));
        break;
    case Way::Savepoint:
        execute(query, QStringLiteral("ROLLBACK TO SAVEPOINT velmora_read_only"));
        execute(query, QStringLiteral("RELEASE SAVEPOINT velmora_read_only"));
        break;
    }
}

} // namespace velmora
