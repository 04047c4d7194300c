// The account ledger: its history grid, recording a payment and asking for a reprint.

#include "invoicerows.h"
#include "invoicing/frmaccount_ledger.h"
#include "invoicing/ledger.h"
#include "screenhelpers.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTableView>

#include <memory>

using namespace velmora;
using namespace velmora::test;

namespace {

// A test database with account "Ashdown" (balance -250.00, invoice 7 of 100.00 for jobs
// 12 and 13) and the ledger screen, opened once the rows are in.
struct Ledger
{
    Ledger()
    {
        account = addAccount(t, QStringLiteral("Ashdown"), -25000);
        addInvoice(t, 7, account, QStringLiteral("2026-11-30 18:05:00"), 8000, 2000, 10000,
                   {12, 13});
    }

    void open()
    {
        window = std::make_unique<frmaccount_ledger>(t.db(), dialogs);
        window->show();
        list = child<QComboBox>(*window, QStringLiteral("txtacc_name"));
        history = child<QTableView>(*window, QStringLiteral("jobsgrid"));
    }
    QString field(const char* name) const
    {
        return child<QLineEdit>(*window, QLatin1String(name))->text();
    }
    void type(const char* name, const QString& text)
    {
        child<QLineEdit>(*window, QLatin1String(name))->setText(text);
    }
    // Columns 1 to 8 of every grid row, joined by "|".
    QStringList grid() const
    {
        QStringList rows;
        const QAbstractItemModel* model = history->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 1; column <= 8; ++column)
                cells << model->index(row, column).data().toString();
            rows << cells.join(u'|');
        }
        return rows;
    }
    // Makes `row` current and triggers the pop-up entry `name`; the boxes it showed.
    QStringList popUp(int row, const QString& name)
    {
        history->setCurrentIndex(history->model()->index(row, 1));
        return shownBy(dialogs, child<QAction>(*window, name));
    }
    QStringList save()
    {
        dialogs.clear();
        child<QPushButton>(*window, QStringLiteral("Command5"))->click();
        return dialogs.texts();
    }
    // The receipts rows, then the invoice's amount_paid and the account's balance, in pounds.
    QStringList tables()
    {
        return t.rows(QStringLiteral("select account_no, invoice_number, invoice_net_cost / 10000, "
                                     "date_raised, amount_received / 10000, date_received "
                                     "from receipts order by rowid")) +
               QStringList{t.value(QStringLiteral("select amount_paid / 10000 from invoice_header"))
                               .toString(),
                           t.value(QStringLiteral("select account_balance / 10000 from accounts "
                                                  "where account_id = ?"),
                                   {account})
                               .toString()};
    }

    TestDatabase t;
    ScriptedDialogs dialogs;
    qint64 account = 0;
    std::unique_ptr<frmaccount_ledger> window;
    QComboBox* list = nullptr;
    QTableView* history = nullptr;
};

const QString kInvoiceRow =
    QStringLiteral("30/11/2026 18:05:00|7|Payment for jobs 12, 13|80.00|20.00|100.00|");
const QString kEmptyRow = QStringLiteral("|||||||");

} // namespace

class TestLedger : public QObject
{
    Q_OBJECT

private slots:
    void gridShowsInvoicesAndPayments_data()
    {
        QTest::addColumn<QList<qint64>>("receipts");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("no payment")
            << QList<qint64>{} << QStringList{kInvoiceRow + "|100.00", kEmptyRow};
        QTest::newRow("40 and 60 of 100")
            << QList<qint64>{4000, 6000}
            << QStringList{kInvoiceRow + "|", "01/12/2026||Payment Received||||40.00|",
                           "01/12/2026||Payment Received||||60.00|0.00", kEmptyRow};
        QTest::newRow("single receipt of 0")
            << QList<qint64>{0}
            << QStringList{kInvoiceRow + "|", "01/12/2026||Payment Received||||0.00|", kEmptyRow};
        QTest::newRow("part paid 40.50")
            << QList<qint64>{4050}
            << QStringList{kInvoiceRow + "|", "01/12/2026||Payment Received||||40.50|59.50",
                           kEmptyRow};
    }

