#pragma once

#include "command.h"

namespace velmora::cli {

// `mail-settings [--host H] [--port N] [--security starttls|tls|none] [--user U]
// [--from-address A] [--from-name N] [--database PATH]`: shows the company's mail
// settings, changing first those given. The password is kept by no command: those that
// send read it from standard input.
void addMailSettingsCommand(CLI::App& app, CommandAction& action);

// `email-invoices [--from-invoice N] [--to-invoice N] [--database PATH]`: e-mails the
// invoices not yet sent (by default those not yet printed) to their accounts as PDF, the
// server's password read from standard input when the settings name a user. Lists what
// was sent, what failed and why, and the invoices to print; exits 1 when any failed.
void addEmailInvoicesCommand(CLI::App& app, CommandAction& action);

// `email-statements --date DD/MM/YYYY [--from-account ID] [--to-account ID] [--database
// PATH]`: builds the statements since the date of the accounts whose names lie between those
// of the two accounts, as `statements` does, and e-mails each not yet sent for that date to
// its account as PDF, as `email-invoices` does for invoices.
void addEmailStatementsCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
