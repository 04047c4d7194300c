// `velmora-cli email-invoices` against a real mail server on the loopback address: each
// invoice arrives once with its PDF, a refused login, recipient or unreachable server
// marks nothing, and a run sent again sends only what was not sent.
#include "cliprocess.h"
#include "data/money.h"
#include "mailserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using velmora::test::MailServer;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;
using velmora::test::runProgram;

namespace {

// The texts of `field` of `messages`, sorted.
QStringList fieldOf(const QJsonArray& messages, const char* field)
{
    QStringList values;
    for (const QJsonValue& message : messages)
        values << message.toObject().value(QLatin1String(field)).toString();
    values.sort();
    return values;
}

} // namespace

class TestEmailInvoices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void eachInvoiceArrivesOnceWithItsPdf();
    void refusedLoginMarksNothing();
    void refusedRecipientAndUnreachableServer();
    void aRunSentAgainSendsOnlyTheRest();

private:
    Outcome cli(const QStringList& arguments, const QByteArray& input = {});
    void settings(int port, const QStringList& more = {});
    // The invoices not yet printed whose account has an address, after giving every
    // second account one.
    QStringList addressedInvoices();
    qlonglong count(const QString& sql);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_database;
};

Outcome TestEmailInvoices::cli(const QStringList& arguments, const QByteArray& input)
{
    return runProgram(QStringLiteral(VELMORA_CLI),
                      arguments + QStringList{QStringLiteral("--database"), m_database}, input);
}

void TestEmailInvoices::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_database = m_dir->filePath(QStringLiteral("taxi.mdb"));
    const Outcome made =
        runProgram(QStringLiteral(VELMORA_CLI),
                   {"init", "--database", m_database, "--operator", "boss", "--demo"}, "secret\n");
    QVERIFY2(made.exitCode == 0, qPrintable(made.err));
    const Outcome invoiced = cli({"invoice"});
    QVERIFY2(invoiced.exitCode == 0, qPrintable(invoiced.err));
}

void TestEmailInvoices::settings(int port, const QStringList& more)
{
    const Outcome set =
        cli(QStringList{"mail-settings", "--host", "127.0.0.1", "--port", QString::number(port),
                        "--security", "none", "--from-address", "office@demo.example",
                        "--from-name", "Demo Cars"} +
            more);
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
}

QStringList TestEmailInvoices::addressedInvoices()
{
    OpenedDatabase opened(m_database);
    QSqlQuery query(opened.db());
    if (!query.exec(QStringLiteral("update accounts set invoice_email = 'account' || "
                                   "account_id || '@example.com' where account_id % 2 = 0")))
        qWarning("%s", qPrintable(query.lastError().text()));
    QStringList invoices;
    query.exec(QStringLiteral("select h.invoice_no from invoice_header h join accounts a on "
                              "a.account_id = h.account_no where h.printed = 'N' and "
                              "a.invoice_email is not null order by 1"));
    while (query.next())
        invoices << query.value(0).toString();
    return invoices;
}

qlonglong TestEmailInvoices::count(const QString& sql)
{
    OpenedDatabase opened(m_database);
    return opened.value(sql).toLongLong();
}

void TestEmailInvoices::eachInvoiceArrivesOnceWithItsPdf()
{
    const QStringList invoices = addressedInvoices();
    QVERIFY(invoices.size() >= 2);
    const qlonglong unaddressed = count(QStringLiteral(
        "select count(*) from invoice_header h join accounts a on a.account_id = h.account_no "
        "where h.printed = 'N' and a.invoice_email is null"));
    MailServer server(m_dir->filePath(QStringLiteral("mail")));
    QVERIFY(server.port);
    settings(server.port);

    const Outcome sent = cli({"email-invoices"});
    QVERIFY2(sent.exitCode == 0, qPrintable(sent.err));
    QVERIFY2(sent.out.contains(QStringLiteral("%1 sent, 0 not sent, %2 to print")
                                   .arg(invoices.size())
                                   .arg(unaddressed)),
             qPrintable(sent.out));
    const QJsonArray messages = server.messages(m_dir->path());
    QCOMPARE(messages.size(), invoices.size());

    OpenedDatabase opened(m_database);
    for (const QJsonValue& each : messages) {
        const QJsonObject message = each.toObject();
        const QString invoice =
            message.value("attachment").toString().section(u'-', 1).section(u'.', 0, 0);
        QVERIFY2(invoices.contains(invoice), qPrintable(invoice));
        QSqlQuery query(opened.db());
        QVERIFY(query.exec(QStringLiteral("select a.invoice_email, h.net_value, h.emailed_to, "
                                          "h.emailed_at, a.account_name from invoice_header h "
                                          "join accounts a on a.account_id = h.account_no "
                                          "where h.invoice_no = %1")
                               .arg(invoice)));
        QVERIFY(query.next());
        QCOMPARE(message.value("to").toString(), query.value(0).toString());
        QCOMPARE(query.value(2).toString(), query.value(0).toString());
        QVERIFY(!query.value(3).isNull());
        QVERIFY2(message.value("subject").toString().startsWith(
                     QStringLiteral("Invoice %1").arg(invoice)),
                 qPrintable(message.value("subject").toString()));
        QVERIFY(message.value("from").toString().contains(QStringLiteral("office@demo.example")));
        const QString amount = velmora::Money::fromStored(query.value(1).toLongLong()).toString();
        QVERIFY2(message.value("text").toString().contains(query.value(4).toString()),
                 qPrintable(message.value("text").toString()));
        const Outcome pdf = runProgram(
            QStringLiteral("pdftotext"),
            {m_dir->filePath(message.value("attachment").toString()), QStringLiteral("-")}, {});
        QVERIFY2(pdf.exitCode == 0, qPrintable(pdf.err));
        QVERIFY2(pdf.out.contains(invoice), qPrintable(pdf.out));
        QVERIFY2(pdf.out.contains(amount), qPrintable(amount + u'\n' + pdf.out));
    }

    const Outcome again = cli({"email-invoices"});
    QVERIFY2(again.exitCode == 0, qPrintable(again.err));
    QVERIFY2(again.out.contains(QStringLiteral("0 sent, 0 not sent")), qPrintable(again.out));
    QCOMPARE(server.messages(m_dir->path()).size(), invoices.size());
    const Outcome check =
        runProgram(QStringLiteral(VELMORA_CLI), {"check", "--database", m_database}, {});
    QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
}

