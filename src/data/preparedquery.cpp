#include "preparedquery.h"

#include "fault.h"
#include "readonly.h"
#include "serversession.h"
#include "sql.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>

#include <map>

namespace velmora {

namespace {

struct Kept
{
    QSqlQuery query;
    bool inUse = false;
    int session = 0; // sessionOf() when it was prepared
};

// The statements kept for one connection, owned by its driver so that they go with it.
class KeptStatements final : public QObject
{
public:
    using QObject::QObject;
    std::map<QString, Kept> statements;
};

KeptStatements* keptOf(const QSqlDatabase& db)
{
    QSqlDriver* driver = db.driver();
    return driver ? driver->findChild<KeptStatements*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

// False once the connection has been closed since the statement was prepared, which
// finalizes it (on a file), or opened anew since (on a server).
bool isPrepared(const Kept& kept, const QSqlDatabase& db)
{
    if (kept.session != sessionOf(db))
        return false;
    const QSqlQuery& query = kept.query;
    const QVariant handle = query.result()->handle();
    return handle.isValid() && (handle.metaType().flags() & QMetaType::IsPointer) &&
           *static_cast<void* const*>(handle.constData()) != nullptr;
}

bool prepare(QSqlQuery& query, const QString& sql, QString* error)
{
    readForwardOnly(query);
    if (query.prepare(sql))
        return true;
    *error = queryFault(query);
    return false;
}

} // namespace

PreparedQuery::PreparedQuery(const QSqlDatabase& db, const QString& sql)
{
    auto* kept = keptOf(db);
    if (!kept)
        kept = new KeptStatements(db.driver());
    auto found = kept->statements.find(sql);
    if (found != kept->statements.end() && !found->second.inUse && !isPrepared(found->second, db)) {
        kept->statements.erase(found);
        found = kept->statements.end();
    }
    QString error;
    if (found == kept->statements.end()) {
        QSqlQuery query(db);
        if (!prepare(query, sql, &error)) {
            m_unprepared = error;
            return;
        }
        found = kept->statements.emplace(sql, Kept{std::move(query), false, sessionOf(db)}).first;
    }
    if (found->second.inUse) {
        m_own.emplace(db);
        if (!prepare(*m_own, sql, &error))
            m_unprepared = error;
        m_query = &*m_own;
        return;
    }
    found->second.inUse = true;
    m_inUse = &found->second.inUse;
    m_query = &found->second.query;
    m_db = db;
    m_sql = sql;
}

PreparedQuery::~PreparedQuery()
{
    if (m_query)
        m_query->finish();
    if (!m_inUse)
        return;
    *m_inUse = false;
    // Held while the connection was opened anew: let go now, rather than where a later use
    // would, perhaps inside a transaction that the failed release would end.
    KeptStatements* kept = keptOf(m_db);
    const auto found = kept->statements.find(m_sql);
    if (found != kept->statements.end() && found->second.session != sessionOf(m_db))
        kept->statements.erase(found);
}

void forgetPreparedStatements(const QSqlDatabase& db)
{
    if (auto* kept = keptOf(db))
        std::erase_if(kept->statements, [](const auto& entry) { return !entry.second.inUse; });
}

bool PreparedQuery::run(const QVariantList& values, QString* error)
{
    if (m_unprepared) {
        *error = *m_unprepared;
        return false;
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query->bindValue(static_cast<int>(i), values.at(i));
    if (m_query->exec())
        return true;
    *error = queryFault(*m_query);
    return false;
}

} // namespace velmora
