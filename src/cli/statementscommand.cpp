#include "statementscommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/outputfile.h"
#include "invoicing/statements.h"
#include "reportcommand.h"
#include "reports/reportfolder.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-statements";

struct StatementsOptions
{
    std::string date;
    std::optional<std::int64_t> from; // none: the first name
    std::optional<std::int64_t> to;   // none: the last name
    std::string pdf;
    std::string database;
    bool force = false;
};

bool build(const QSqlDatabase& db, const StatementsOptions& options, QDate since, QString* error)
{
    const auto range = statementRange(db, options.from, options.to, since, error);
    if (!range)
        return false;
    const auto accounts = buildStatements(db, *range, error);
    if (!accounts)
        return false;
    printLine(stdout, QObject::tr("Statements of %n account(s) from %1 to %2 since %3", nullptr,
                                  static_cast<int>(*accounts))
                          .arg(range->startName, range->endName, ukDate(since)));
    return true;
}

int runStatements(const StatementsOptions& options)
{
    const auto since = parseUkDate(QString::fromStdString(options.date));
    if (!since)
        return fail("statements", QObject::tr("The start date must be given as dd/mm/yyyy."));
    const QString path = databasePath(QString::fromStdString(options.database));
    const QString pdf = QString::fromStdString(options.pdf);
    const QString report = reports::reportPath(QStringLiteral("accounts.rpt"));
    // Refused before the statements are built, as writeReportPdf would refuse it after.
    if (const QString refused = outputRefusal(pdf, {path, {report}, options.force});
        !refused.isEmpty())
        return fail("statements", refused);
    QString error;
    bool built = false;
    {
        QSqlDatabase db = openDatabase(path, QString::fromLatin1(kConnection), &error);
        built = db.isValid() && build(db, options, *since, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (!built)
        return fail("statements", error);
    reports::ReportRequest request;
    request.reportPath = report;
    request.databasePath = path;
    return writeReportPdf("statements", request, pdf, options.force);
}

} // namespace

void addStatementsCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<StatementsOptions>();
    CLI::App* command = app.add_subcommand(
        "statements", "Print the account statements since a date to PDF, as the statement "
                      "screen does: invoices and payments since then, with what each account "
                      "owed before");
    command->add_option("--date", options->date, "The first day, DD/MM/YYYY")->required();
    command->add_option("--from-account", options->from,
                        "The account whose name starts the range (default: the first name)");
    command->add_option("--to-account", options->to,
                        "The account whose name ends the range (default: the last name)");
    command->add_option("--pdf", options->pdf, "The PDF file to write")->required();
    command->add_flag("--force", options->force,
                      "Replace the PDF file when it exists already (never the database or the "
                      "report file)");
    addDatabaseOption(*command, options->database);
    command->callback(
        [&action, options] { action = [options] { return runStatements(*options); }; });
}

} // namespace velmora::cli
