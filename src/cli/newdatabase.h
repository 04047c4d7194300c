#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace velmora::cli {

// The security level of the operator that a new database starts with: the highest, as the
// owner setting the firm up may do everything, the audit trail included.
QString firstOperatorLevel();

// Adds to `command` the options that name the new database and its first operator:
// --database PATH and the required --operator NAME.
void addNewDatabaseOptions(CLI::App& command, std::string& database, std::string& operatorName);

// A new database as the command line asks for it.
struct NewDatabase
{
    QString path; // absolute, or a postgresql:// address
    QString operatorName;
    QString password;
};

// Resolves `database` as every command does (a postgresql:// address is kept as it is),
// refuses an existing file and an empty
// operator name, then reads the operator's password from the first line of standard
// input (asked for on standard error, unechoed, at a terminal) and refuses an empty one.
// nullopt with the reason in *error.
std::optional<NewDatabase> askNewDatabase(const std::string& database,
                                          const std::string& operatorName, QString* error);

// Fills a new database once its first operator is in; false with the reason in *error.
using DatabaseFiller = std::function<bool(QSqlDatabase& db, QString* error)>;

// Creates the file with the schema and its first operator, then runs `fill` when given
// and gathers the planner's statistics. The file is built under a staging name beside
// the target and appears under its own name only when it is whole (StagedFile); a build
// that fails leaves nothing behind. A server database gets the schema and the operator in
// one transaction; with `fill` the firm is built so in a temporary file first and then
// copied to the server in one transaction (copyFirm()), so that a failure leaves it empty.
bool createNewDatabase(const NewDatabase& target, const DatabaseFiller& fill, QString* error);

// Says on standard output which file was created and who its first operator is.
void printCreated(const NewDatabase& target);

} // namespace velmora::cli
