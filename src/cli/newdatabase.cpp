#include "newdatabase.h"

#include "commandoutput.h"
#include "data/audit.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/firmcopy.h"
#include "data/operators.h"
#include "data/schema.h"
#include "data/sql.h"
#include "platform/hiddentyping.h"
#include "stagedfile.h"
#include "terminalprogress.h"

#include <QFileInfo>
#include <QObject>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <CLI/CLI.hpp>
#include <cstdio>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-new";
const char* const kStagedConnection = "velmora-cli-new-staged";
const char* const kServerConnection = "velmora-cli-new-server";

// The first line of standard input without its line end, read as UTF-8; at a terminal
// it is asked for on standard error and not echoed. nullopt when the bytes are not UTF-8.
// `bytes` read as UTF-8; nullopt when they are not UTF-8.
std::optional<QString> fromStrictUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> readPassword(const QString& operatorName)
{
    HiddenTyping typing;
    if (typing.atTerminal())
        std::fputs(QObject::tr("Password for %1: ").arg(operatorName).toLocal8Bit().constData(),
                   stderr);
    QByteArray line;
    for (int c = std::fgetc(stdin); c != EOF && c != '\n'; c = std::fgetc(stdin))
        line.append(static_cast<char>(c));
    if (line.endsWith('\r'))
        line.chop(1);
    if (typing.atTerminal())
        std::fputc('\n', stderr);
    return fromStrictUtf8(line);
}

} // namespace

QString firstOperatorLevel() { return QStringLiteral("Boss"); }

void addNewDatabaseOptions(CLI::App& command, std::string& database, std::string& operatorName)
{
    command.add_option("--database", database,
                       "The new database file, or an empty server database as "
                       "postgresql://USER@HOST[:PORT]/NAME (default: $VELMORA_DATABASE, else "
                       "database/taxi.mdb beside the program)");
    command.add_option("--operator", operatorName, "The first operator's user name")->required();
}

std::optional<NewDatabase> askNewDatabase(const std::string& database,
                                          const std::string& operatorName, QString* error)
{
    NewDatabase target;
    const std::optional<DatabaseLocation> location =
        parseDatabaseLocation(databasePath(QString::fromStdString(database)), error);
    if (!location)
        return std::nullopt;
    target.path = location->isServer() ? databasePath(QString::fromStdString(database))
                                       : QFileInfo(location->path).absoluteFilePath();
    const std::optional<QString> name = fromStrictUtf8(QByteArray::fromStdString(operatorName));
    if (!name) {
        *error = QObject::tr("The operator name is not UTF-8 text: give it in UTF-8.");
        return std::nullopt;
    }
    target.operatorName = *name;
    if (!location->isServer() && QFileInfo::exists(target.path)) {
        *error = QObject::tr("The file '%1' already exists; it has been left untouched.")
                     .arg(target.path);
        return std::nullopt;
    }
    if (target.operatorName.trimmed().isEmpty()) {
        *error = QObject::tr("The operator name must not be empty.");
        return std::nullopt;
    }
    const std::optional<QString> password = readPassword(target.operatorName);
    if (!password) {
        *error = QObject::tr("The password is not UTF-8 text: give it on the first line of "
                             "standard input in UTF-8.");
        return std::nullopt;
    }
    if (password->isEmpty()) {
        *error = QObject::tr("An empty password is refused: give the operator's password "
                             "on the first line of standard input.");
        return std::nullopt;
    }
    *error = passwordProblem(*password);
    if (!error->isEmpty())
        return std::nullopt;
    target.password = *password;
    return target;
}

namespace {

// createNewDatabase() on an empty server database without a filler: the schema and the
// first operator in one transaction, so that a failure leaves the database empty.
bool createOnServer(const NewDatabase& target, QString* error)
{
    const QString connection = QString::fromLatin1(kConnection);
    bool done = false;
    {
        QSqlDatabase db = openEmptyDatabase(target.path, connection, error);
        if (!db.isValid())
            return false;
        Transaction transaction(db);
        done = transaction.begun(error) && upgradeSchema(db, 0, error) &&
               addOperator(db, target.operatorName, target.password, firstOperatorLevel(), error) &&
               transaction.commit(error);
    }
    closeDatabase(connection);
    return done;
}

// Copies the firm in the file `path` into the empty server database `server` (copyFirm(),
// one transaction on the server) and gathers the server's statistics of it.
bool copyFileToServer(const QString& path, QSqlDatabase& server, QString* error)
{
    const QString connection = QString::fromLatin1(kStagedConnection);
    bool done = false;
    {
        const QSqlDatabase file = openDatabaseToRead(path, connection, error);
        done = file.isValid() && copyFirm(file, server, terminalProgress(), error) &&
               gatherStatistics(server, error);
    }
    closeDatabase(connection);
    return done;
}

bool createFile(const NewDatabase& target, const DatabaseFiller& fill, QString* error)
{
    StagedFile file(target.path);
    if (!file.begin(error))
        return false;
    const QString connection = QString::fromLatin1(kConnection);
    bool done = false;
    {
        QSqlDatabase db = createDatabase(file.stagingPath(), connection, error);
        if (!db.isValid())
            return false;
        // What a generated firm's desk did is recorded as done by its first operator.
        done = addOperator(db, target.operatorName, target.password, firstOperatorLevel(), error) &&
               setAuditOperator(db, target.operatorName, error) &&
               (!fill || (fill(db, error) && gatherStatistics(db, error)));
    }
    closeDatabase(connection);
    return done && file.commit(error);
}

bool createThroughFile(const NewDatabase& target, const DatabaseFiller& fill, QString* error)
{
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = QObject::tr("No temporary folder can be made to build the firm in: %1")
                     .arg(folder.errorString());
        return false;
    }
    const QString connection = QString::fromLatin1(kServerConnection);
    bool done = false;
    {
        // Opened first, so that a database that holds tables is refused before the build.
        QSqlDatabase server = openEmptyDatabase(target.path, connection, error);
        if (!server.isValid())
            return false;
        NewDatabase staged = target;
        staged.path = folder.filePath(QStringLiteral("firm.mdb"));
        done = createFile(staged, fill, error) && copyFileToServer(staged.path, server, error);
    }
    closeDatabase(connection);
    return done;
}

} // namespace

bool createNewDatabase(const NewDatabase& target, const DatabaseFiller& fill, QString* error)
{
    if (isServerAddress(target.path))
        return fill ? createThroughFile(target, fill, error) : createOnServer(target, error);
    return createFile(target, fill, error);
}

void printCreated(const NewDatabase& target)
{
    printLine(stdout, QObject::tr("Created the database %1").arg(target.path));
    printLine(
        stdout,
        QObject::tr("First operator: %1 (%2)").arg(target.operatorName, firstOperatorLevel()));
}

} // namespace velmora::cli
