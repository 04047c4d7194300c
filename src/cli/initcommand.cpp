#include "initcommand.h"

#include "data/database.h"
#include "data/dates.h"
#include "data/operators.h"
#include "demofirm.h"

#include <CLI/CLI.hpp>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSqlDatabase>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-init";
const char* const kFirstOperatorLevel = "Administrator";

struct InitOptions
{
    std::string database;
    std::string operatorName;
    bool demo = false;
};

void printLine(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int fail(const QString& reason)
{
    printLine(stderr, QStringLiteral("velmora-cli init: ") + reason);
    return 1;
}

// Hides what is typed at a terminal for the life of the object.
class HiddenTyping
{
public:
    HiddenTyping() : m_terminal(isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &m_saved) == 0)
    {
        if (!m_terminal)
            return;
        termios hidden = m_saved;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    ~HiddenTyping()
    {
        if (m_terminal)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    HiddenTyping(const HiddenTyping&) = delete;
    HiddenTyping& operator=(const HiddenTyping&) = delete;

    bool atTerminal() const { return m_terminal; }

private:
    termios m_saved{};
    bool m_terminal;
};

// The first line of standard input without its line end; at a terminal it is asked for
// on standard error and not echoed.
QString readPassword(const QString& operatorName)
{
    HiddenTyping typing;
    if (typing.atTerminal())
        std::fputs(QObject::tr("Password for %1: ").arg(operatorName).toLocal8Bit().constData(),
                   stderr);
    QTextStream in(stdin);
    const QString password = in.readLine();
    if (typing.atTerminal())
        std::fputc('\n', stderr);
    return password;
}

// Creates the file with its first operator and, when `demoDay` is valid, the demo firm.
// A file that could not be completed is removed again.
bool createFile(const QString& path, const QString& operatorName, const QString& password,
                QDate demoDay, QString* error)
{
    bool done = false;
    {
        QSqlDatabase db = createDatabase(path, QString::fromLatin1(kConnection), error);
        if (!db.isValid())
            return false;
        done = addOperator(db, operatorName, password, QString::fromLatin1(kFirstOperatorLevel),
                           error) &&
               (!demoDay.isValid() || addDemoFirm(db, demoDay, error));
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (!done)
        QFile::remove(path);
    return done;
}

int runInit(const InitOptions& options)
{
    const QString path =
        QFileInfo(databasePath(QString::fromStdString(options.database))).absoluteFilePath();
    const QString operatorName = QString::fromStdString(options.operatorName);
    if (QFileInfo::exists(path))
        return fail(
            QObject::tr("The file '%1' already exists; it has been left untouched.").arg(path));
    if (operatorName.trimmed().isEmpty())
        return fail(QObject::tr("The operator name must not be empty."));
    const QString password = readPassword(operatorName);
    if (password.isEmpty())
        return fail(QObject::tr("An empty password is refused: give the operator's password "
                                "on the first line of standard input."));

    const QDate demoDay = options.demo ? QDate::currentDate() : QDate();
    QString error;
    if (!createFile(path, operatorName, password, demoDay, &error))
        return fail(error);
    printLine(stdout, QObject::tr("Created the database %1").arg(path));
    printLine(stdout, QObject::tr("First operator: %1 (%2)")
                          .arg(operatorName, QString::fromLatin1(kFirstOperatorLevel)));
    if (demoDay.isValid())
        printLine(
            stdout,
            QObject::tr("Added the demo firm, its jobs dated around %1").arg(storedDate(demoDay)));
    return 0;
}

} // namespace

void addInitCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<InitOptions>();
    CLI::App* init =
        app.add_subcommand("init", "Create a new database with its first operator, whose "
                                   "password is read from the first line of standard input");
    init->add_option("--database", options->database,
                     "The new database file (default: $VELMORA_DATABASE, else "
                     "database/taxi.mdb beside the program)");
    init->add_option("--operator", options->operatorName, "The first operator's user name")
        ->required();
    init->add_flag("--demo", options->demo, "Add a small demonstration firm dated around today");
    init->callback([&action, options] { action = [options] { return runInit(*options); }; });
}

} // namespace velmora::cli
