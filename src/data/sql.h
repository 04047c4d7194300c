#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace velmora {

// Prepares `sql` on `query`, binds `values` to its ? placeholders in order and runs it.
// On failure returns false and, when `error` is given, puts the driver's text there.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {},
         QString* error = nullptr);

// A database transaction that rolls back when it goes out of scope uncommitted.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the transaction could not be begun.
    bool isActive() const { return m_active; }
    // Commits; false (with the reason in *error) when that fails or it was never begun.
    bool commit(QString* error = nullptr);

private:
    QSqlDatabase m_db;
    bool m_active = false;
};

} // namespace velmora
