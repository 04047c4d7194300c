#include "rowreader.h"

#include "batchedquery.h"
#include "dialect.h"
#include "readonly.h"
#include "serversession.h"
#include "sqlitestatement.h"

#include <QSqlQuery>
#include <QVariant>

#include <optional>

#include <sqlite3.h>

namespace velmora {

namespace {

int digits(const char* text, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

// The server's side: a statement prepared through the connection's driver, or read in
// batches, its values kept to be bound when the run begins, and the texts of the row read
// cached as UTF-8.
class RowReader::Server
{
public:
    explicit Server(const QSqlDatabase& db) : query(db), session(sessionOf(db)) {}

    // The row read.
    const QSqlQuery& row() const { return batches ? batches->row() : query; }

    // The column's text of the row read, converted once a row.
    Q_NEVER_INLINE QByteArrayView utf8(int column) const
    {
        if (texts.size() <= static_cast<std::size_t>(column))
            texts.resize(static_cast<std::size_t>(column) + 1);
        std::optional<QByteArray>& text = texts[static_cast<std::size_t>(column)];
        if (!text)
            text = row().value(column).toString().toUtf8();
        return *text;
    }

    // Sends `sql`, this run's statement, with its values; false with the reason in the
    // query's error. A statement without values is sent as it is: prepared, it would take
    // three round trips (prepare, run, let go) where it takes one.
    bool run(const QString& sql)
    {
        if (values.isEmpty())
            return query.exec(sql);
        if (!prepared && !(prepared = query.prepare(sql)))
            return false;
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(static_cast<int>(i), values.at(i));
        return query.exec();
    }

    QSqlQuery query;
    int session; // the connection's session it was prepared on (sessionOf())
    std::unique_ptr<BatchedQuery> batches;
    QVariantList values;
    bool pending = false;  // started, not yet sent to the server
    bool prepared = false; // the statement kept on the server, once a run binds values
    mutable std::vector<std::optional<QByteArray>> texts;
};

RowReader::RowReader(QSqlDatabase db, QString sql, Rows rows)
    : m_connection(std::move(db)), m_sql(std::move(sql)), m_rows(rows)
{
}

RowReader::~RowReader() = default;

bool RowReader::prepare(QString* error)
{
    if (engineOf(m_connection) == Engine::PostgreSQL && m_connection.isOpen()) {
        // The connection opened anew knows nothing prepared before.
        if (m_server && m_server->session == sessionOf(m_connection))
            return true;
        // The values bound stay bound.
        QVariantList values = m_server ? std::move(m_server->values) : QVariantList();
        m_server.reset();
        auto server = std::make_unique<Server>(m_connection);
        if (m_rows != Whole)
            server->batches = std::make_unique<BatchedQuery>(
                m_connection, m_sql,
                m_rows == InBatches ? BatchedQuery::FirstRows : BatchedQuery::AllRows);
        server->values = std::move(values);
        m_server = std::move(server);
        return true;
    }
    sqlite3* db = sqliteHandle(m_connection);
    if (!db) {
        *error = QObject::tr("The database is not open.");
        return false;
    }
    if (db == m_db && m_statement)
        return true;
    // First use, or the connection was opened again: prepare on the one open now.
    m_db = db;
    const QByteArray sql = m_sql.toUtf8();
    m_statement = std::make_unique<SqliteStatement>(
        db, std::string_view(sql.constData(), static_cast<std::size_t>(sql.size())));
    if (m_statement->isValid())
        return true;
    *error = m_statement->error();
    m_statement.reset();
    return false;
}

bool RowReader::run(const QVariantList& values, QString* error)
{
    finish();
    if (!prepare(error))
        return false;
    m_bindError.clear();
    if (m_server) {
        m_server->values = values;
        m_server->pending = true;
        m_running = true;
        return true;
    }
    m_statement->clearBindings();
    // Texts are bound without a copy: keep them until the run ends.
    m_texts.clear();
    m_texts.reserve(static_cast<std::size_t>(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& value = values.at(i);
        const int index = static_cast<int>(i + 1);
        bool bound = false;
        if (value.isNull()) {
            bound = m_statement->bindNull(index);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            bound = m_statement->bind(index, std::int64_t{value.toLongLong()});
        } else {
            const QByteArray& text = m_texts.emplace_back(value.toString().toUtf8());
            bound = m_statement->bind(
                index, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        }
        if (!bound) {
            *error = m_statement->error();
            return false;
        }
    }
    m_running = true;
    return true;
}

bool RowReader::start(QString* error)
{
    finish();
    if (!prepare(error))
        return false;
    m_bindError.clear();
    if (m_server)
        m_server->pending = true;
    m_running = true;
    return true;
}

void RowReader::bind(int index, qint64 value)
{
    if (!m_statement) [[unlikely]] {
        bindOnServer(index, value);
        return;
    }
    if (!m_statement->bind(index, std::int64_t{value}) && m_bindError.isEmpty())
        m_bindError = m_statement->error();
}

void RowReader::bind(int index, QByteArrayView utf8)
{
    if (!m_statement) [[unlikely]] {
        // Empty text is bound as '', never as NULL.
        const QString text = QString::fromUtf8(utf8);
        bindOnServer(index, text.isNull() ? QString(QLatin1String("")) : text);
        return;
    }
    if (!m_statement->bind(index,
                           std::string_view(utf8.data(), static_cast<std::size_t>(utf8.size()))) &&
        m_bindError.isEmpty())
        m_bindError = m_statement->error();
}

void RowReader::bindOnServer(int index, const QVariant& value)
{
    if (m_server->values.size() < index)
        m_server->values.resize(index);
    m_server->values[index - 1] = value;
}

bool RowReader::next(QString* error)
{
    if (!m_running)
        return false;
    if (!m_bindError.isEmpty()) {
        *error = m_bindError;
        m_bindError.clear();
        finish();
        return false;
    }
    if (!m_statement) [[unlikely]]
        return nextOnServer(error);
    if (m_statement->next())
        return true;
    if (!m_statement->error().isEmpty())
        *error = m_statement->error();
    finish();
    return false;
}

bool RowReader::nextOnServer(QString* error)
{
    m_server->texts.assign(m_server->texts.size(), std::nullopt);
    if (BatchedQuery* batches = m_server->batches.get()) {
        const bool started = !m_server->pending || batches->run(m_server->values, error);
        m_server->pending = false;
        if (started && batches->next(error))
            return true;
        finish();
        return false;
    }
    QSqlQuery& query = m_server->query;
    if (m_server->pending) {
        m_server->pending = false;
        if (!m_server->run(m_sql)) {
            *error = failureText(query.lastError());
            finish();
            return false;
        }
    }
    if (query.next())
        return true;
    if (query.lastError().isValid())
        *error = failureText(query.lastError());
    finish();
    return false;
}

void RowReader::finish()
{
    if (m_server && m_running && m_server->batches)
        m_server->batches->finish();
    else if (m_server && m_running)
        m_server->query.finish();
    else if (m_statement && m_running)
        m_statement->reset();
    m_running = false;
}

// The file's path first and alone: the hot reads of screens take it once a value.
bool RowReader::isNull(int column) const
{
    if (m_statement) [[likely]]
        return m_statement->isNull(column);
    return m_server->row().isNull(column);
}

qint64 RowReader::integer(int column) const
{
    if (m_statement) [[likely]]
        return m_statement->integer(column);
    return m_server->row().value(column).toLongLong();
}

QByteArrayView RowReader::utf8(int column) const
{
    if (m_statement) [[likely]] {
        const std::string_view text = m_statement->text(column);
        return {text.data(), static_cast<qsizetype>(text.size())};
    }
    return m_server->utf8(column);
}

QDate RowReader::date(int column) const
{
    const QByteArrayView text = utf8(column);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return {};
    return QDate(digits(text.data(), 4), digits(text.data() + 5, 2), digits(text.data() + 8, 2));
}

} // namespace velmora
