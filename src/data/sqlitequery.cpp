#include "sqlitequery.h"

#include "sqlitestatement.h"

#include <QSqlDriver>
#include <QVariant>

#include <cstring>

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

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    return db.isOpen() ? sqliteHandle(db.driver()) : nullptr;
}

sqlite3* sqliteHandle(const QSqlDriver* driver)
{
    if (!driver)
        return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

SqliteQuery::SqliteQuery(QSqlDatabase db, QString sql)
    : m_connection(std::move(db)), m_sql(std::move(sql))
{
}

SqliteQuery::~SqliteQuery() = default;

bool SqliteQuery::prepare(QString* error)
{
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

bool SqliteQuery::run(const QVariantList& values, QString* error)
{
    finish();
    if (!prepare(error))
        return false;
    m_statement->clearBindings();
    m_bindError.clear();
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

bool SqliteQuery::start(QString* error)
{
    finish();
    if (!prepare(error))
        return false;
    m_bindError.clear();
    m_running = true;
    return true;
}

void SqliteQuery::bind(int index, qint64 value)
{
    if (!m_statement->bind(index, std::int64_t{value}) && m_bindError.isEmpty())
        m_bindError = m_statement->error();
}

void SqliteQuery::bind(int index, QByteArrayView utf8)
{
    if (!m_statement->bind(index,
                           std::string_view(utf8.data(), static_cast<std::size_t>(utf8.size()))) &&
        m_bindError.isEmpty())
        m_bindError = m_statement->error();
}

bool SqliteQuery::next(QString* error)
{
    if (!m_running)
        return false;
    if (!m_bindError.isEmpty()) {
        *error = m_bindError;
        m_bindError.clear();
        finish();
        return false;
    }
    if (m_statement->next())
        return true;
    if (!m_statement->error().isEmpty())
        *error = m_statement->error();
    finish();
    return false;
}

void SqliteQuery::finish()
{
    if (m_statement && m_running)
        m_statement->reset();
    m_running = false;
}

bool SqliteQuery::isNull(int column) const { return m_statement->isNull(column); }

qint64 SqliteQuery::integer(int column) const { return m_statement->integer(column); }

QByteArrayView SqliteQuery::utf8(int column) const
{
    const std::string_view text = m_statement->text(column);
    return {text.data(), static_cast<qsizetype>(text.size())};
}

QDate SqliteQuery::date(int column) const
{
    const QByteArrayView text = utf8(column);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return {};
    return QDate(digits(text.data(), 4), digits(text.data() + 5, 2), digits(text.data() + 8, 2));
}

} // namespace velmora
