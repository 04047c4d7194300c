#pragma once

#include <QList>
#include <QSqlDatabase>

namespace velmora {

// The session of a connection to a server, as ServerLink opens it anew after it was lost: a
// number that changes each time, so that what was prepared on an earlier session (which the
// server has forgotten) is prepared again, and the transactions begun on the connection and
// not yet ended (Transaction), so that a connection is not opened anew while work begun on the
// lost session still runs: its later statements would be written outside its transaction.

// The number of the connection's current session; 0 until it was first opened anew.
int sessionOf(const QSqlDatabase& db);
// The connection has been closed after it was lost: later statements belong to a new session.
// The statements kept prepared for it (PreparedQuery) are let go while it is closed.
void endSession(const QSqlDatabase& db);

// The transactions begun on the connection that have not ended.
int openTransactions(const QSqlDatabase& db);
// A Transaction began (+1) or ended (-1).
void countTransaction(const QSqlDatabase& db, int change);

// A commit sent as the connection was lost, whose answer never came: the server's number of
// its transaction, asked before the commit was sent, kept until the server can say whether
// it was committed (ServerLink).
void noteCommitInDoubt(const QSqlDatabase& db, qint64 transaction);
// The commits in doubt on the connection, which it forgets as it hands them out.
QList<qint64> takeCommitsInDoubt(const QSqlDatabase& db);

} // namespace velmora
