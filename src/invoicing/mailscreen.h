#pragma once

#include "mail/mailrun.h"
#include "mail/mailtransport.h"
#include "platform/dialogs.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

class QWidget;

// What the screens that send documents by e-mail share: the mail server with the key
// store's password, the run with its progress window, and what the operator is told after.
namespace velmora {

class KeyStore;

// The company's mail server for a run started on `screen`, or nullopt after saying why.
std::optional<MailServer> screenMailServer(QWidget* screen, const QSqlDatabase& db,
                                           Dialogs& dialogs, KeyStore& keys);

// Runs `send(settings, transport, progress, &error)` (an e-mail run) through the company's
// mail server, its progress shown over `screen` as `title` above `heading` so that the
// operator can stop it; its result, or nullopt after saying why it did not run.
template <typename Send>
auto sendFromScreen(QWidget* screen, const QSqlDatabase& db, Dialogs& dialogs, KeyStore& keys,
                    const QString& title, const QString& heading, Send send)
{
    const auto server = screenMailServer(screen, db, dialogs, keys);
    decltype(send(server->settings, std::declval<MailTransport&>(), std::declval<WorkProgress&>(),
                  std::declval<QString*>())) result;
    if (!server)
        return result;
    QString error;
    {
        SmtpTransport transport(server->settings, server->password);
        const std::unique_ptr<WorkProgress> progress = dialogs.progress(screen, title, heading);
        result = send(server->settings, transport, *progress, &error);
    }
    if (!result)
        dialogs.information(screen, error);
    return result;
}

// Tells the operator how a run went: `summary` on the screen's status line (with
// `cancelled`, that the rest were not sent) and in a box listing `notes`.
void tellMailRun(QWidget* screen, Dialogs& dialogs, const QString& summary, bool cancelled,
                 const QStringList& notes);

template <typename Document>
void tellMailRun(QWidget* screen, Dialogs& dialogs, const MailRunResult<Document>& result)
{
    tellMailRun(screen, dialogs, mailRunSummary(result), result.cancelled, problemNotes(result));
}

} // namespace velmora
