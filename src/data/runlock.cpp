#include "runlock.h"

#include "dialect.h"
#include "schema.h"
#include "sql.h"

#include <QObject>
#include <QSqlQuery>

#include <vector>

namespace velmora {

namespace {

// The locks' keys: the program's own first key, then the work's.
enum Key { kInvoices = 1, kDriverPay = 2, kExchange = 3 };

struct Lock
{
    Key key;
    bool shared;
};

QString refusal(RunKind kind)
{
    switch (kind) {
    case RunKind::Invoices:
        return QObject::tr("The invoice run is already running at another desk");
    case RunKind::DriverPay:
        return QObject::tr("The driver payment run is already running at another desk");
    case RunKind::Exchange:
        break;
    }
    return QObject::tr("An import, a removal or a run is already running at another desk");
}

} // namespace

RunLock::RunLock(QSqlDatabase db, RunKind kind) : m_db(std::move(db))
{
    if (engineOf(m_db) != Engine::PostgreSQL)
        return;
    std::vector<Lock> locks;
    if (kind == RunKind::Invoices)
        locks.push_back({kInvoices, false});
    if (kind == RunKind::DriverPay)
        locks.push_back({kDriverPay, false});
    locks.push_back({kExchange, kind != RunKind::Exchange});
    QSqlQuery query(m_db);
    for (const Lock& lock : locks) {
        const QString suffix = lock.shared ? QStringLiteral("_shared") : QString();
        const QVariantList keys = {velmoraApplicationId(), int(lock.key)};
        QString error;
        if (!run(query, QStringLiteral("SELECT pg_try_advisory_lock%1(?, ?)").arg(suffix), keys,
                 &error) ||
            !query.next()) {
            m_refusal = error.isEmpty() ? refusal(kind) : error;
            return;
        }
        if (!query.value(0).toBool()) {
            m_elsewhere = true;
            m_refusal = refusal(
                lock.key == kExchange && kind != RunKind::Exchange ? RunKind::Exchange : kind);
            return;
        }
        m_held.append(
            {QStringLiteral("SELECT pg_advisory_unlock%1(?, ?)").arg(suffix), int(lock.key)});
    }
}

RunLock::~RunLock()
{
    QSqlQuery query(m_db);
    for (const auto& [release, key] : m_held)
        run(query, release, {velmoraApplicationId(), key});
}

bool RunLock::held(QString* error) const
{
    if (m_refusal.isEmpty())
        return true;
    *error = m_refusal;
    return false;
}

} // namespace velmora
