// Account statements e-mailed against a real mail server on the loopback address, by
// `velmora-cli email-statements` and by the statement screen: each arrives once with the
// account's balance in its PDF, a refused recipient marks nothing, and a run for the same
// date sends only what was not sent.
#include "cliprocess.h"
#include "data/money.h"
#include "invoicing/frmaccounts_print.h"
#include "mail/keystore.h"
#include "mailserver.h"
#include "platform/scripteddialogs.h"
#include "platform/scriptedreportengine.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using velmora::test::MailServer;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;
using velmora::test::runProgram;

namespace {

const QString kDate = QStringLiteral("01/01/2000");

// An account with a statement and an address: its name, and what it owes (its invoices
// less its payments, all since the statements' date).
struct Addressed
{
    QString name;
    QString owed;
};

} // namespace

class TestEmailStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void eachStatementArrivesOnceWithTheBalance();
    void aRefusedRecipientNamesTheAccountAndMarksNothing();
    void aSendBegunByAKilledRunIsNotSentAgain();
    void theScreenSendsThemWithTheKeyStorePassword();

private:
    Outcome cli(const QStringList& arguments, const QByteArray& input = {});
    void settings(int port, const QStringList& more = {});
    qlonglong count(const QString& sql);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_database;
    // By address, after every second account with invoices was given one.
    QMap<QString, Addressed> m_addressed;
};

Outcome TestEmailStatements::cli(const QStringList& arguments, const QByteArray& input)
{
    return runProgram(QStringLiteral(VELMORA_CLI),
                      arguments + QStringList{QStringLiteral("--database"), m_database}, input);
}

void TestEmailStatements::init()
{
    qputenv("VELMORA_REPORTS_DIR", VELMORA_REPORTS);
    m_dir = std::make_unique<QTemporaryDir>();
    m_database = m_dir->filePath(QStringLiteral("taxi.mdb"));
    QCOMPARE(cli({"init", "--operator", "boss", "--demo"}, "secret\n").exitCode, 0);
    QCOMPARE(cli({"invoice"}).exitCode, 0);
    OpenedDatabase opened(m_database);
    QSqlQuery query(opened.db());
    QVERIFY(query.exec(QStringLiteral("update accounts set invoice_email = 'account' || "
                                      "account_id || '@example.com' where account_id % 2 = 0")));
    QVERIFY(query.exec(QStringLiteral(
        "select a.invoice_email, a.account_name, "
        "(select sum(net_value) from invoice_header h where h.account_no = a.account_id) - "
        "coalesce((select sum(amount_received) from receipts r where r.account_no = "
        "a.account_id), 0) from accounts a where a.invoice_email is not null and exists "
        "(select 1 from invoice_header h where h.account_no = a.account_id)")));
    m_addressed.clear();
    while (query.next())
        m_addressed.insert(
            query.value(0).toString(),
            {query.value(1).toString(), Money::fromStored(query.value(2).toLongLong()).toString()});
    QVERIFY(m_addressed.size() >= 2);
}

void TestEmailStatements::settings(int port, const QStringList& more)
{
    const Outcome set =
        cli(QStringList{"mail-settings", "--host", "127.0.0.1", "--port", QString::number(port),
                        "--security", "none", "--from-address", "office@demo.example"} +
            more);
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
}

qlonglong TestEmailStatements::count(const QString& sql)
{
    OpenedDatabase opened(m_database);
    return opened.value(sql).toLongLong();
}

void TestEmailStatements::eachStatementArrivesOnceWithTheBalance()
{
    MailServer server(m_dir->filePath(QStringLiteral("mail")));
    QVERIFY(server.port);
    settings(server.port);

    const Outcome sent = cli({"email-statements", "--date", kDate});
    QVERIFY2(sent.exitCode == 0, qPrintable(sent.err));
    QVERIFY2(sent.out.contains(QStringLiteral("%1 sent, 0 not sent").arg(m_addressed.size())),
             qPrintable(sent.out));
    const QJsonArray messages = server.messages(m_dir->path());
    QCOMPARE(messages.size(), m_addressed.size());
    for (const QJsonValue& each : messages) {
        const QJsonObject message = each.toObject();
        const QString to = message.value("to").toString().remove(u'<').remove(u'>');
        QVERIFY2(m_addressed.contains(to), qPrintable(to));
        const Addressed account = m_addressed.value(to);
        QVERIFY2(message.value("text").toString().contains(account.name) &&
                     message.value("text").toString().contains(account.owed),
                 qPrintable(message.value("text").toString()));
        const Outcome pdf = runProgram(
            QStringLiteral("pdftotext"),
            {m_dir->filePath(message.value("attachment").toString()), QStringLiteral("-")}, {});
        QVERIFY2(pdf.exitCode == 0, qPrintable(pdf.err));
        QVERIFY2(pdf.out.contains(account.name) && pdf.out.contains(account.owed),
                 qPrintable(account.owed + u'\n' + pdf.out));
    }
    QCOMPARE(count("select count(*) from statement_email where emailed_at is not null and "
                   "email_begun_at is null and statement_date = '2000-01-01'"),
             qlonglong(m_addressed.size()));

    const Outcome again = cli({"email-statements", "--date", kDate});
    QVERIFY2(again.exitCode == 0, qPrintable(again.err));
    QVERIFY2(again.out.contains(QStringLiteral("0 sent, 0 not sent")), qPrintable(again.out));
    QCOMPARE(server.messages(m_dir->path()).size(), m_addressed.size());
}

