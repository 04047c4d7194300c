#include "postgresserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace velmora::test {

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin");

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

int serverCount = 0;

} // namespace

PostgresServer::PostgresServer()
{
    for (const char* tool : {"initdb", "pg_ctl"}) {
        if (!QFileInfo(kBin + QLatin1Char('/') + QLatin1String(tool)).isExecutable()) {
            m_missing = true;
            m_problem = QStringLiteral("No PostgreSQL server to start: %1/%2 is missing "
                                       "(Debian's postgresql package)")
                            .arg(kBin, QLatin1String(tool));
            return;
        }
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_missing = true;
        m_problem = QStringLiteral("Qt has no PostgreSQL driver (Debian's libqt6sql6-psql)");
        return;
    }
    m_ready = start();
}

PostgresServer::~PostgresServer()
{
    if (!m_admin.isEmpty()) {
        QSqlDatabase::database(m_admin, false).close();
        QSqlDatabase::removeDatabase(m_admin);
    }
    if (m_started)
        runTool(QStringLiteral("pg_ctl"),
                {QStringLiteral("stop"), QStringLiteral("-D"),
                 m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                 QStringLiteral("fast"), QStringLiteral("-w")});
}

QString PostgresServer::ownerRole() { return QStringLiteral("velmora_owner"); }

bool PostgresServer::runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    QStringList command = QStringList{kBin + QLatin1Char('/') + tool} + arguments;
    if (m_asNobody)
        command =
            QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")} +
            command;
    const QString program =
        m_asNobody
            ? QStandardPaths::findExecutable(QStringLiteral("runuser"),
                                             {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
            : command.takeFirst();
    process.start(program, command);
    const bool ok = process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        m_problem =
            QStringLiteral("%1 failed: %2").arg(tool, QString::fromLocal8Bit(process.readAll()));
    return ok;
}

bool PostgresServer::start()
{
    if (!m_dir.isValid()) {
        m_problem = QStringLiteral("No temporary folder for the server");
        return false;
    }
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid,
                             nobody->pw_gid) != 0) {
            m_problem = QStringLiteral("The server's folder could not be given to nobody");
            return false;
        }
        m_asNobody = true;
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!runTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                  QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")}))
        return false;
    m_port = freePort();
    if (!launch())
        return false;
    m_admin = QStringLiteral("velmora-test-postgres-%1").arg(++serverCount);
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_admin);
    admin.setHostName(QStringLiteral("127.0.0.1"));
    admin.setPort(m_port);
    admin.setUserName(QStringLiteral("postgres"));
    admin.setDatabaseName(QStringLiteral("postgres"));
    QSqlQuery create(admin);
    if (!admin.open() || !create.exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(ownerRole()))) {
        m_problem = admin.isOpen() ? create.lastError().text() : admin.lastError().text();
        return false;
    }
    return true;
}

bool PostgresServer::launch()
{
    const QString log = m_dir.filePath(QStringLiteral("server.log"));
    const QString options =
        QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -c unix_socket_directories=%2 "
                       "-c fsync=off -c synchronous_commit=off -c full_page_writes=off")
            .arg(m_port)
            .arg(m_dir.path());
    if (!runTool(QStringLiteral("pg_ctl"),
                 {QStringLiteral("start"), QStringLiteral("-D"),
                  m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"), log,
                  QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                  QStringLiteral("-o"), options})) {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly))
            m_problem += QString::fromLocal8Bit(file.readAll());
        return false;
    }
    m_started = true;
    return true;
}

bool PostgresServer::stop()
{
    QSqlDatabase::database(m_admin, false).close();
    m_started = !runTool(QStringLiteral("pg_ctl"),
                         {QStringLiteral("stop"), QStringLiteral("-D"),
                          m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                          QStringLiteral("fast"), QStringLiteral("-w")});
    return !m_started;
}

bool PostgresServer::restart()
{
    if (!launch())
        return false;
    QSqlDatabase admin = QSqlDatabase::database(m_admin, false);
    if (admin.open())
        return true;
    m_problem = admin.lastError().text();
    return false;
}

DatabaseLocation PostgresServer::createDatabase(const QString& name)
{
    QSqlQuery create(QSqlDatabase::database(m_admin));
    if (!m_ready ||
        !create.exec(QStringLiteral("CREATE DATABASE \"%1\" OWNER %2").arg(name, ownerRole()))) {
        m_problem = m_ready ? create.lastError().text() : m_problem;
        return {};
    }
    DatabaseLocation location;
    location.user = ownerRole();
    location.host = QStringLiteral("127.0.0.1");
    location.port = m_port;
    location.name = name;
    return location;
}

QSqlDatabase PostgresServer::open(const DatabaseLocation& location, const QString& connectionName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    configureServerConnection(db, location);
    if (!db.open()) {
        m_problem = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }
    return db;
}

QString serverAddress(const DatabaseLocation& location, const QString& settings)
{
    return QStringLiteral("postgresql://%1@%2:%3/%4%5")
        .arg(location.user, location.host)
        .arg(location.port)
        .arg(location.name, settings);
}

bool PostgresServer::execute(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(m_admin));
    if (m_ready && query.exec(sql))
        return true;
    m_problem = m_ready ? query.lastError().text() : m_problem;
    return false;
}

bool PostgresServer::reload()
{
    if (!execute(QStringLiteral("SELECT pg_reload_conf()")))
        return false;
    // The server rereads its files on a signal: new sessions see them a moment later.
    QThread::msleep(500);
    return true;
}

bool PostgresServer::placeFile(const QString& from, const QString& name)
{
    const QString to = m_dir.filePath(QStringLiteral("data/") + name);
    QFile::remove(to);
    if (!QFile::copy(from, to) ||
        !QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_problem = QStringLiteral("%1 could not be put beside the server").arg(name);
        return false;
    }
    const passwd* nobody = m_asNobody ? getpwnam("nobody") : nullptr;
    if (m_asNobody &&
        (!nobody || chown(QFile::encodeName(to).constData(), nobody->pw_uid, nobody->pw_gid))) {
        m_problem = QStringLiteral("%1 could not be given to nobody").arg(name);
        return false;
    }
    return true;
}

bool PostgresServer::requirePassword(const QString& role)
{
    QFile rules(m_dir.filePath(QStringLiteral("data/pg_hba.conf")));
    if (!rules.open(QIODevice::ReadOnly)) {
        m_problem = QStringLiteral("pg_hba.conf cannot be read");
        return false;
    }
    const QByteArray before = rules.readAll();
    rules.close();
    // The first line that matches a login decides it.
    if (!rules.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        rules.write("host all " + role.toUtf8() + " 127.0.0.1/32 scram-sha-256\n" + before) < 0) {
        m_problem = QStringLiteral("pg_hba.conf cannot be written");
        return false;
    }
    rules.close();
    return reload();
}

bool PostgresServer::enableTls(const QString& certificateFile, const QString& keyFile)
{
    return placeFile(certificateFile, QStringLiteral("server.crt")) &&
           placeFile(keyFile, QStringLiteral("server.key")) &&
           execute(QStringLiteral("ALTER SYSTEM SET ssl = on")) && reload();
}

} // namespace velmora::test
