#include "serveraudit.h"

#include "audited.h"
#include "schema.h"
#include "sql.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTimeZone>

namespace velmora {

namespace {

// Each audited table's columns in the order and spelling of the SQLite schema, read from a
// schema built in memory: the entries of both engines name a row's values alike.
bool sqliteColumns(std::vector<QStringList>* tables, QString* error)
{
    const QString connection = QStringLiteral("velmora-audit-columns");
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        done = db.open() && upgradeSchema(db, 0, error);
        QSqlQuery query(db);
        for (const Audited& audited : kAudited) {
            if (!done)
                break;
            QStringList columns;
            done = run(query, QStringLiteral("SELECT name FROM pragma_table_info(?)"),
                       {QString::fromLatin1(audited.table)}, error);
            while (done && query.next()) {
                if (!isUnaudited(query.value(0).toString()))
                    columns.append(query.value(0).toString());
            }
            tables->push_back(std::move(columns));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return done;
}

// An expression of the list's form ("R.job_prefix || R.job_id") on the row `alias`, each
// column read as text.
QString expression(const char* sqlite, const QString& alias)
{
    static const QRegularExpression column(QStringLiteral(R"(\bR\.(\w+))"));
    QString text = QString::fromLatin1(sqlite);
    text.replace(column, QStringLiteral("(%1.\"\\1\")::text").arg(alias));
    return text.toLower();
}

// The row `alias` as SQLite's json_object() writes it: keys in the schema's order, integers
// and text as their JSON (the audited tables hold no reals), NULL as null.
QString rowJson(const QStringList& columns, const char* secret, const QString& alias)
{
    QStringList pairs;
    for (const QString& column : columns) {
        if (!secret || column != QLatin1String(secret))
            pairs << QStringLiteral("'\"%1\":' || coalesce(to_json(%2.\"%3\")::text, 'null')")
                         .arg(column, alias, column.toLower());
    }
    return QStringLiteral("'{' || %1 || '}'").arg(pairs.join(QStringLiteral(" || ',' || ")));
}

QStringList tableStatements(const Audited& audited, const QStringList& columns)
{
    const QString table = QString::fromLatin1(audited.table);
    const QString name = table.toLower();
    const auto job = [&](const QString& alias) {
        return audited.job ? expression(audited.job, alias) : QStringLiteral("NULL");
    };
    QStringList differences;
    for (const QString& column : columns)
        differences
            << QStringLiteral("OLD.\"%1\" IS DISTINCT FROM NEW.\"%1\"").arg(column.toLower());
    QString before = rowJson(columns, audited.secret, QStringLiteral("OLD"));
    QString inserted = QStringLiteral("true");
    if (audited.numbered) {
        const QString numbered = QString::fromLatin1(audited.numbered);
        inserted = QStringLiteral("NEW.\"%1\" IS NOT NULL").arg(numbered);
        before = QStringLiteral("CASE WHEN OLD.\"%1\" IS NULL THEN NULL ELSE %2 END")
                     .arg(numbered, before);
    }
    const QString append = QStringLiteral("PERFORM velmora_audit_append('%1', %2, %3, %4, %5);");
    const QString newKey = expression(audited.key, QStringLiteral("NEW"));
    const QString newRow = rowJson(columns, audited.secret, QStringLiteral("NEW"));
    const QString body =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION velmora_audit_%1() RETURNS trigger LANGUAGE plpgsql "
            "AS $f$ BEGIN\n"
            "IF TG_OP = 'INSERT' THEN IF %2 THEN %3 END IF;\n"
            "ELSIF TG_OP = 'UPDATE' THEN IF %4 THEN %5 END IF;\n"
            "ELSE %6 END IF;\n"
            "RETURN NULL; END $f$")
            .arg(name, inserted,
                 append.arg(table, newKey, job(QStringLiteral("NEW")), QStringLiteral("NULL"),
                            newRow),
                 differences.join(QStringLiteral(" OR ")),
                 append.arg(table, newKey, job(QStringLiteral("NEW")), before, newRow),
                 append.arg(table, expression(audited.key, QStringLiteral("OLD")),
                            job(QStringLiteral("OLD")),
                            rowJson(columns, audited.secret, QStringLiteral("OLD")),
                            QStringLiteral("NULL")));
    // While the trail is paused no change is queued at all: a run's rows cost the server no
    // call of the function, nor a second read of each row when the statement ends.
    return {body, QStringLiteral("CREATE OR REPLACE TRIGGER velmora_audit AFTER INSERT OR UPDATE "
                                 "OR DELETE ON \"%1\" FOR EACH ROW "
                                 "WHEN (current_setting('velmora.audit_paused', true) = '0') "
                                 "EXECUTE FUNCTION velmora_audit_%1()")
                      .arg(name)};
}

// Appends an entry after the last. The last is read under a lock kept until the transaction
// ends the first time the transaction appends, then kept in a setting of the transaction's
// own (undone with it, or with a savepoint rolled back to), as no other desk can append
// until it ends. The hash frames each field as "N" for NULL, else "T", its length in bytes,
// ":" and it.
QString appendFunction()
{
    const auto field = [](const char* name) {
        return QStringLiteral("CASE WHEN %1 IS NULL THEN 'N' ELSE 'T' || "
                              "octet_length(convert_to(%1, 'UTF8')) || ':' || %1 END")
            .arg(QLatin1String(name));
    };
    QStringList fields;
    for (const char* name : {"s::text", "w", "o", "t", "k", "j", "b", "a", "p"})
        fields << field(name);
    return QStringLiteral(
               R"(CREATE OR REPLACE FUNCTION velmora_audit_append(t text, k text, j text,
                                                         b text, a text)
    RETURNS void LANGUAGE plpgsql AS $f$
    DECLARE
        last text := nullif(current_setting('velmora.audit_last', true), '');
        s bigint;
        p text;
        h text;
        w text := coalesce(nullif(current_setting('velmora.audit_stamp', true), ''),
                           to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS'));
        o text := nullif(current_setting('velmora.audit_operator', true), '');
    BEGIN
        IF last IS NULL THEN
            PERFORM pg_advisory_xact_lock(5653773245830350677);
            SELECT seq, hash INTO s, p FROM audit_trail ORDER BY seq DESC LIMIT 1;
            s := coalesce(s, 0);
        ELSE
            s := split_part(last, ' ', 1)::bigint;
            p := nullif(split_part(last, ' ', 2), '');
        END IF;
        s := s + 1;
        h := encode(sha256(convert_to(%1, 'UTF8')), 'hex');
        INSERT INTO audit_trail (seq, changed_at, operator_name, table_name, row_key, job,
                                 before_value, after_value, hash)
        VALUES (s, w, o, t, k, j, b, a, h);
        PERFORM set_config('velmora.audit_last', s || ' ' || h, true);
    END $f$)")
        .arg(fields.join(QStringLiteral(" || ")));
}

// Sets the connection's time zone, in which entries are stamped, when the server knows it;
// else the server's own stays.
const char* const kZone =
    R"(CREATE OR REPLACE FUNCTION velmora_audit_zone(zone text) RETURNS void LANGUAGE plpgsql AS
    $f$ BEGIN
        PERFORM set_config('TimeZone', zone, false);
    EXCEPTION WHEN invalid_parameter_value THEN
        NULL;
    END $f$)";

} // namespace

