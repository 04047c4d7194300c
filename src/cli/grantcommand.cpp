#include "grantcommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/serverroles.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <memory>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-grant";

struct GrantOptions
{
    std::string database;
    std::string role;
};

int runGrant(const GrantOptions& options)
{
    const QString path = databasePath(QString::fromStdString(options.database));
    const QString role = QString::fromStdString(options.role);
    QString error;
    bool granted = false;
    {
        QSqlDatabase db = openDatabase(path, QString::fromLatin1(kConnection), &error);
        granted = db.isValid() && grantDeskRole(db, role, &error);
    }
    closeDatabase(QString::fromLatin1(kConnection));
    if (!granted)
        return fail("grant", error);
    printLine(stdout,
              QObject::tr("The role %1 may now read and write the firm's tables.").arg(role));
    return 0;
}

} // namespace

void addGrantCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<GrantOptions>();
    CLI::App* grant = app.add_subcommand(
        "grant", "Let the server role the desks log in as read and write the firm's tables "
                 "(run as the database's owner; the role cannot create, alter or drop them)");
    grant->add_option("--database", options->database,
                      "The server database as postgresql://OWNER@HOST[:PORT]/NAME (default: "
                      "$VELMORA_DATABASE)");
    grant->add_option("--role", options->role, "The desks' role")->required();
    grant->callback([&action, options] { action = [options] { return runGrant(*options); }; });
}

} // namespace velmora::cli
