#include "generatecommand.h"

#include "commandoutput.h"
#include "firm/firmgenerator.h"
#include "newdatabase.h"
#include "terminalprogress.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

struct GenerateOptions
{
    std::string database;
    std::string operatorName;
    firm::FirmOptions firm;
};

int runGenerate(GenerateOptions options)
{
    QString error;
    const std::optional<NewDatabase> target =
        askNewDatabase(options.database, options.operatorName, &error);
    if (!target)
        return fail("generate", error);

    options.firm.today = QDate::currentDate();
    const firm::FirmProgress progress = terminalProgress();
    QElapsedTimer timer;
    timer.start();
    const auto fill = [&options, &progress](QSqlDatabase& db, QString* reason) {
        return firm::generateFirm(db, options.firm, progress, reason);
    };
    if (!createNewDatabase(*target, fill, &error))
        return fail("generate", error);
    const QLocale numbers(QLocale::English, QLocale::UnitedKingdom);
    printCreated(*target);
    printLine(stdout, QObject::tr("Generated %1 accounts, %2 drivers and %3 jobs up to %4 "
                                  "(seed %5) in %6 s")
                          .arg(numbers.toString(options.firm.accounts),
                               numbers.toString(options.firm.drivers),
                               numbers.toString(static_cast<qint64>(options.firm.jobs)),
                               options.firm.today.toString(Qt::ISODate))
                          .arg(options.firm.seed)
                          .arg(static_cast<double>(timer.elapsed()) / 1000.0, 0, 'f', 1));
    return 0;
}

} // namespace

void addGenerateCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<GenerateOptions>();
    CLI::App* generate = app.add_subcommand(
        "generate", "Create a new database, as init does, filled with a generated firm of years "
                    "of work up to today: the same seed gives the same firm");
    addNewDatabaseOptions(*generate, options->database, options->operatorName);
    generate->add_option("--accounts", options->firm.accounts, "Customer accounts")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    generate->add_option("--drivers", options->firm.drivers, "Drivers, each with a vehicle")
        ->capture_default_str()
        ->check(CLI::Range(1, 100000));
    generate->add_option("--jobs", options->firm.jobs, "Jobs, about two hundred a day")
        ->capture_default_str()
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{100000000}));
    generate->add_option("--seed", options->firm.seed, "Seed of the generated rows")
        ->capture_default_str();
    generate->callback(
        [&action, options] { action = [options] { return runGenerate(*options); }; });
}

} // namespace velmora::cli
