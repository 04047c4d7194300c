#include "databaselocation.h"

#include <QObject>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace velmora {

namespace {

const QLatin1String kScheme("postgresql://");

QString decoded(const QString& text) { return QUrl::fromPercentEncoding(text.toUtf8()); }

// Reads "HOST[:PORT]" (HOST may be a bracketed IPv6 address) into `location`; false when
// either is not one.
bool readServer(const QString& text, DatabaseLocation* location)
{
    static const QRegularExpression server(
        QStringLiteral(R"(^(\[[0-9A-Fa-f:.]+\]|[A-Za-z0-9._-]+)(?::([0-9]{1,5}))?$)"));
    const QRegularExpressionMatch match = server.match(text);
    if (!match.hasMatch())
        return false;
    QString host = match.captured(1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    location->host = host;
    if (match.hasCaptured(2)) {
        location->port = match.captured(2).toInt();
        return location->port >= 1 && location->port <= 65535;
    }
    return true;
}

// Reads the settings after '?' into `location`; the reason in *error for one it refuses.
bool readSettings(const QString& text, DatabaseLocation* location, QString* error)
{
    static const QStringList modes = {QStringLiteral("disable"),   QStringLiteral("allow"),
                                      QStringLiteral("prefer"),    QStringLiteral("require"),
                                      QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    for (const QString& setting : text.split(QLatin1Char('&'))) {
        const QString key = decoded(setting.section(QLatin1Char('='), 0, 0));
        const QString value = decoded(setting.section(QLatin1Char('='), 1));
        if (key == QLatin1String("sslrootcert")) {
            // libpq's settings are separated by ';' in the driver's options.
            if (value.isEmpty() || value.contains(QLatin1Char(';')) ||
                !location->sslRootCert.isEmpty()) {
                *error = QObject::tr("The sslrootcert of the database address must name one "
                                     "file, once, without ';' in its name.");
                return false;
            }
            location->sslRootCert = value;
            continue;
        }
        if (key != QLatin1String("sslmode")) {
            *error = QObject::tr("The database address has a setting Velmora does not know: "
                                 "'%1'. Only sslmode and sslrootcert may be given.")
                         .arg(key);
            return false;
        }
        if (!modes.contains(value) || !location->sslMode.isEmpty()) {
            *error = QObject::tr("'%1' is not an sslmode for the database address; give one of "
                                 "%2, once.")
                         .arg(value, modes.join(QStringLiteral(", ")));
            return false;
        }
        location->sslMode = value;
    }
    return true;
}

} // namespace

bool isServerAddress(const QString& text) { return text.startsWith(kScheme, Qt::CaseInsensitive); }

std::optional<DatabaseLocation> parseDatabaseLocation(const QString& text, QString* error)
{
    DatabaseLocation location;
    if (!isServerAddress(text)) {
        location.path = text;
        return location;
    }
    const QString rest = text.mid(kScheme.size());
    const QString authority = rest.section(QLatin1Char('/'), 0, 0);
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    const QString userInfo = at < 0 ? QString() : authority.left(at);
    if (userInfo.contains(QLatin1Char(':'))) {
        *error = QObject::tr("The database address carries a password. A password is never "
                             "given in the address: keep it in ~/.pgpass, or type it when asked.");
        return std::nullopt;
    }
    const QString form = QStringLiteral("postgresql://USER@HOST[:PORT]/NAME[?sslmode=MODE]");
    location.user = decoded(userInfo);
    if (location.user.isEmpty()) {
        *error = QObject::tr("The database address names no user: write it as %1.").arg(form);
        return std::nullopt;
    }
    if (!readServer(authority.mid(at + 1), &location)) {
        *error = QObject::tr("The database address names no server, or a port that is "
                             "not one: write it as %1.")
                     .arg(form);
        return std::nullopt;
    }
    const QString target = rest.mid(authority.size());
    const QString path = target.section(QLatin1Char('?'), 0, 0);
    location.name = decoded(path.mid(1));
    if (!path.startsWith(QLatin1Char('/')) || location.name.isEmpty() ||
        path.indexOf(QLatin1Char('/'), 1) >= 0 || path.contains(QLatin1Char('#'))) {
        *error = QObject::tr("The database address names no database: write it as %1.").arg(form);
        return std::nullopt;
    }
    if (target.contains(QLatin1Char('?')) &&
        !readSettings(target.section(QLatin1Char('?'), 1), &location, error))
        return std::nullopt;
    return location;
}

void configureServerConnection(QSqlDatabase& db, const DatabaseLocation& location)
{
    db.setHostName(location.host);
    db.setPort(location.port);
    db.setUserName(location.user);
    db.setDatabaseName(location.name);
    QStringList options;
    if (!location.sslMode.isEmpty())
        options << QStringLiteral("sslmode=") + location.sslMode;
    if (!location.sslRootCert.isEmpty()) {
        QString file = location.sslRootCert;
        file.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\''), QLatin1String("\\'"));
        options << QStringLiteral("sslrootcert='%1'").arg(file);
    }
    // The parts of a union all come one after the other, as on SQLite: a parallel append
    // would mix the rows of the parts that the lists order each on its own. No statement is
    // compiled to machine code: a list's first batch waited 15 ms and more for the compiling,
    // which the server's costs (reckoned for every row) ask for where only a batch is read.
    // The server's notices (a schema statement that found its object there already) are
    // not sent: the driver printed each on standard error, where they told an operator
    // nothing; warnings and errors still come.
    options << QStringLiteral(
        "options='-c enable_parallel_append=off -c jit=off -c client_min_messages=warning'");
    // A server that stops answering over the network (a cable out, a switch down) is given
    // up on after ten seconds of silence, rather than the operating system's quarter of an
    // hour, so that the desk says it is lost and waits on nothing meanwhile.
    options << QStringLiteral("tcp_user_timeout=10000") << QStringLiteral("keepalives_idle=5")
            << QStringLiteral("keepalives_interval=2") << QStringLiteral("keepalives_count=3");
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

QString databaseAddress(const QSqlDatabase& db)
{
    if (db.driverName() != QLatin1String("QPSQL"))
        return db.databaseName();
    QString address = QStringLiteral("postgresql://%1@%2:%3/%4")
                          .arg(db.userName(), db.hostName())
                          .arg(db.port())
                          .arg(db.databaseName());
    // The sslmode configureServerConnection() gave, among the options added after it.
    for (const QString& option : db.connectOptions().split(QLatin1Char(';'))) {
        if (option.startsWith(QLatin1String("sslmode=")))
            address += QLatin1Char('?') + option;
    }
    return address;
}

} // namespace velmora
