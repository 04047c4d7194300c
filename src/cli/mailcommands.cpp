#include "mailcommands.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/dates.h"
#include "invoicing/statementmail.h"
#include "mail/invoicemail.h"
#include "mail/keystore.h"
#include "mail/mailrun.h"
#include "mail/mailsettings.h"
#include "mail/mailtransport.h"
#include "platform/workprogress.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

struct SettingsOptions
{
    std::optional<std::string> host;
    std::optional<int> port;
    std::optional<std::string> security;
    std::optional<std::string> user;
    std::optional<std::string> fromAddress;
    std::optional<std::string> fromName;
    std::string database;
};

struct InvoicesOptions
{
    std::optional<std::int64_t> from;
    std::optional<std::int64_t> to;
    std::string database;
};

struct StatementsOptions
{
    std::string date;
    std::optional<std::int64_t> from; // none: the first name
    std::optional<std::int64_t> to;   // none: the last name
    std::string database;
};

// Runs `work` on the database of `database`; the command's exit code.
int onDatabase(const char* command, const std::string& database,
               const std::function<int(QSqlDatabase& db)>& work)
{
    const QString connection = QStringLiteral("velmora-cli-%1").arg(QLatin1String(command));
    int code = 1;
    {
        QString error;
        QSqlDatabase db =
            openDatabase(databasePath(QString::fromStdString(database)), connection, &error);
        code = db.isValid() ? work(db) : fail(command, error);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return code;
}

int runSettings(const SettingsOptions& options)
{
    return onDatabase("mail-settings", options.database, [&options](QSqlDatabase& db) {
        QString error;
        MailSettings settings = readMailSettings(db, &error).value_or(MailSettings{});
        const auto text = [](const std::optional<std::string>& given, QString* field) {
            if (given)
                *field = QString::fromStdString(*given);
        };
        text(options.host, &settings.host);
        text(options.user, &settings.user);
        text(options.fromAddress, &settings.fromAddress);
        text(options.fromName, &settings.fromName);
        if (options.port)
            settings.port = *options.port;
        if (options.security) {
            const auto security = securityFromWord(QString::fromStdString(*options.security));
            if (!security)
                return fail("mail-settings",
                            QObject::tr("--security takes starttls, tls or none."));
            settings.security = *security;
        }
        const bool changing = options.host || options.port || options.security || options.user ||
                              options.fromAddress || options.fromName;
        if (changing && !saveMailSettings(db, settings, &error))
            return fail("mail-settings", error);
        if (!changing && settings.host.isEmpty())
            return fail("mail-settings", error);
        printLine(stdout, QObject::tr("Mail server: %1 port %2, %3")
                              .arg(settings.host)
                              .arg(settings.port)
                              .arg(securityWord(settings.security)));
        printLine(stdout, QObject::tr("User: %1").arg(settings.user));
        printLine(stdout,
                  QObject::tr("Sender: %1 <%2>").arg(settings.fromName, settings.fromAddress));
        return 0;
    });
}

// Prints what a run did: those sent and those to print on standard output, those not
// sent on standard error, and the counts; the command's exit code (1 when any failed).
template <typename Document> int printRun(const MailRunResult<Document>& result)
{
    for (const Document& sent : result.sent)
        printLine(stdout, sentNote(sent));
    for (const NotSent<Document>& failure : result.failures)
        printLine(stderr, notSentNote(failure));
    for (const Document& unsure : result.unsure)
        printLine(stderr, notSentAgainNote(unsure));
    for (const Document& print : result.withoutAddress)
        printLine(stdout, toPrintNote(print));
    printLine(stdout, mailRunSummary(result));
    return result.failures.isEmpty() ? 0 : 1;
}

// Runs `send` through the company's mail server on the database of `database`, the
// server's password read from standard input when the settings name a user; the
// command's exit code.
template <typename Send> int sendMail(const char* command, const std::string& database, Send send)
{
    return onDatabase(command, database, [command, &send](QSqlDatabase& db) {
        QString error;
        InputKeyStore input;
        const auto server = mailServer(db, input, &error);
        if (!server)
            return fail(command, error);
        SmtpTransport transport(server->settings, server->password);
        NoProgress progress;
        const auto result = send(db, server->settings, transport, progress, &error);
        return result ? printRun(*result) : fail(command, error);
    });
}

int runInvoices(const InvoicesOptions& options)
{
    return sendMail("email-invoices", options.database,
                    [&options](QSqlDatabase& db, const MailSettings& settings,
                               MailTransport& transport, WorkProgress& progress, QString* error) {
                        return emailInvoices(db, {options.from, options.to}, settings, transport,
                                             progress, error);
                    });
}

int runStatements(const StatementsOptions& options)
{
    const auto since = parseUkDate(QString::fromStdString(options.date));
    if (!since)
        return fail("email-statements", QObject::tr("The start date must be given as dd/mm/yyyy."));
    return sendMail(
        "email-statements", options.database,
        [&options, since](QSqlDatabase& db, const MailSettings& settings, MailTransport& transport,
                          WorkProgress& progress, QString* error) {
            const auto range = statementRange(db, options.from, options.to, *since, error);
            return range ? emailStatements(db, *range, settings, transport, progress, error)
                         : std::nullopt;
        });
}

} // namespace

void addMailSettingsCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<SettingsOptions>();
    CLI::App* command = app.add_subcommand(
        "mail-settings", "Show the company's mail server settings, changing those given");
    command->add_option("--host", options->host, "The mail server's name");
    command->add_option("--port", options->port, "The mail server's port (587, 465, 25)");
    command->add_option("--security", options->security,
                        "starttls, tls, or none (only for a server on this computer)");
    command->add_option("--user", options->user, "The user name to log in with (empty: none)");
    command->add_option("--from-address", options->fromAddress, "The sender's e-mail address");
    command->add_option("--from-name", options->fromName, "The sender's name");
    addDatabaseOption(*command, options->database);
    command->callback([&action, options] { action = [options] { return runSettings(*options); }; });
}

void addEmailInvoicesCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<InvoicesOptions>();
    CLI::App* command = app.add_subcommand(
        "email-invoices", "E-mail the invoices not yet sent to their accounts as PDF; the "
                          "server's password is read from standard input");
    command->add_option("--from-invoice", options->from,
                        "The first invoice number (default: the invoices not yet printed)");
    command->add_option("--to-invoice", options->to, "The last invoice number");
    addDatabaseOption(*command, options->database);
    command->callback([&action, options] { action = [options] { return runInvoices(*options); }; });
}

void addEmailStatementsCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<StatementsOptions>();
    CLI::App* command = app.add_subcommand(
        "email-statements", "E-mail the account statements since a date not yet sent to their "
                            "accounts as PDF; the server's password is read from standard input");
    command->add_option("--date", options->date, "The statements' first day, DD/MM/YYYY")
        ->required();
    command->add_option("--from-account", options->from,
                        "The account whose name starts the range (default: the first name)");
    command->add_option("--to-account", options->to,
                        "The account whose name ends the range (default: the last name)");
    addDatabaseOption(*command, options->database);
    command->callback(
        [&action, options] { action = [options] { return runStatements(*options); }; });
}

} // namespace velmora::cli