    void gridShowsInvoicesAndPayments()
    {
        QFETCH(QList<qint64>, receipts);
        QFETCH(QStringList, rows);
        Ledger l;
        addAccount(l.t, QStringLiteral("Idle Ltd"));
        for (const qint64 pence : receipts)
            addReceipt(l.t, l.account, 7, pence, QStringLiteral("2026-12-01"));
        l.open();
        QVERIFY(pick(l.list, QStringLiteral("Idle Ltd")));
        QCOMPARE(l.history->model()->rowCount(), 0);
        QCOMPARE(l.history->model()->headerData(8, Qt::Horizontal).toString(),
                 QStringLiteral("Invoice Balance"));
        QVERIFY(pick(l.list, QStringLiteral("Ashdown")));
        QCOMPARE(l.grid(), rows);
    }

    void accountListAndLookUps()
    {
        Ledger l;
        addAccount(l.t, QStringLiteral("O'Brien's Cars"), 1234);
        addAccount(l.t, QStringLiteral("No Address Ltd"), 0, false);
        l.open();
        QCOMPARE(items(l.list), (QStringList{"Ashdown", "O'Brien's Cars"}));
        QCOMPARE(l.field("txtfrm_load"), QStringLiteral("Y"));
        QVERIFY(pick(l.list, QStringLiteral("O'Brien's Cars")));
        QCOMPARE(l.field("txtbalance"), QStringLiteral("12.34"));
        QCOMPARE(l.field("txtaddr1") + "|" + l.field("txttown") + "|" + l.field("txtpcode2"),
                 QStringLiteral("1 Mill Lane|Leeds|4AB"));
        QCOMPARE(l.field("txtaccount"), QString::number(l.account + 1));

        TestDatabase empty;
        frmaccount_ledger none(empty.db(), l.dialogs);
        none.show();
        QCOMPARE(child<QLineEdit>(none, QStringLiteral("txtfrm_load"))->text(),
                 QStringLiteral("N"));
    }

    void recordingAPayment()
    {
        Ledger l;
        addReceipt(l.t, l.account, 7, 1000, QStringLiteral("2026-12-01"));
        l.open();
        QVERIFY(pick(l.list, QStringLiteral("Ashdown")));
        QCOMPARE(l.popUp(0, QStringLiteral("mnuman")), QStringList());
        QVERIFY(child<QGroupBox>(*l.window, QStringLiteral("Frame3"))->isVisibleTo(l.window.get()));
        QCOMPARE(l.field("txtinvno") + "|" + l.field("txtinvvalue") + "|" + l.field("txtibalance"),
                 QStringLiteral("7|100.00|90.00"));
        // An emptied date becomes today's.
        l.type("txtdaterec", {});
        QCOMPARE(l.field("txtdaterec"),
                 QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));

        const QStringList before = l.tables();
        l.type("txtamrec", {});
        QCOMPARE(l.save(), QStringList{"please input an amount before trying to save"});
        l.type("txtamrec", QStringLiteral("forty"));
        QCOMPARE(l.save(),
                 QStringList{"The amount received must be an amount of money, such as 125.50"});
        l.type("txtamrec", QStringLiteral("40"));
        l.type("txtdaterec", QStringLiteral("31/02/2026"));
        QVERIFY(l.save().value(0).startsWith("The date payment received must be a date"));
        QCOMPARE(l.tables(), before);

