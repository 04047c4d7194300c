#include "jobstatus.h"

#include "data/fault.h"
#include "data/rowversion.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

std::optional<bool> setJobStatus(const QSqlDatabase& db, const JobKey& key, const QString& status,
                                 bool inTransaction, QString* error)
{
    std::optional<Transaction> transaction;
    if (inTransaction) {
        transaction.emplace(db);
        if (!transaction->isActive()) {
            *error = connectionFault(db);
            return std::nullopt;
        }
    }
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("update jobs set record_status = ?, ") + versionBump() +
                 QStringLiteral(" where job_prefix = ? and job_id = ?"),
             {status, changeStamp(db), key.prefix, key.number}, error))
        return std::nullopt;
    const bool found = query.numRowsAffected() > 0;
    if (transaction && !transaction->commit(error))
        return std::nullopt;
    return found;
}

std::optional<QStringList> prefixesOfJob(const QSqlDatabase& db, qint64 number, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select job_prefix from jobs where job_id = ? order by job_prefix"),
             {number}, error))
        return std::nullopt;
    QStringList prefixes;
    while (query.next())
        prefixes.append(query.value(0).toString());
    return prefixes;
}

bool setPagingName(const QSqlDatabase& db, const QString& name, QString* error)
{
    Transaction transaction(db);
    if (!transaction.begun(error))
        return false;
    QSqlQuery query(db);
    return run(query, QStringLiteral("delete from jobboard"), {}, error) &&
           run(query, QStringLiteral("insert into jobboard (\"Customer Name\") values (?)"), {name},
               error) &&
           transaction.commit(error);
}

} // namespace velmora
