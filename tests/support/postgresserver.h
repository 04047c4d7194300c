#pragma once

#include "data/databaselocation.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace velmora::test {

// A PostgreSQL server of a test's own, on 127.0.0.1 at a free port, its cluster in a
// temporary folder; stopped and removed with the object. It runs Debian's initdb and
// pg_ctl, as the user nobody when the test runs as root (the server refuses root). The
// firm's databases belong to an owner role that may create tables but is no superuser.
class PostgresServer
{
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // True when there is nothing to start a server with (no PostgreSQL programs or no Qt
    // driver for it): the tests that need one are skipped, for the reason in problem().
    bool isMissing() const { return m_missing; }
    bool isRunning() const { return m_ready; }
    // Why the server is not running, with the server's log when it failed to start.
    QString problem() const { return m_problem; }

    // Creates the empty database `name`, owned by the owner role, and gives its address.
    // An invalid location (no host) when that fails, with the reason in problem().
    DatabaseLocation createDatabase(const QString& name);
    // Opens `location` as the connection `connectionName`; invalid when that fails, with
    // the driver's reason in problem().
    QSqlDatabase open(const DatabaseLocation& location, const QString& connectionName);

    // Runs `sql` as the server's superuser in its database postgres; false with the reason in
    // problem().
    bool execute(const QString& sql);
    // Makes the server ask `role` for its password (the others keep logging in without one).
    bool requirePassword(const QString& role);
    // Turns on TLS with the server certificate and key in the files given (PEM).
    bool enableTls(const QString& certificateFile, const QString& keyFile);

    // Stops the server as an administrator would (pg_ctl stop -m fast: sessions are ended),
    // and starts it again at the same address; false with the reason in problem().
    bool stop();
    bool restart();

    static QString ownerRole();

private:
    bool runTool(const QString& tool, const QStringList& arguments);
    // Copies `from` into the cluster's folder as `name`, the server's own and private.
    bool placeFile(const QString& from, const QString& name);
    // Has the server read its settings again.
    bool reload();
    bool start();
    // Starts the server of the cluster made at m_port.
    bool launch();

    QTemporaryDir m_dir;
    QString m_admin;
    int m_port = 0;
    bool m_missing = false;
    bool m_started = false;
    bool m_ready = false;
    bool m_asNobody = false;
    QString m_problem;
};

// The address of `location` as an operator writes it, `settings` ("?sslmode=...") after it.
QString serverAddress(const DatabaseLocation& location, const QString& settings = {});

} // namespace velmora::test

// Skips the test where no PostgreSQL server can start, and fails it where one should but
// did not.
#define VELMORA_REQUIRE_SERVER(server)                                                             \
    if ((server).isMissing())                                                                      \
        QSKIP(qPrintable((server).problem()));                                                     \
    QVERIFY2((server).isRunning(), qPrintable((server).problem()))
