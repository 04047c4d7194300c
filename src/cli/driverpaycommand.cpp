#include "driverpaycommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/idrange.h"
#include "payroll/driverpay.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-driver-pay";

struct DriverPayOptions
{
    std::optional<std::int64_t> from; // none: the first percentage driver
    std::optional<std::int64_t> to;   // none: the last
    std::string database;
};

// The run on an open database; false with the reason in *error.
bool pay(const QSqlDatabase& db, const DriverPayOptions& options, QString* error)
{
    const auto drivers = percentageDrivers(db, error);
    if (!drivers)
        return false;
    if (drivers->isEmpty()) {
        *error = QObject::tr("No drivers working on a percentage bassis ");
        return false;
    }
    const DriverRange range{
        options.from.value_or(drivers->front().id), options.to.value_or(drivers->back().id), {}};
    const auto run = calculateDriverPay(db, range, error);
    if (!run)
        return false;
    if (run->jobsFound == 0) {
        printLine(stdout, QObject::tr("No non account jobs where driver gets a percentage "));
        return true;
    }
    for (const QString& unpaid : unpaidJobsMessages(*run))
        printLine(stdout, unpaid);
    printLine(stdout, QObject::tr("Calculated %1 jobs of drivers %2 to %3: income %4")
                          .arg(run->jobsPaid)
                          .arg(range.from)
                          .arg(range.to)
                          .arg(run->total.toString()));
    return true;
}

int runDriverPay(const DriverPayOptions& options)
{
    QString error = rangeProblem(QObject::tr("driver"), options.from, options.to);
    if (!error.isEmpty())
        return fail("driver-pay", error);
    bool done = false;
    {
        QSqlDatabase db = openDatabase(databasePath(QString::fromStdString(options.database)),
                                       QString::fromLatin1(kConnection), &error);
        done = db.isValid() && pay(db, options, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    return done ? 0 : fail("driver-pay", error);
}

} // namespace

void addDriverPayCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<DriverPayOptions>();
    CLI::App* command = app.add_subcommand(
        "driver-pay", "Work out the percentage drivers' shares of their completed jobs not yet "
                      "calculated, as the driver payment screen does");
    command->add_option("--from-driver", options->from,
                        "The first driver number of the range (default: the first percentage "
                        "driver)");
    command->add_option("--to-driver", options->to,
                        "The last driver number of the range (default: the last percentage "
                        "driver)");
    addDatabaseOption(*command, options->database);
    command->callback(
        [&action, options] { action = [options] { return runDriverPay(*options); }; });
}

} // namespace velmora::cli
