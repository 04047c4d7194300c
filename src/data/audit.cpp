#include "audit.h"

#include "audited.h"
#include "dates.h"
#include "dialect.h"
#include "readonly.h"
#include "serveraudit.h"
#include "sql.h"
#include "sqlitestatement.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include <sodium.h>
#include <sqlite3.h>

namespace velmora {

namespace {

constexpr int kFields =
    8; // seq, changed_at, operator_name, table_name, row_key, job, before, after

// Adds one field to the hash: NULL as "N", text as "T", its length in bytes, ":" and the
// bytes, so that no two lists of fields hash alike.
void hashField(crypto_hash_sha256_state* state, std::optional<std::string_view> field)
{
    if (!field) {
        crypto_hash_sha256_update(state, reinterpret_cast<const unsigned char*>("N"), 1);
        return;
    }
    const std::string head = "T" + std::to_string(field->size()) + ":";
    crypto_hash_sha256_update(state, reinterpret_cast<const unsigned char*>(head.data()),
                              head.size());
    crypto_hash_sha256_update(state, reinterpret_cast<const unsigned char*>(field->data()),
                              field->size());
}

// The hexadecimal SHA-256 of the entry's fields followed by the previous entry's hash.
std::string entryHash(const std::array<std::optional<std::string_view>, kFields + 1>& fields)
{
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    for (const auto& field : fields)
        hashField(&state, field);
    std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
    crypto_hash_sha256_final(&state, digest.data());
    std::string hex(digest.size() * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), digest.data(), digest.size());
    hex.pop_back();
    return hex;
}

std::optional<std::string_view> valueText(sqlite3_value* value)
{
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return std::string_view(text ? text : "", size_t(sqlite3_value_bytes(value)));
}

// velmora_audit_hash(seq, at, operator, table_name, row_key, job, before, after, previous)
void hashFunction(sqlite3_context* context, int count, sqlite3_value** values)
{
    std::array<std::optional<std::string_view>, kFields + 1> fields;
    for (int i = 0; i < count && i <= kFields; ++i)
        fields[size_t(i)] = valueText(values[i]);
    const std::string hash = entryHash(fields);
    sqlite3_result_text(context, hash.data(), int(hash.size()), SQLITE_TRANSIENT);
}

// The statement that appends an entry; each argument is an SQL expression.
QString appendEntry(const QString& table, const QString& key, const QString& job,
                    const QString& before, const QString& after)
{
    return QStringLiteral(
               "INSERT INTO audit_trail (seq, changed_at, operator_name, table_name, row_key, "
               "job, before_value, after_value, hash) SELECT s, a, o, t, k, j, b, f, "
               "velmora_audit_hash(s, a, o, t, k, j, b, f, p) FROM (SELECT "
               "coalesce((SELECT max(seq) FROM audit_trail), 0) + 1 AS s, "
               "coalesce((SELECT stamp FROM audit_session), "
               "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')) AS a, "
               "(SELECT operator FROM audit_session) AS o, %1 AS t, CAST(%2 AS TEXT) AS k, "
               "%3 AS j, %4 AS b, %5 AS f, "
               "(SELECT hash FROM audit_trail ORDER BY seq DESC LIMIT 1) AS p)")
        .arg(table, key, job, before, after);
}

QStringList columnsOf(const QSqlDatabase& db, const QString& table, QString* error)
{
    QSqlQuery query(db);
    QStringList columns;
    if (!run(query, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}, error))
        return {};
    while (query.next())
        columns.append(query.value(0).toString());
    if (columns.isEmpty())
        *error = QObject::tr("The table %1 is missing.").arg(table);
    return columns;
}