        l.type("txtdaterec", QStringLiteral("02/12/2026 09:30"));
        // More than is outstanding asks first, with No the default.
        l.type("txtamrec", QStringLiteral("95"));
        l.dialogs.answers.enqueue(Dialogs::Answer::No);
        QCOMPARE(l.save(), QStringList{"95.00 is more than the 90.00 outstanding on invoice 7. "
                                       "Record the payment all the same?"});
        QCOMPARE(l.dialogs.questionButtons, QList{Dialogs::Buttons::YesNoDefaultNo});
        QCOMPARE(l.tables(), before);
        l.type("txtamrec", QStringLiteral("40"));
        QCOMPARE(l.save(), QStringList());
        QCOMPARE(l.tables(), (QStringList{QString::number(l.account) + "|7|0||10|2026-12-01",
                                          QString::number(l.account) +
                                              "|7|100|2026-11-30 18:05:00|40|2026-12-02 09:30:00",
                                          "40", "-210"}));
        QVERIFY(
            !child<QGroupBox>(*l.window, QStringLiteral("Frame3"))->isVisibleTo(l.window.get()));
        QCOMPARE(l.field("txtbalance"), QStringLiteral("-210.00"));
        QCOMPARE(l.grid().value(2),
                 QStringLiteral("02/12/2026 09:30:00||Payment Received||||40.00|50.00"));
    }

    void aFailedSaveWritesNothing()
    {
        Ledger l;
        // The balance cannot be written: the whole payment must stay unwritten.
        l.t.exec(QStringLiteral("create trigger refuse before update on accounts "
                                "begin select raise(abort, 'balance locked'); end"));
        l.open();
        QVERIFY(pick(l.list, QStringLiteral("Ashdown")));
        l.popUp(0, QStringLiteral("mnuman"));
        l.type("txtamrec", QStringLiteral("25.00"));
        const QStringList shown = l.save();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().contains(QStringLiteral("balance locked")));
        QCOMPARE(l.tables(), (QStringList{"0", "-250"}));

        // A missing account row skips only the balance.
        l.t.exec(QStringLiteral("drop trigger refuse"));
        l.t.exec(QStringLiteral("update invoice_header set account_no = 99"));
        l.t.exec(QStringLiteral("delete from accounts where account_id = ?"), {l.account});
        l.popUp(0, QStringLiteral("mnuman"));
        l.type("txtamrec", QStringLiteral("25"));
        QCOMPARE(l.save().value(0),
                 QStringLiteral("Master account record not found, receipt "
                                "recorded but account balance may now be wrong"));
        QCOMPARE(l.t.count(QStringLiteral("select amount_paid from invoice_header")), 250000);
    }

    void popUpRefusalsAndReprint()
    {
        Ledger l;
        addReceipt(l.t, l.account, 7, 1000, QStringLiteral("2026-12-01"));
        l.t.exec(QStringLiteral("update invoice_line set invoice_printed = 'C'"));
        l.open();
        QVERIFY(pick(l.list, QStringLiteral("Ashdown")));
        QCOMPARE(l.popUp(1, QStringLiteral("mnuman")),
                 QStringList{"Please ensure you are on a line with an invoice number showning"});
        QCOMPARE(l.popUp(2, QStringLiteral("mnurep")),
                 QStringList{"Please select a line where an invoice number is present"});

        l.dialogs.answers.enqueue(Dialogs::Answer::No);
        QCOMPARE(l.popUp(0, QStringLiteral("mnurep")),
                 QStringList{"Do you wish to re-print invoice 7"});
        QCOMPARE(l.t.value(QStringLiteral("select printed from invoice_header")).toString(),
                 QStringLiteral("C"));
        l.dialogs.answers.enqueue(Dialogs::Answer::Yes);
        QCOMPARE(l.popUp(0, QStringLiteral("mnurep")),
                 (QStringList{"Do you wish to re-print invoice 7",
                              "Invoice will be printed next time invoice run performed"}));
        QCOMPARE(l.dialogs.shown.first().title, QStringLiteral("Reprint Invoice"));
        QCOMPARE(l.t.value(QStringLiteral("select printed from invoice_header")).toString(),
                 QStringLiteral("N"));
        QCOMPARE(l.t.value(QStringLiteral("select invoice_printed from invoice_line")).toString(),
                 QStringLiteral("C"));
    }

    void amountsAndDatesAsShownAndTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("date") << "6/12/2026"
                              << "2026-12-06";
        QTest::newRow("date and time") << "06/12/2026 14:05:09"
                                       << "2026-12-06 14:05:09";
        QTest::newRow("no seconds") << "06/12/2026 14:05"
                                    << "2026-12-06 14:05:00";
        QTest::newRow("not a day") << "30/02/2026"
                                   << "";
        QTest::newRow("not a time") << "06/12/2026 25:00"
                                    << "";
        QTest::newRow("words") << "yesterday"
                               << "";
    }

    void amountsAndDatesAsShownAndTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(parseDateTime(typed).value_or(QString()), stored);
        QCOMPARE(generalDate(QStringLiteral("2026-12-06 00:00:00")), QStringLiteral("06/12/2026"));
    }
};

QTEST_MAIN(TestLedger)
#include "test_ledger.moc"