void TestEmailInvoices::refusedLoginMarksNothing()
{
    const QStringList invoices = addressedInvoices();
    MailServer server(m_dir->filePath(QStringLiteral("mail")), {"--password", "right"});
    QVERIFY(server.port);
    settings(server.port, {"--user", "office"});

    const Outcome refused = cli({"email-invoices"}, "wrong\n");
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("Not sent: invoice %1").arg(invoices.first())) &&
                 refused.err.contains(QStringLiteral("535")),
             qPrintable(refused.err));
    QCOMPARE(count("select count(*) from invoice_header where emailed_at is not null or "
                   "email_begun_at is not null"),
             0);
    QCOMPARE(server.messages(m_dir->path()).size(), 0);

    const Outcome sent = cli({"email-invoices"}, "right\n");
    QVERIFY2(sent.exitCode == 0, qPrintable(sent.err));
    QCOMPARE(server.messages(m_dir->path()).size(), invoices.size());
}

void TestEmailInvoices::refusedRecipientAndUnreachableServer()
{
    const QStringList invoices = addressedInvoices();
    {
        MailServer gone(m_dir->filePath(QStringLiteral("gone")));
        QVERIFY(gone.port);
        settings(gone.port);
    }
    const Outcome down = cli({"email-invoices"});
    QCOMPARE(down.exitCode, 1);
    QCOMPARE(down.err.count(QStringLiteral("Not sent: ")), invoices.size());
    QCOMPARE(count("select count(*) from invoice_header where emailed_at is not null or "
                   "email_begun_at is not null"),
             0);

    OpenedDatabase opened(m_database);
    const QString refusedAddress =
        opened
            .value(QStringLiteral("select a.invoice_email from invoice_header h join accounts a "
                                  "on a.account_id = h.account_no where h.invoice_no = %1")
                       .arg(invoices.first()))
            .toString();
    MailServer server(m_dir->filePath(QStringLiteral("mail")), {"--refuse", refusedAddress});
    QVERIFY(server.port);
    settings(server.port);
    const Outcome partly = cli({"email-invoices"});
    QCOMPARE(partly.exitCode, 1);
    QVERIFY2(partly.err.contains(QStringLiteral("Not sent: invoice %1").arg(invoices.first())) &&
                 partly.err.contains(refusedAddress) && partly.err.contains(QStringLiteral("550")),
             qPrintable(partly.err));
    const QStringList received = fieldOf(server.messages(m_dir->path()), "to");
    QVERIFY(!received.contains(refusedAddress));
    QCOMPARE(count("select count(*) from invoice_header where emailed_at is not null"),
             qlonglong(received.size()));
}

void TestEmailInvoices::aRunSentAgainSendsOnlyTheRest()
{
    const QStringList invoices = addressedInvoices();
    MailServer server(m_dir->filePath(QStringLiteral("mail")));
    QVERIFY(server.port);
    settings(server.port);
    // A run killed while it sent the second invoice left it begun.
    {
        OpenedDatabase opened(m_database);
        QSqlQuery query(opened.db());
        QVERIFY(query.exec(QStringLiteral("update invoice_header set email_begun_at = "
                                          "'2026-12-01 10:00:00' where invoice_no = %1")
                               .arg(invoices.at(1))));
    }
    const Outcome first = cli(
        {"email-invoices", "--from-invoice", invoices.first(), "--to-invoice", invoices.first()});
    QVERIFY2(first.exitCode == 0, qPrintable(first.err));
    const Outcome rest = cli({"email-invoices"});
    QVERIFY2(rest.exitCode == 0, qPrintable(rest.err));
    QVERIFY2(rest.err.contains(QStringLiteral("Not sent again: invoice %1").arg(invoices.at(1))),
             qPrintable(rest.err));
    QStringList subjects = fieldOf(server.messages(m_dir->path()), "subject");
    QCOMPARE(subjects.size(), invoices.size() - 1);
    QCOMPARE(subjects.removeDuplicates(), qsizetype(0));
}

QTEST_GUILESS_MAIN(TestEmailInvoices)
#include "test_email_invoices.moc"
