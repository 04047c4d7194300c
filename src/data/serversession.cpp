#include "serversession.h"

#include "preparedquery.h"

#include <QSqlDriver>
#include <QVariant>

namespace velmora {

namespace {

// Kept on the driver, which every copy of a connection shares and which lives as long as it.
const char* const kSession = "velmoraSession";
const char* const kTransactions = "velmoraOpenTransactions";

int counter(const QSqlDatabase& db, const char* name)
{
    const QSqlDriver* driver = db.driver();
    return driver ? driver->property(name).toInt() : 0;
}

void add(const QSqlDatabase& db, const char* name, int change)
{
    if (QSqlDriver* driver = db.driver())
        driver->setProperty(name, driver->property(name).toInt() + change);
}

} // namespace

int sessionOf(const QSqlDatabase& db) { return counter(db, kSession); }

void endSession(const QSqlDatabase& db)
{
    add(db, kSession, 1);
    forgetPreparedStatements(db);
}

int openTransactions(const QSqlDatabase& db) { return counter(db, kTransactions); }

void countTransaction(const QSqlDatabase& db, int change) { add(db, kTransactions, change); }

} // namespace velmora
