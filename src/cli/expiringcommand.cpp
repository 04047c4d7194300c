#include "expiringcommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/expiry.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-expiring";

struct ExpiringOptions
{
    int days = -1; // the firm's horizon
    std::string database;
};

// Lists the documents; *expired tells whether one has run out.
bool list(const QSqlDatabase& db, int days, bool* expired, QString* error)
{
    if (days < 0) {
        const auto horizon = expiryHorizon(db, error);
        if (!horizon)
            return false;
        days = *horizon;
    }
    const auto documents = expiringDocuments(db, QDate::currentDate(), days, error);
    if (!documents)
        return false;
    for (const ExpiringDocument& document : *documents) {
        printLine(stdout, QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(ukDate(document.expires), -10)
                              .arg(urgencyText(document.urgency, days), -15)
                              .arg(document.owner == ExpiringDocument::Owner::Vehicle
                                       ? QObject::tr("Vehicle")
                                       : QObject::tr("Driver"),
                                   -7)
                              .arg(document.name.left(30), -30)
                              .arg(document.document));
        *expired = *expired || document.urgency == ExpiryUrgency::Expired;
    }
    printLine(stdout, QObject::tr("%n document(s) expired or due within %1 days", nullptr,
                                  int(documents->size()))
                          .arg(days));
    return true;
}

int runExpiring(const ExpiringOptions& options)
{
    QString error;
    bool done = false;
    bool expired = false;
    {
        QSqlDatabase db = openDatabaseToRead(databasePath(QString::fromStdString(options.database)),
                                             QString::fromLatin1(kConnection), &error);
        done = db.isValid() && list(db, options.days, &expired, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (!done)
        return fail("expiring", error);
    return expired ? 1 : 0;
}

} // namespace

void addExpiringCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ExpiringOptions>();
    CLI::App* command = app.add_subcommand(
        "expiring", "List the vehicle and driver documents expired or due soon, soonest "
                    "first; exits with 1 when one has expired");
    command
        ->add_option("--days", options->days,
                     "How many days ahead to look (default: the company's warning days)")
        ->check(CLI::Range(0, 3650));
    addDatabaseOption(*command, options->database);
    command->callback([&action, options] { action = [options] { return runExpiring(*options); }; });
}

} // namespace velmora::cli