// The temporary triggers that record inserts, updates and deletes of one table.
QStringList triggersFor(const Audited& audited, const QStringList& columns)
{
    const QString table = QString::fromLatin1(audited.table);
    const QString secret = QString::fromLatin1(audited.secret);
    QStringList pairs;
    for (const QString& column : columns) {
        if (column != secret)
            pairs << QStringLiteral("'%1', R.\"%1\"").arg(column);
    }
    const QString row = QStringLiteral("json_object(%1)").arg(pairs.join(QStringLiteral(", ")));
    const auto of = [](QString expression, const char* alias) {
        return expression.replace(QStringLiteral("R."), QString::fromLatin1(alias) + u'.');
    };
    const QString key = QString::fromLatin1(audited.key);
    const QString job = audited.job ? QString::fromLatin1(audited.job) : QStringLiteral("NULL");
    const QString literal = u'\'' + table + u'\'';
    const QString active = QStringLiteral("(SELECT paused FROM audit_session) = 0");
    const QString numbered = QString::fromLatin1(audited.numbered);

    QString insertWhen = active;
    QString before = of(row, "OLD");
    if (!numbered.isEmpty()) {
        insertWhen += QStringLiteral(" AND NEW.\"%1\" IS NOT NULL").arg(numbered);
        before = QStringLiteral("CASE WHEN OLD.\"%1\" IS NULL THEN NULL ELSE %2 END")
                     .arg(numbered, before);
    }
    // Compared column by column: cheaper than building both rows' text.
    QStringList differences;
    for (const QString& column : columns)
        differences << QStringLiteral("OLD.\"%1\" IS NOT NEW.\"%1\"").arg(column);
    const QString changed = differences.join(QStringLiteral(" OR "));

    const QString head =
        QStringLiteral("CREATE TEMP TRIGGER \"audit_%1_%2\" AFTER %3 ON main.\"%1\" "
                       "WHEN %4 BEGIN %5; END");
    return {
        head.arg(table, QStringLiteral("insert"), QStringLiteral("INSERT"), insertWhen,
                 appendEntry(literal, of(key, "NEW"), of(job, "NEW"), QStringLiteral("NULL"),
                             of(row, "NEW"))),
        head.arg(table, QStringLiteral("update"), QStringLiteral("UPDATE"),
                 active + QStringLiteral(" AND (") + changed + u')',
                 appendEntry(literal, of(key, "NEW"), of(job, "NEW"), before, of(row, "NEW"))),
        head.arg(table, QStringLiteral("delete"), QStringLiteral("DELETE"), active,
                 appendEntry(literal, of(key, "OLD"), of(job, "OLD"), of(row, "OLD"),
                             QStringLiteral("NULL"))),
    };
}

bool setPaused(const QSqlDatabase& db, bool paused)
{
    QSqlQuery query(db);
    if (engineOf(db) == Engine::PostgreSQL) {
        // A connection that never started the trail keeps it unstarted.
        return run(
            query,
            QStringLiteral("SELECT set_config('velmora.audit_paused', greatest("
                           "current_setting('velmora.audit_paused')::integer + ?, 0)::text, "
                           "false) WHERE current_setting('velmora.audit_paused', true) <> ''"),
            {paused ? 1 : -1});
    }
    return run(query, paused
                          ? QStringLiteral("UPDATE audit_session SET paused = paused + 1")
                          : QStringLiteral("UPDATE audit_session SET paused = max(paused - 1, 0)"));
}

// The time entries of the connection carry instead of the time they are written (NULL for
// that time), and setting it.
const char* const kReadStamp[] = {
    "SELECT stamp FROM audit_session",
    "SELECT nullif(current_setting('velmora.audit_stamp', true), '')",
};
const char* const kWriteStamp[] = {
    "UPDATE audit_session SET stamp = ?",
    "SELECT set_config('velmora.audit_stamp', coalesce(?, ''), false)",
};

QString forEngine(const QSqlDatabase& db, const char* const (&statements)[2])
{
    return QString::fromLatin1(statements[engineOf(db) == Engine::PostgreSQL ? 1 : 0]);
}

} // namespace

bool startAuditTrail(const QSqlDatabase& db, QString* error)
{
    if (engineOf(db) == Engine::PostgreSQL)
        return startServerAudit(db, error);
    sqlite3* handle = sqliteHandle(db);
    if (!handle ||
        sqlite3_create_function_v2(handle, "velmora_audit_hash", kFields + 1,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &hashFunction,
                                   nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = QObject::tr("The audit trail could not be started.");
        return false;
    }
    QStringList statements = {
        QStringLiteral("CREATE TEMP TABLE audit_session (operator TEXT, paused INTEGER NOT NULL, "
                       "stamp TEXT)"),
    };
    for (const Audited& audited : kAudited) {
        const QStringList columns = columnsOf(db, QString::fromLatin1(audited.table), error);
        if (columns.isEmpty())
            return false;
        statements += triggersFor(audited, columns);
    }
    QSqlQuery query(db);
    for (const QString& statement : std::as_const(statements)) {
        if (!run(query, statement, {}, error))
            return false;
    }
    return run(query, QStringLiteral("INSERT INTO audit_session (operator, paused) VALUES (?, 0)"),
               {QCoreApplication::applicationName()}, error);
}

bool setAuditOperator(const QSqlDatabase& db, const QString& name, QString* error)
{
    // A connection that cannot write records nothing.
    if (isReadOnly(db))
        return true;
    QSqlQuery query(db);
    return run(query,
               engineOf(db) == Engine::PostgreSQL
                   ? QStringLiteral("SELECT set_config('velmora.audit_operator', ?, false)")
                   : QStringLiteral("UPDATE audit_session SET operator = ?"),
               {name}, error);
}

bool writeAuditEntry(const QSqlDatabase& db, const AuditEntry& entry, QString* error)
{
    const QString value = QStringLiteral("?");
    QSqlQuery query(db);
    const auto text = [](const QString& field) {
        return field.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(field);
    };
    return run(query,
               engineOf(db) == Engine::PostgreSQL ? serverAppendEntry()
                                                  : appendEntry(value, value, value, value, value),
               {entry.table, entry.key, text(entry.job), text(entry.before), text(entry.after)},
               error);
}

bool writeRunEntry(const QSqlDatabase& db, const QString& run, const QString& key,
                   const QJsonObject& summary, QString* error)
{
    return writeAuditEntry(
        db,
        {run,
         key,
         {},
         {},
         QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Compact))},
        error);
}

