#include "serversession.h"

#include "preparedquery.h"

#include <QSqlDriver>
#include <QVariant>

namespace velmora {

namespace {

// Kept on the driver, which every copy of a connection shares and which lives as long as it.
const char* const kSession = "velmoraSession";
const char* const kTransactions = "velmoraOpenTransactions";
const char* const kInDoubt = "velmoraCommitsInDoubt";

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

void noteCommitInDoubt(const QSqlDatabase& db, qint64 transaction)
{
    if (QSqlDriver* driver = db.driver()) {
        QVariantList noted = driver->property(kInDoubt).toList();
        noted.append(transaction);
        driver->setProperty(kInDoubt, noted);
    }
}

QList<qint64> takeCommitsInDoubt(const QSqlDatabase& db)
{
    QList<qint64> taken;
    if (QSqlDriver* driver = db.driver()) {
        for (const QVariant& noted : driver->property(kInDoubt).toList())
            taken.append(noted.toLongLong());
        driver->setProperty(kInDoubt, QVariantList());
    }
    return taken;
}

} // namespace velmora
