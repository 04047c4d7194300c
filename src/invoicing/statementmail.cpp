#include "statementmail.h"

#include "data/dates.h"
#include "data/money.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlQuery>

namespace velmora {

QString describe(const MailedStatement& statement)
{
    return QObject::tr("the statement of %1 of %2 (balance %3)")
        .arg(statement.name, ukDate(statement.date), Money::fromStored(statement.owed).toString());
}

std::optional<StatementMailResult> statementsToMail(const QSqlDatabase& db,
                                                    const StatementRange& range,
                                                    QList<MailedStatement>* toSend, QString* error)
{
    if (!buildStatements(db, range, error))
        return std::nullopt;
    // What each account owes at the end, as the statement shows it.
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral(
                 "select p.account_id, min(p.account_name), coalesce(trim(a.invoice_email), ''), "
                 "coalesce(max(p.brought_forward), 0) + sum(coalesce(p.gross_cost, 0)) "
                 "- sum(coalesce(p.amount_received, 0)), min(s.email_begun_at) "
                 "from account_print p join accounts a on a.account_id = p.account_id "
                 "left join statement_email s on s.account_id = p.account_id "
                 "and s.statement_date = ? where s.emailed_at is null "
                 "group by p.account_id, a.invoice_email order by 2, 1"),
             {storedDate(range.since)}, error))
        return std::nullopt;
    StatementMailResult result;
    while (query.next()) {
        const MailedStatement statement{
            query.value(0).toLongLong(), query.value(1).toString().trimmed(),
            query.value(2).toString(), query.value(3).toLongLong(), range.since};
        if (!query.value(4).isNull())
            result.unsure.append(statement);
        else if (statement.address.isEmpty())
            result.withoutAddress.append(statement);
        else
            toSend->append(statement);
    }
    return result;
}

QString statementSubject(const MailedStatement& statement, const QString& firm)
{
    const QString subject = QObject::tr("Statement of account of %1").arg(ukDate(statement.date));
    return firm.isEmpty() ? subject : QObject::tr("%1 from %2").arg(subject, firm);
}

QString statementCoveringText(const MailedStatement& statement, const QString& firm)
{
    QString text = QObject::tr("Dear %1,\n\nPlease find attached your statement of account of "
                               "%2.\nThe balance outstanding is %3.\n\nThank you for your "
                               "custom.\n")
                       .arg(statement.name, ukDate(statement.date),
                            Money::fromStored(statement.owed).toString());
    if (!firm.isEmpty())
        text += QStringLiteral("\n%1\n").arg(firm);
    return text;
}

QByteArray statementPdf(const QSqlDatabase& db, qint64 account, QString* error)
{
    return reportPdf(
        db, QStringLiteral("accounts.rpt"),
        {{QStringLiteral("delete from account_print where account_id <> ?"), {account}}}, error);
}

std::optional<StatementMailResult>
emailStatements(const QSqlDatabase& db, const StatementRange& range, const MailSettings& settings,
                MailTransport& transport, WorkProgress& progress, QString* error)
{
    QList<MailedStatement> toSend;
    auto result = statementsToMail(db, range, &toSend, error);
    if (!result)
        return std::nullopt;
    const QString firm = firmName(db);
    const QString date = storedDate(range.since);
    // A refused send leaves no row, so that it is sent again.
    const MailRun mail = mailRun(
        db, settings, firm, transport, progress,
        {QStringLiteral("insert into statement_email (email_begun_at, account_id, "
                        "statement_date) values (?, ?, ?) on conflict do nothing"),
         QStringLiteral("delete from statement_email where account_id = ? and "
                        "statement_date = ? and emailed_at is null"),
         QStringLiteral("update statement_email set emailed_at = ?, emailed_to = ?, "
                        "email_begun_at = null where account_id = ? and statement_date = ?"),
         QObject::tr("another run is sending this statement")});
    sendEach(
        mail, toSend,
        [&](const MailedStatement& statement, OutgoingMail* out, QString* why) {
            out->subject = statementSubject(statement, firm);
            out->text = statementCoveringText(statement, firm);
            out->attachmentName =
                QStringLiteral("statement-%1-%2.pdf").arg(statement.account).arg(date);
            out->attachment = statementPdf(db, statement.account, why);
        },
        [&date](const MailedStatement& statement) {
            return QVariantList{statement.account, date};
        },
        &*result);
    return result;
}

} // namespace velmora
