#include "batchedquery.h"

#include "dialect.h"
#include "fault.h"
#include "readonly.h"
#include "serverdatabase.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

#include <atomic>

namespace velmora {

namespace {

// Rows fetched from a server's cursor at a time: a list's batch, or more where all its rows
// are read (a ledger reads tens of an account's invoice lines for each invoice it shows).
constexpr int kFetch = 256;
constexpr int kFetchAll = 2048;

QString batchConnectionName(const QString& connectionName)
{
    return connectionName + QStringLiteral("-batches");
}

// The second connection's transaction: how many cursors are open in it, and its number,
// which changes whenever it ends other than by the last cursor's close (a failure).
class CursorTransaction final : public QObject
{
public:
    using QObject::QObject;
    int open = 0;
    quint64 number = 0;
};

CursorTransaction* transactionOf(const QSqlDatabase& batches)
{
    auto* found =
        batches.driver()->findChild<CursorTransaction*>(QString(), Qt::FindDirectChildrenOnly);
    return found ? found : new CursorTransaction(batches.driver());
}

// The connection the cursors of `db` read on, opened as a copy of it when it is not open.
// Invalid, with the reason in *error, when it cannot be opened.
QSqlDatabase batchConnection(const QSqlDatabase& db, QString* error)
{
    const QString name = batchConnectionName(db.connectionName());
    QSqlDatabase batches = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                        : QSqlDatabase::cloneDatabase(db, name);
    if (batches.isOpen() || batches.open())
        return batches;
    *error = connectionFault(batches);
    return {};
}

// `sql` with each ? outside quotes replaced by its value, written by the driver as it writes
// every value it binds to a prepared statement: a server cannot prepare a cursor.
QString withValues(const QSqlDriver* driver, const QString& sql, const QVariantList& values)
{
    QString out;
    QChar quote;
    qsizetype next = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            quote = c == quote ? QChar() : quote;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('?') && next < values.size()) {
            const QVariant& value = values.at(next++);
            QSqlField field(QString(), value.metaType());
            if (!value.isNull())
                field.setValue(value);
            out += driver->formatValue(field);
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

// A server's cursor on the second connection, with the batch of its rows fetched last.
class BatchedQuery::Cursor
{
public:
    explicit Cursor(const QSqlDatabase& connection) : db(connection), batch(connection) {}

    // Declares the cursor for `sql`, planned for `plan`, and fetches its first batch.
    bool open(const QString& sql, const QVariantList& values, Plan plan, QString* error)
    {
        static std::atomic<quint64> cursors{0};
        name = QStringLiteral("velmora_rows_%1").arg(++cursors);
        fetchSize = plan == AllRows ? kFetchAll : kFetch;
        CursorTransaction* transaction = transactionOf(db);
        // A cursor's plan gives a tenth of its rows soonest unless told otherwise.
        const QString declare =
            QStringLiteral("%1SET LOCAL cursor_tuple_fraction = %2; "
                           "DECLARE %3 NO SCROLL CURSOR FOR %4; %5")
                .arg(transaction->open == 0 ? QStringLiteral("START TRANSACTION READ ONLY; ")
                                            : QString(),
                     plan == AllRows ? QStringLiteral("1") : QStringLiteral("0.1"), name,
                     withValues(db.driver(), sql, values), fetch());
        // The statements' results come one after another: the fetch's rows are the last.
        bool done = batch.exec(declare);
        while (done && !batch.isSelect())
            done = batch.nextResult();
        if (!done)
            return fail(error);
        ++transaction->open;
        number = transaction->number;
        return true;
    }

    // Steps to the next row, fetching the next batch at the end of a full one.
    bool next(QString* error)
    {
        if (batch.next())
            return true;
        if (batch.lastError().isValid())
            return fail(error);
        if (batch.size() < fetchSize)
            return false;
        if (number != transactionOf(db)->number) {
            // Another cursor's failure ended the transaction, and this cursor with it.
            *error = QObject::tr("The rest of the list could not be read: its reading ended "
                                 "at a fault. Open the list again.");
            name.clear();
            return false;
        }
        if (!batch.exec(fetch()))
            return fail(error);
        return batch.next() || (batch.lastError().isValid() && fail(error));
    }

    // Closes the cursor, and the transaction after its last one.
    void close()
    {
        CursorTransaction* transaction = transactionOf(db);
        if (name.isEmpty() || number != transaction->number)
            return;
        const bool last = --transaction->open == 0;
        if (!batch.exec(QStringLiteral("CLOSE %1%2")
                            .arg(name, last ? QStringLiteral("; COMMIT") : QString())))
            fail(nullptr);
        name.clear();
    }

    QSqlDatabase db;
    QSqlQuery batch;

private:
    QString fetch() const { return QStringLiteral("FETCH %1 FROM %2").arg(fetchSize).arg(name); }

    // Ends the transaction, and with it every cursor in it; a lost connection is closed, to
    // be opened again for the next run. Always false.
    bool fail(QString* error)
    {
        const QSqlError failure = batch.lastError();
        if (error)
            *error = failureText(failure);
        CursorTransaction* transaction = transactionOf(db);
        transaction->open = 0;
        ++transaction->number;
        name.clear();
        if (isConnectionLost(failure))
            db.close();
        else
            batch.exec(QStringLiteral("ROLLBACK"));
        return false;
    }

    QString name;
    int fetchSize = kFetch;
    quint64 number = 0;
};

BatchedQuery::BatchedQuery(QSqlDatabase db, QString sql, Plan plan)
    : m_db(std::move(db)), m_sql(std::move(sql)), m_plan(plan)
{
}

BatchedQuery::~BatchedQuery() { finish(); }

bool BatchedQuery::run(const QVariantList& values, QString* error)
{
    finish();
    if (engineOf(m_db) == Engine::SQLite) {
        m_file.emplace(m_db, m_sql);
        if (m_file->run(values, error))
            return true;
        m_file.reset();
        return false;
    }
    const QSqlDatabase batches = batchConnection(m_db, error);
    if (!batches.isValid())
        return false;
    auto cursor = std::make_unique<Cursor>(batches);
    if (!cursor->open(m_sql, values, m_plan, error))
        return false;
    m_cursor = std::move(cursor);
    return true;
}

bool BatchedQuery::next(QString* error)
{
    if (m_file) {
        if (m_file->query().next())
            return true;
        const QSqlError failure = m_file->query().lastError();
        if (failure.type() != QSqlError::NoError)
            *error = failure.text();
    } else if (m_cursor && m_cursor->next(error)) {
        return true;
    }
    finish();
    return false;
}

const QSqlQuery& BatchedQuery::row() { return m_file ? m_file->query() : m_cursor->batch; }

void BatchedQuery::finish()
{
    m_file.reset();
    if (m_cursor)
        m_cursor->close();
    m_cursor.reset();
}

void closeBatchConnection(const QString& connectionName)
{
    const QString name = batchConnectionName(connectionName);
    if (!QSqlDatabase::contains(name))
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

} // namespace velmora
