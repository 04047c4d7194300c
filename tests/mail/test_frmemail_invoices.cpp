// The "E-mail Invoices" screen against a mail server on the loopback address: it lists the
// run's invoices with those to print, sends them with the password of the key store, and
// a second send sends nothing again.
#include "cliprocess.h"
#include "invoicing/frmemail_invoices.h"
#include "mail/keystore.h"
#include "mailserver.h"
#include "platform/lazyrows.h"
#include "platform/scripteddialogs.h"

#include <QPushButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace velmora;
using velmora::test::MailServer;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;
using velmora::test::runProgram;

class TestFrmEmailInvoices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendsTheRunOnceAndListsThoseToPrint()
    {
        // The invoices are rendered with the report definitions beside the programs.
        qputenv("VELMORA_REPORTS_DIR", VELMORA_REPORTS);
        QTemporaryDir dir;
        const QString database = dir.filePath(QStringLiteral("taxi.mdb"));
        const auto cli = [&database](const QStringList& arguments, const QByteArray& input) {
            return runProgram(QStringLiteral(VELMORA_CLI),
                              arguments + QStringList{QStringLiteral("--database"), database},
                              input);
        };
        QCOMPARE(cli({"init", "--operator", "boss", "--demo"}, "secret\n").exitCode, 0);
        QCOMPARE(cli({"invoice"}, {}).exitCode, 0);
        MailServer server(dir.filePath(QStringLiteral("mail")), {"--password", "right"});
        QVERIFY(server.port);
        QCOMPARE(
            cli({"mail-settings", "--host", "127.0.0.1", "--port", QString::number(server.port),
                 "--security", "none", "--user", "office", "--from-address", "office@demo.example"},
                {})
                .exitCode,
            0);

        OpenedDatabase opened(database);
        QSqlQuery query(opened.db());
        QVERIFY(
            query.exec(QStringLiteral("update accounts set invoice_email = 'account' || "
                                      "account_id || '@example.com' where account_id % 2 = 0")));
        const qlonglong addressed =
            opened
                .value(QStringLiteral("select count(*) from invoice_header h join accounts "
                                      "a on a.account_id = h.account_no where h.printed = "
                                      "'N' and a.invoice_email is not null"))
                .toLongLong();
        const QString unaddressed =
            opened
                .value(QStringLiteral("select min(h.invoice_no) from invoice_header h join "
                                      "accounts a on a.account_id = h.account_no where "
                                      "h.printed = 'N' and a.invoice_email is null"))
                .toString();
        QVERIFY(addressed >= 2 && !unaddressed.isEmpty());

        ScriptedDialogs dialogs;
        ScriptedKeyStore keys;
        keys.passwords.insert(QStringLiteral("office@127.0.0.1"), QStringLiteral("right"));
        frmemail_invoices screen(opened.db(), dialogs, keys);
        screen.show();
        const auto* model =
            static_cast<LazyTableModel*>(screen.findChild<QTreeView*>("ListView1")->model());
        bool toPrint = false;
        for (int row = 0; row < model->rowCount(); ++row)
            toPrint |= model->text(row, 0) == unaddressed &&
                       model->text(row, 3).contains(QStringLiteral("print"));
        QVERIFY(toPrint);

        auto* send = screen.findChild<QPushButton*>("cmdsend");
        send->click();
        QVERIFY2(screen.statusBar()->currentMessage().startsWith(
                     QStringLiteral("%1 sent, 0 not sent").arg(addressed)),
                 qPrintable(dialogs.lists.value(0).join(u'\n')));
        QCOMPARE(server.messages(dir.path()).size(), addressed);
        QVERIFY(keys.reads > 0);
        send->click();
        QCOMPARE(server.messages(dir.path()).size(), addressed);
        QVERIFY2(dialogs.texts().last().startsWith(QStringLiteral("0 sent, 0 not sent")),
                 qPrintable(dialogs.texts().join(u'\n')));
    }
};

QTEST_MAIN(TestFrmEmailInvoices)
#include "test_frmemail_invoices.moc"