void TestEmailStatements::aRefusedRecipientNamesTheAccountAndMarksNothing()
{
    const QString refused = m_addressed.firstKey();
    MailServer server(m_dir->filePath(QStringLiteral("mail")), {"--refuse", refused});
    QVERIFY(server.port);
    settings(server.port);

    const Outcome partly = cli({"email-statements", "--date", kDate});
    QCOMPARE(partly.exitCode, 1);
    QVERIFY2(partly.err.contains(
                 QStringLiteral("Not sent: the statement of %1").arg(m_addressed.first().name)) &&
                 partly.err.contains(refused) && partly.err.contains(QStringLiteral("550")),
             qPrintable(partly.err));
    QCOMPARE(server.messages(m_dir->path()).size(), m_addressed.size() - 1);
    QCOMPARE(count(QStringLiteral("select count(*) from statement_email s join accounts a on "
                                  "a.account_id = s.account_id where a.invoice_email = '%1'")
                       .arg(refused)),
             0);
}

void TestEmailStatements::aSendBegunByAKilledRunIsNotSentAgain()
{
    const QString begun = m_addressed.firstKey();
    {
        OpenedDatabase opened(m_database);
        QSqlQuery query(opened.db());
        QVERIFY(query.exec(QStringLiteral("insert into statement_email (account_id, "
                                          "statement_date, email_begun_at) select account_id, "
                                          "'2000-01-01', '2026-12-01 10:00:00' from accounts "
                                          "where invoice_email = '%1'")
                               .arg(begun)));
    }
    MailServer server(m_dir->filePath(QStringLiteral("mail")));
    QVERIFY(server.port);
    settings(server.port);
    const Outcome rest = cli({"email-statements", "--date", kDate});
    QVERIFY2(rest.exitCode == 0, qPrintable(rest.err));
    QVERIFY2(
        rest.err.contains(
            QStringLiteral("Not sent again: the statement of %1").arg(m_addressed.first().name)),
        qPrintable(rest.err));
    const QJsonArray messages = server.messages(m_dir->path());
    QCOMPARE(messages.size(), m_addressed.size() - 1);
    for (const QJsonValue& message : messages)
        QVERIFY(!message.toObject().value("to").toString().contains(begun));
}

void TestEmailStatements::theScreenSendsThemWithTheKeyStorePassword()
{
    MailServer server(m_dir->filePath(QStringLiteral("mail")), {"--password", "right"});
    QVERIFY(server.port);
    settings(server.port, {"--user", "office"});

    OpenedDatabase opened(m_database);
    ScriptedDialogs dialogs;
    ScriptedReportEngine engine;
    ScriptedKeyStore keys;
    keys.passwords.insert(QStringLiteral("office@127.0.0.1"), QStringLiteral("right"));
    frmaccounts_print screen(opened.db(), dialogs, engine, keys);
    screen.show();
    auto* start = screen.findChild<QComboBox*>(QStringLiteral("txtstart_account"));
    auto* end = screen.findChild<QComboBox*>(QStringLiteral("txtend_account"));
    start->setCurrentIndex(0);
    end->setCurrentIndex(end->count() - 1);
    screen.findChild<QLineEdit*>(QStringLiteral("txtstart_date"))->setText(kDate);
    auto* email = screen.findChild<QPushButton*>(QStringLiteral("cmdemail"));
    email->click();
    QVERIFY2(screen.statusBar()->currentMessage().startsWith(
                 QStringLiteral("%1 sent, 0 not sent").arg(m_addressed.size())),
             qPrintable(dialogs.texts().join(u'\n')));
    QCOMPARE(server.messages(m_dir->path()).size(), m_addressed.size());
    email->click();
    QCOMPARE(server.messages(m_dir->path()).size(), m_addressed.size());
    QVERIFY(engine.started.isEmpty());
}

QTEST_MAIN(TestEmailStatements)
#include "test_email_statements.moc"
