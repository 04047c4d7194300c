#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace velmora {

// Prepares `sql` on `query`, binds `values` to its ? placeholders in order and runs it;
// without values it runs `sql` as execute() does (`query` is then not left prepared). On
// failure returns false and, when `error` is given, puts the driver's text there.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {},
         QString* error = nullptr);

// Runs `insert`, an INSERT of one row with its values, and returns the new row's rowid (the
// value of an integer key where the table has one), read back with RETURNING, which both
// engines accept: a server has no last insert id. nullopt with the reason in *error.
std::optional<qint64> insertRow(QSqlQuery& query, const QString& insert, const QVariantList& values,
                                QString* error);

// Runs `sql`, which binds no values, without preparing it first: PostgreSQL prepares only
// queries and changes of rows, not changes of the schema. Failure as run().
bool execute(QSqlQuery& query, const QString& sql, QString* error = nullptr);

// Makes `query` read its rows forward only (no row read is kept) where they stay readable
// while other statements run on the connection: on SQLite. Qt's PostgreSQL driver drops the
// rest of such a result at the connection's next statement, so on a server the whole result
// is received when it runs. For rows read a batch at a time or beside other statements.
void readForwardOnly(QSqlQuery& query);

// The names of a table's columns from a list of (name, member) pairs.
template <typename Columns> QStringList columnNames(const Columns& columns)
{
    QStringList names;
    for (const auto& [column, member] : columns)
        names.append(QString::fromLatin1(column));
    return names;
}

// "a = ?, b = ?": the assignments of an update of `columns`.
QString assignments(const QStringList& columns);

// "?, ?, ?": the placeholders of `count` values.
QString placeholders(qsizetype count);

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
    // isActive(), with the reason in *error when it could not be begun.
    bool begun(QString* error) const;
    // Commits; false (with the reason in *error) when that fails or it was never begun.
    bool commit(QString* error = nullptr);

private:
    QSqlDatabase m_db;
    bool m_active = false;
    bool m_counted = false; // in openTransactions() until the object goes
};

} // namespace velmora
