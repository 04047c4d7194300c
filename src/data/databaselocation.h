#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// Where a firm's database lives: a file, or a database on a PostgreSQL server.
struct DatabaseLocation
{
    // The SQLite file; empty for a server database.
    QString path;
    // The server database: its role, server, port, name, libpq's sslmode (empty for
    // libpq's default) and the file of the certificate authorities that vouch for the
    // server (empty for libpq's ~/.postgresql/root.crt).
    QString user;
    QString host;
    int port = 5432;
    QString name;
    QString sslMode;
    QString sslRootCert;

    bool isServer() const { return !host.isEmpty(); }
};

// Reads where the database is from `text` (a --database option or $VELMORA_DATABASE):
// postgresql://USER@HOST[:PORT]/NAME[?sslmode=MODE][&sslrootcert=FILE] names a server
// database, anything else is a file path. A password never goes in the address: it comes
// from ~/.pgpass or is asked for. An address with one, or without its user, server or
// database name, with a port out of range, an sslmode libpq does not know, a setting given
// twice or any other setting, is refused:
// nullopt with the reason in *error, which never repeats the address.
std::optional<DatabaseLocation> parseDatabaseLocation(const QString& text, QString* error);

// True when `text` names a server database (a postgresql:// address, well formed or not)
// rather than a file.
bool isServerAddress(const QString& text);

// Points `db`, a connection of Qt's PostgreSQL driver (QPSQL), at the server database that
// `location` names.
void configureServerConnection(QSqlDatabase& db, const DatabaseLocation& location);

// Where the open connection `db` reads, as parseDatabaseLocation() takes it: the file of an
// SQLite connection, or the postgresql:// address of a server one (without its password),
// for a second connection to the same database (a report's own).
QString databaseAddress(const QSqlDatabase& db);

} // namespace velmora
