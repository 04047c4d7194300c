#include "accountantcommands.h"

#include "commandoutput.h"
#include "payroll/profitandloss.h"
#include "payroll/vatreturn.h"
#include "periodcommand.h"

#include <QObject>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

namespace velmora::cli {

namespace {

void printMonths(const std::vector<ProfitMonth>& months)
{
    const auto row = [](const QString& month, const QStringList& amounts) {
        QString line = QStringLiteral("%1").arg(month, -10);
        for (const QString& amount : amounts)
            line += QStringLiteral(" %1").arg(amount, 15);
        printLine(stdout, line);
    };
    row(QObject::tr("Month"),
        {QObject::tr("Income"), QObject::tr("Job payments"), QObject::tr("Driver wages"),
         QObject::tr("Operational"), QObject::tr("Profit")});
    ProfitMonth total;
    const auto amounts = [](const ProfitMonth& month) {
        return QStringList{month.income.toString(), month.payments.toString(),
                           month.wages.toString(), month.operational.toString(),
                           month.profit().toString()};
    };
    for (const ProfitMonth& month : months) {
        row(month.month.toString(QStringLiteral("MM/yyyy")), amounts(month));
        total.income += month.income;
        total.payments += month.payments;
        total.wages += month.wages;
        total.operational += month.operational;
    }
    row(QObject::tr("Period"), amounts(total));
}

void printReturn(const VatReturn& vat)
{
    for (std::size_t box = 0; box < vat.boxes.size(); ++box) {
        printLine(stdout, QStringLiteral("Box %1 %2  %3")
                              .arg(box + 1)
                              .arg(vat.boxes[box].toString(), 15)
                              .arg(vatBoxNames()[box]));
    }
    printLine(stdout, QObject::tr("Sales before VAT %1, purchases before VAT %2")
                          .arg(vat.salesBeforeVat.toString(), vat.purchasesBeforeVat.toString()));
    for (const VatRateTotal& rate : vat.rates) {
        printLine(stdout, QStringLiteral("%1 %2 %3")
                              .arg((rate.sales ? QObject::tr("Sales at %1%")
                                               : QObject::tr("Purchases at %1%"))
                                       .arg(vatRateText(rate.rate)),
                                   -24)
                              .arg(rate.beforeVat.toString(), 15)
                              .arg(rate.vat.toString(), 15));
    }
}

} // namespace

void addProfitAndLossCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<PeriodOptions>();
    CLI::App* command = app.add_subcommand(
        "profit-and-loss", "Work out the firm's profit and loss month by month: income less job "
                           "payments, driver wages and operational costs (last quarter unless "
                           "--from and --to are given)");
    addPeriodOptions(command, *options, "profitandloss.rpt", false);
    command->callback([&action, options] {
        action = [options] {
            return runPeriodCommand("profit-and-loss", *options,
                                    QStringLiteral("profitandloss.rpt"),
                                    lastQuarter(QDate::currentDate()),
                                    [](QSqlDatabase& db, QDate from, QDate to, QString* error) {
                                        const auto months = runProfitAndLoss(db, from, to, error);
                                        if (months)
                                            printMonths(*months);
                                        return months.has_value();
                                    });
        };
    });
}

void addVatReturnCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<PeriodOptions>();
    CLI::App* command = app.add_subcommand(
        "vat-return", "Work out the nine boxes of the VAT return from the receipt and payment "
                      "lines (last quarter unless --from and --to are given)");
    addPeriodOptions(command, *options, "vatreturn.rpt", false);
    command->callback([&action, options] {
        action = [options] {
            return runPeriodCommand("vat-return", *options, QStringLiteral("vatreturn.rpt"),
                                    lastQuarter(QDate::currentDate()),
                                    [](QSqlDatabase& db, QDate from, QDate to, QString* error) {
                                        const auto vat = runVatReturn(db, from, to, error);
                                        if (vat)
                                            printReturn(*vat);
                                        return vat.has_value();
                                    });
        };
    });
}

} // namespace velmora::cli
