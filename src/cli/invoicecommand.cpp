#include "invoicecommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/idrange.h"
#include "invoicing/invoicerun.h"
#include "terminalprogress.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-invoice";

struct InvoiceOptions
{
    std::optional<std::int64_t> from;
    std::optional<std::int64_t> to;
    std::string database;
};

// The lowest and highest account_id on file, for a range left open; nullopt on failure.
std::optional<std::pair<std::int64_t, std::int64_t>> accountBounds(const QSqlDatabase& db,
                                                                   QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "select coalesce(min(account_id), 0), coalesce(max(account_id), -1) from accounts")) ||
        !query.next()) {
        *error = QObject::tr("The accounts could not be read.");
        return std::nullopt;
    }
    return std::pair{query.value(0).toLongLong(), query.value(1).toLongLong()};
}

void printResult(const InvoiceRunResult& result)
{
    if (result.invoices == 0) {
        printLine(stdout,
                  QObject::tr("No invoices to be created for the selection parameters input"));
        return;
    }
    printLine(stdout, result.invoices == 1 ? QObject::tr("Invoice %1 created with %2 lines")
                                                 .arg(result.firstInvoice)
                                                 .arg(result.lines)
                                           : QObject::tr("Invoices %1 to %2 created with %3 lines")
                                                 .arg(result.firstInvoice)
                                                 .arg(result.lastInvoice)
                                                 .arg(result.lines));
    const InvoiceTotals& totals = result.totals;
    printLine(stdout, QObject::tr("Gross Cost: %1").arg(totals.gross.toString()));
    printLine(stdout, QObject::tr("Discount Value: %1").arg(totals.discount.toString()));
    printLine(stdout, QObject::tr("Vat Value: %1").arg(totals.vat.toString()));
    printLine(stdout, QObject::tr("Net Value: %1").arg(totals.net.toString()));
    printLine(stdout, QObject::tr("Credit Note Value: %1").arg(totals.creditNote.toString()));
    if (result.counterBehind)
        printLine(stderr, counterBehindMessage(*result.counterBehind, result.firstInvoice));
    if (!result.unpaidDrivers.isEmpty())
        printLine(stderr, unpaidDriverMessage(result.unpaidDrivers));
}

int runInvoiceCommand(const InvoiceOptions& options)
{
    QString error = rangeProblem(QObject::tr("account"), options.from, options.to);
    if (!error.isEmpty())
        return fail("invoice", error);
    bool done = false;
    InvoiceRunResult result;
    {
        QSqlDatabase db = openDatabase(databasePath(QString::fromStdString(options.database)),
                                       QString::fromLatin1(kConnection), &error);
        if (db.isValid()) {
            const auto bounds = accountBounds(db, &error);
            if (bounds) {
                InvoiceRunRange range;
                range.startAccount = options.from.value_or(bounds->first);
                range.endAccount = options.to.value_or(bounds->second);
                const firm::FirmProgress progress = terminalProgress();
                InvoiceRunProgress shown;
                if (progress)
                    shown = [&progress](std::int64_t accounts, std::int64_t total) {
                        progress("accounts", accounts, total);
                    };
                done = runInvoices(db, range, &result, &error, shown);
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (!done)
        return fail("invoice", error);
    printResult(result);
    return 0;
}

} // namespace

void addInvoiceCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<InvoiceOptions>();
    CLI::App* invoice = app.add_subcommand(
        "invoice", "Run the invoice run over a range of accounts (by default every account)");
    invoice->add_option("--from-account", options->from, "The first account (account id)");
    invoice->add_option("--to-account", options->to, "The last account (account id)");
    addDatabaseOption(*invoice, options->database);
    invoice->callback(
        [&action, options] { action = [options] { return runInvoiceCommand(*options); }; });
}

} // namespace velmora::cli