QStringList serverAuditStatements(QString* error)
{
    std::vector<QStringList> tables;
    if (!sqliteColumns(&tables, error))
        return {};
    QStringList statements = {appendFunction(), QString::fromLatin1(kZone)};
    for (size_t i = 0; i < tables.size(); ++i)
        statements += tableStatements(kAudited[i], tables[i]);
    return statements;
}

bool startServerAudit(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT to_regproc('velmora_audit_append') IS NULL"), {},
             error) ||
        !query.next())
        return false;
    if (query.value(0).toBool()) {
        const QStringList statements = serverAuditStatements(error);
        if (statements.isEmpty())
            return false;
        Transaction transaction(db);
        for (const QString& statement : statements) {
            if (!execute(query, statement, error))
                return false;
        }
        if (!transaction.commit(error))
            return false;
    }
    return run(
        query,
        QStringLiteral("SELECT set_config('velmora.audit_operator', ?, false), "
                       "set_config('velmora.audit_paused', '0', false), "
                       "set_config('velmora.audit_stamp', '', false), "
                       "velmora_audit_zone(?)"),
        {QCoreApplication::applicationName(), QString::fromLatin1(QTimeZone::systemTimeZoneId())},
        error);
}

QString serverAppendEntry() { return QStringLiteral("SELECT velmora_audit_append(?, ?, ?, ?, ?)"); }

} // namespace velmora
