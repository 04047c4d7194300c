#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace velmora {

// True when `db` was opened read-only: nothing can be written to its file, or, on a
// server, every transaction of the connection is read-only.
bool isReadOnly(const QSqlDatabase& db);

// What the operator is told when a change meets a database open read-only.
QString readOnlyRefusal();

// What the operator is told when a statement met a connection to a server that was lost.
QString lostConnectionText();
// The words for a save whose commit was sent as the connection to the server was lost.
QString commitInDoubtText();

// The operator's words for a failed statement: the driver's text, readOnlyRefusal() when
// the engine refused a write to a database it may only read, or lostConnectionText().
QString failureText(const QSqlError& failure);

// Holds a connection read-only for the life of the object, so that nothing run on it
// meanwhile can change the database whatever it says (a report's queries): SQLite's
// query_only; on a server, every transaction begun meanwhile is read-only, and one already
// open is held read-only from a savepoint that is rolled back to afterwards. The
// connection is given back as it was.
class ReadOnlyHold
{
public:
    explicit ReadOnlyHold(const QSqlDatabase& db);
    ~ReadOnlyHold();
    ReadOnlyHold(const ReadOnlyHold&) = delete;
    ReadOnlyHold& operator=(const ReadOnlyHold&) = delete;

    // False when the connection could not be held, for the reason in error().
    bool isActive() const { return m_active; }
    QString error() const { return m_error; }

private:
    enum class Way { None, QueryOnly, SessionDefault, Savepoint };

    QSqlDatabase m_db;
    QString m_error;
    Way m_way = Way::None;
    bool m_active = false;
};

} // namespace velmora
