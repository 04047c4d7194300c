#pragma once

#include "mailsettings.h"
#include "mailtransport.h"
#include "platform/workprogress.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>
#include <utility>

// What every e-mail run shares, whatever documents it sends (invoices, statements): the
// mail server and its password, the send of one document recorded before and after the
// server is asked, the loop over the run's documents and the notes for the operator.
// A document type has an `address` and a describe() that names it in words.
namespace velmora {

class KeyStore;

// A document of a run that was not sent, and why.
template <typename Document> struct NotSent
{
    Document document;
    QString answer; // the server's answer, or why it was never asked
};

// What a run did with its documents.
template <typename Document> struct MailRunResult
{
    QList<Document> sent;
    QList<NotSent<Document>> failures;
    QList<Document> withoutAddress; // to print instead
    QList<Document> unsure;         // a send was begun by a run that stopped
    bool cancelled = false;
};

// The company's mail server and the password to log in with.
struct MailServer
{
    MailSettings settings;
    QString password;
};

// The company's mail settings with the password `keys` keeps for them (none when they
// name no user); nullopt with the reason in *error when there are none, they cannot be
// used or the password cannot be read.
std::optional<MailServer> mailServer(const QSqlDatabase& db, KeyStore& keys, QString* error);

// The company's name, as a covering text is signed; empty when there is none.
QString firmName(const QSqlDatabase& db);

// How the send of one document is recorded: three statements that each change its one
// row, bound as said and then with the document's key.
struct SendRecord
{
    QString begin;  // the send begun, before the server is asked (bound: the time first)
    QString forget; // the server refused it: as never sent
    QString sent;   // the server took it (bound: the time and the address first)
    QString taken;  // why a statement changed no row: another run has the document
};

// An e-mail run: its database, server, progress, sender and how it records each send.
struct MailRun
{
    QSqlDatabase db;
    MailTransport& transport;
    WorkProgress& progress;
    QString fromAddress;
    QString fromName;
    SendRecord record;
};

// The run of `settings` for the firm `firm` (the sender's name when the settings give
// none), recording its sends with `record`.
MailRun mailRun(const QSqlDatabase& db, const MailSettings& settings, const QString& firm,
                MailTransport& transport, WorkProgress& progress, SendRecord record);

// Sends `mail` once, recording it under `key`; false with why in *why. A mail the server
// took but that could not be recorded as sent stays begun, so it is never sent again.
bool sendRecorded(const MailRun& run, const OutgoingMail& mail, const QVariantList& key,
                  QString* why);

// Sends each of `toSend` to its address in turn, asking the run's progress before each and
// stopping (cancelled) when the operator asks. `compose(document, &mail, &why)` gives its
// subject, text and attachment (none: not sent, why), `key(document)` its key for the
// run's record. Each goes to the sent or the failures of *result, and the rest carry on.
template <typename Document, typename Compose, typename Key>
void sendEach(const MailRun& run, const QList<Document>& toSend, Compose compose, Key key,
              MailRunResult<Document>* result)
{
    for (qsizetype done = 0; done < toSend.size(); ++done) {
        if (!run.progress.advance(done, toSend.size())) {
            result->cancelled = true;
            return;
        }
        const Document& document = toSend.at(done);
        OutgoingMail mail;
        mail.fromAddress = run.fromAddress;
        mail.fromName = run.fromName;
        mail.to = document.address;
        QString why;
        compose(document, &mail, &why);
        if (!mail.attachment.isEmpty() && sendRecorded(run, mail, key(document), &why))
            result->sent.append(document);
        else
            result->failures.append({document, why});
    }
    run.progress.advance(toSend.size(), toSend.size());
}

// A statement with its bound values.
using BoundSql = std::pair<QString, QVariantList>;

// The report file `report` as PDF bytes, rendered on the connection `db` after `choose` has
// set its work tables to what it prints, inside a transaction rolled back after; empty with
// the reason in *error.
QByteArray reportPdf(const QSqlDatabase& db, const QString& report, const QList<BoundSql>& choose,
                     QString* error);

// The lines that tell the operator about a run, `what` naming a document: one sent, one
// not sent with the server's answer, one not sent again because a run that stopped had
// begun it, one to print, and the counts ("3 sent, 0 not sent, 1 to print").
QString sentNote(const QString& what, const QString& address);
QString notSentNote(const QString& what, const QString& address, const QString& answer);
QString notSentAgainNote(const QString& what, const QString& address);
QString toPrintNote(const QString& what);
QString mailRunSummary(qsizetype sent, qsizetype notSent, qsizetype toPrint);

template <typename Document> QString sentNote(const Document& document)
{
    return sentNote(describe(document), document.address);
}
template <typename Document> QString notSentNote(const NotSent<Document>& failure)
{
    return notSentNote(describe(failure.document), failure.document.address, failure.answer);
}
template <typename Document> QString notSentAgainNote(const Document& document)
{
    return notSentAgainNote(describe(document), document.address);
}
template <typename Document> QString toPrintNote(const Document& document)
{
    return toPrintNote(describe(document));
}
template <typename Document> QString mailRunSummary(const MailRunResult<Document>& result)
{
    return mailRunSummary(result.sent.size(), result.failures.size(), result.withoutAddress.size());
}

// The notes of a run the operator must read: those not sent, those not sent again and
// those to print, in that order.
template <typename Document> QStringList problemNotes(const MailRunResult<Document>& result)
{
    QStringList notes;
    for (const NotSent<Document>& failure : result.failures)
        notes << notSentNote(failure);
    for (const Document& unsure : result.unsure)
        notes << notSentAgainNote(unsure);
    for (const Document& print : result.withoutAddress)
        notes << toPrintNote(print);
    return notes;
}

} // namespace velmora