AuditPause::AuditPause(QSqlDatabase db) : m_db(std::move(db)) { setPaused(m_db, true); }

AuditPause::~AuditPause() { setPaused(m_db, false); }

AuditTime::AuditTime(QSqlDatabase db, const QDateTime& when) : m_db(std::move(db))
{
    QSqlQuery query(m_db);
    if (run(query, forEngine(m_db, kReadStamp)) && query.next())
        m_before = query.value(0);
    run(query, forEngine(m_db, kWriteStamp), {storedStamp(when)});
}

AuditTime::~AuditTime()
{
    QSqlQuery query(m_db);
    run(query, forEngine(m_db, kWriteStamp),
        {m_before.isNull() ? QVariant(QMetaType(QMetaType::QString)) : m_before});
}

AuditClock::AuditClock(sqlite3* handle) : m_stamp(handle, "UPDATE audit_session SET stamp = ?") {}

bool AuditClock::set(std::string_view stamp, QString* error)
{
    if (m_stamp.bind(1, stamp) && m_stamp.execute())
        return true;
    *error = m_stamp.error();
    return false;
}

namespace {

const char* const kEntriesSql = "SELECT seq, changed_at, operator_name, table_name, row_key, job, "
                                "before_value, after_value, hash FROM audit_trail ORDER BY seq";

// The trail's entries, read straight from SQLite or through Qt's driver of another engine.
class TrailReader
{
public:
    explicit TrailReader(const QSqlDatabase& db) : m_query(db)
    {
        if (sqlite3* handle = sqliteHandle(db)) {
            m_sqlite = std::make_unique<SqliteStatement>(handle, kEntriesSql);
            if (!m_sqlite->isValid())
                m_error = m_sqlite->error();
            return;
        }
        m_query.setForwardOnly(true);
        run(m_query, QString::fromLatin1(kEntriesSql), {}, &m_error);
    }

    bool next()
    {
        if (!m_error.isEmpty())
            return false;
        if (m_sqlite) {
            const bool row = m_sqlite->next();
            m_error = m_sqlite->error();
            return row;
        }
        if (!m_query.next()) {
            if (m_query.lastError().isValid())
                m_error = m_query.lastError().text();
            return false;
        }
        for (int column = 0; column <= kFields; ++column)
            m_texts[size_t(column)] = m_query.value(column).toString().toUtf8();
        return true;
    }

    bool isNull(int column) const
    {
        return m_sqlite ? m_sqlite->isNull(column) : m_query.isNull(column);
    }
    std::int64_t integer(int column) const
    {
        return m_sqlite ? m_sqlite->integer(column) : m_query.value(column).toLongLong();
    }
    std::string_view text(int column) const
    {
        if (m_sqlite)
            return m_sqlite->text(column);
        const QByteArray& text = m_texts[size_t(column)];
        return {text.constData(), size_t(text.size())};
    }
    QString error() const { return m_error; }

private:
    std::unique_ptr<SqliteStatement> m_sqlite;
    QSqlQuery m_query;
    std::array<QByteArray, kFields + 1> m_texts;
    QString m_error;
};

} // namespace

bool checkAuditTrail(const QSqlDatabase& db, QString* fault, QString* error)
{
    if (!db.isOpen()) {
        *error = QObject::tr("The database is not open.");
        return false;
    }
    TrailReader entries(db);
    if (!entries.error().isEmpty()) {
        *error = entries.error();
        return false;
    }
    std::string previous;
    bool first = true;
    std::int64_t expected = 1;
    while (entries.next()) {
        const std::int64_t seq = entries.integer(0);
        if (seq != expected) {
            *fault = seq > expected
                         ? QObject::tr("The audit trail lacks entry %1: entries "
                                       "were removed.")
                               .arg(expected)
                         : QObject::tr("Entry %1 of the audit trail is out of order.").arg(seq);
            return true;
        }
        const std::string number = std::to_string(seq);
        std::array<std::optional<std::string_view>, kFields + 1> fields;
        fields[0] = number;
        for (int column = 1; column < kFields; ++column) {
            if (!entries.isNull(column))
                fields[size_t(column)] = entries.text(column);
        }
        if (!first)
            fields[kFields] = previous;
        if (entryHash(fields) != entries.text(kFields)) {
            *fault = QObject::tr("Entry %1 of the audit trail was altered, or entries were "
                                 "moved or inserted before it.")
                         .arg(seq);
            return true;
        }
        previous = std::string(entries.text(kFields));
        first = false;
        ++expected;
    }
    if (!entries.error().isEmpty()) {
        *error = entries.error();
        return false;
    }
    fault->clear();
    return true;
}

} // namespace velmora
