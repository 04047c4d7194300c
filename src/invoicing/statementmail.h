#pragma once

#include "mail/mailrun.h"
#include "statements.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// One account's statement, where it goes and what the account owes at its end.
struct MailedStatement
{
    qint64 account = 0;
    QString name;
    QString address;
    qint64 owed = 0; // ten-thousandths
    QDate date;      // the statement's date: the first day it lists
};

using StatementMailResult = MailRunResult<MailedStatement>;

// The statement in words for the notes of a run: "the statement of Acme of 01/03/2026
// (balance 1,234.50)".
QString describe(const MailedStatement& statement);

// Builds the statements of `range` as the statement run does and lists those an e-mail run
// would take: each account with a statement of that date never sent that has an address,
// with those left for printing (no address) or for the operator (begun by a run that
// stopped); nullopt with the reason in *error.
std::optional<StatementMailResult> statementsToMail(const QSqlDatabase& db,
                                                    const StatementRange& range,
                                                    QList<MailedStatement>* toSend, QString* error);

// The subject and covering text of the mail that carries `statement` from the firm `firm`.
QString statementSubject(const MailedStatement& statement, const QString& firm);
QString statementCoveringText(const MailedStatement& statement, const QString& firm);

// The statement of account `account` as it prints from the statements built last, as PDF
// bytes; empty with the reason in *error.
QByteArray statementPdf(const QSqlDatabase& db, qint64 account, QString* error);

// E-mails the statement of each account of `range` that has an address as a PDF, as
// emailInvoices() does for invoices: each send is recorded begun before the server is
// asked and sent (when and to whom) once it has taken the message, per account and
// statement date, so that a run for the same date sends only what was not sent. Nullopt
// with the reason in *error when the run could not start; each statement's own failure is
// in the result.
std::optional<StatementMailResult>
emailStatements(const QSqlDatabase& db, const StatementRange& range, const MailSettings& settings,
                MailTransport& transport, WorkProgress& progress, QString* error);

} // namespace velmora
