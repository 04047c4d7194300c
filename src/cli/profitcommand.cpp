#include "profitcommand.h"

#include "commandoutput.h"
#include "payroll/profitability.h"
#include "periodcommand.h"

#include <QObject>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

namespace velmora::cli {

namespace {

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

} // namespace

void addProfitCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<PeriodOptions>();
    CLI::App* command = app.add_subcommand(
        "profit", "Work out the profitability of a period by account, as the profitability "
                  "screen does, and print it");
    addPeriodOptions(command, *options, "profitability.rpt", true);
    command->callback([&action, options] {
        action = [options] {
            return runPeriodCommand("profit", *options, QStringLiteral("profitability.rpt"),
                                    std::nullopt,
                                    [](QSqlDatabase& db, QDate from, QDate to, QString* error) {
                                        const auto lines = runProfitability(db, from, to, error);
                                        if (lines)
                                            printLines(*lines);
                                        return lines.has_value();
                                    });
        };
    });
}

} // namespace velmora::cli
