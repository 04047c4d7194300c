#include "profitcommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/outputfile.h"
#include "payroll/profitability.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "reports/reportfolder.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-profit";

struct ProfitOptions
{
    std::string from;
    std::string to;
    std::string pdf;
    std::string database;
    bool force = false;
};

void printLines(const QList<ProfitLine>& lines)
{
    const auto row = [](const QString& name, const QString& jobs, const QString& receipts,
                        const QString& costs, const QString& profit) {
        printLine(stdout, QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(name.left(40), -40)
                              .arg(jobs, 8)
                              .arg(receipts, 16)
                              .arg(costs, 16)
                              .arg(profit, 16));
    };
    row(QObject::tr("Line"), QObject::tr("Jobs"), QObject::tr("Receipts"), QObject::tr("Costs"),
        QObject::tr("Profit/loss"));
    qint64 jobs = 0;
    Money receipts;
    Money profit;
    for (const ProfitLine& line : lines) {
        row(line.name, QString::number(line.jobs), line.receipts.toString(), line.costs.toString(),
            line.profit.toString());
        jobs += line.jobs;
        receipts += line.receipts;
        profit += line.profit;
    }
    row(QObject::tr("The firm"), QString::number(jobs), receipts.toString(),
        (receipts - profit).toString(), profit.toString());
}

bool profit(QSqlDatabase& db, QDate from, QDate to, const QString& pdf, bool force, QString* error)
{
    const auto lines = runProfitability(db, from, to, error);
    if (!lines)
        return false;
    printLines(*lines);
    if (pdf.isEmpty())
        return true;
    reports::ReportError failure;
    const QString reportFile = reports::reportPath(QStringLiteral("profitability.rpt"));
    const auto report = reports::renderReportFile(reportFile, db, &failure);
    if (report &&
        reports::writePdf(*report, pdf, {db.databaseName(), {reportFile}, force}, &failure)) {
        printLine(stdout, QObject::tr("Wrote profitability.rpt to %1").arg(pdf));
        return true;
    }
    *error = QObject::tr("Report Error %1 %2").arg(failure.number).arg(failure.text);
    return false;
}

int runProfit(const ProfitOptions& options)
{
    const auto from = parseUkDate(QString::fromStdString(options.from));
    const auto to = parseUkDate(QString::fromStdString(options.to));
    if (!from || !to)
        return fail("profit", QObject::tr("The period's dates must be given as dd/mm/yyyy."));
    if (*to < *from)
        return fail("profit", QObject::tr("The end date is before the start date."));
    QString error;
    bool done = false;
    const QString pdf = QString::fromStdString(options.pdf);
    const QString database = databasePath(QString::fromStdString(options.database));
    // A refused file is said before the period's lines are written.
    if (!pdf.isEmpty()) {
        const QString refused = outputRefusal(
            pdf,
            {database, {reports::reportPath(QStringLiteral("profitability.rpt"))}, options.force});
        if (!refused.isEmpty())
            return fail("profit", refused);
    }
    {
        QSqlDatabase db = openDatabase(database, QString::fromLatin1(kConnection), &error);
        done = db.isValid() && profit(db, *from, *to, pdf, options.force, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    return done ? 0 : fail("profit", error);
}

} // namespace

void addProfitCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ProfitOptions>();
    CLI::App* command = app.add_subcommand(
        "profit", "Work out the profitability of a period by account, as the profitability "
                  "screen does, and print it");
    command->add_option("--from", options->from, "The first day, DD/MM/YYYY")->required();
    command->add_option("--to", options->to, "The last day, DD/MM/YYYY")->required();
    command->add_option("--pdf", options->pdf, "Also write profitability.rpt to this PDF file");
    command->add_flag("--force", options->force,
                      "Replace the PDF file when it exists already (never the database or a "
                      "report file)");
    command->add_option("--database", options->database,
                        "The database file (default: $VELMORA_DATABASE, else "
                        "database/taxi.mdb beside the program)");
    command->callback([&action, options] { action = [options] { return runProfit(*options); }; });
}

} // namespace velmora::cli
