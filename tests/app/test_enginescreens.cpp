// What the screens read and write through their own plain code (the board, the job search
// and lists, the ledger, the work lists, the imports and the removal of old invoices) is the
// same, in the same order, on a server as on an SQLite file of the same firm.
#include "app/board.h"
#include "data/dates.h"
#include "exchange/invoiceremoval.h"
#include "exchange/transfer.h"
#include "firm/demofirm.h"
#include "invoicing/invoicerun.h"
#include "invoicing/ledger.h"
#include "invoicing/worklists.h"
#include "jobs/foundrows.h"
#include "jobs/joblists.h"
#include "jobs/jobsearch.h"
#include "postgresserver.h"
#include "testdatabase.h"
#include "transferfiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace velmora;
using velmora::test::TestDatabase;

namespace {

const QDate kToday = QDate::currentDate();

void sortedInto(QStringList rows, QStringList* all)
{
    rows.sort();
    *all << rows;
}

QStringList boardRows(const QSqlDatabase& db)
{
    std::vector<BoardRow> board;
    QString error;
    if (!readBoard(db, &board, &error))
        return {QStringLiteral("board failed: ") + error};
    QStringList rows;
    for (const BoardRow& r : board)
        rows << QStringList{r.prefix,
                            QString::number(r.jobId),
                            r.date.toString(Qt::ISODate),
                            r.status,
                            r.time,
                            r.passenger,
                            r.from,
                            r.to,
                            r.vehicle,
                            r.driver,
                            QString::number(r.unfitDriver)}
                    .join(u'|');
    return rows;
}

QStringList searched(const QSqlDatabase& db, const SearchCriteria& criteria)
{
    const auto statement = searchStatement(criteria, engineOf(db));
    JobFinder finder(db);
    FoundRows found;
    QString error;
    if (!statement || !finder.start(*statement, &error))
        return {QStringLiteral("search failed: ") + error};
    while (!finder.atEnd()) {
        if (!finder.read(100, &found, &error))
            return {QStringLiteral("search failed: ") + error};
    }
    QStringList rows;
    using Text = FoundRows::Text;
    for (qsizetype row = 0; row < found.size(); ++row) {
        QStringList cells{QString::number(found.number(row)),
                          found.date(row).toString(Qt::ISODate)};
        for (const Text which : {Text::Prefix, Text::Time, Text::Passenger, Text::VehicleType,
                                 Text::Pickup, Text::Drop})
            cells << found.text(row, which);
        rows << cells.join(u'|');
    }
    rows.sort();
    return rows;
}

QStringList ledgers(const QSqlDatabase& db)
{
    QString error;
    const auto names = ledgerAccountNames(db, &error);
    if (!names)
        return {QStringLiteral("ledger failed: ") + error};
    QStringList rows = *names;
    for (const QString& name : *names) {
        const auto account = findLedgerAccount(db, name, &error);
        if (!account)
            return {QStringLiteral("ledger failed: ") + error};
        rows << QStringLiteral("%1|%2").arg(account->id).arg(account->balance.toString());
        LedgerHistory history(db, account->id);
        QList<QStringList> lines;
        if (!history.start(&error))
            return {QStringLiteral("ledger failed: ") + error};
        while (!history.atEnd()) {
            if (!history.read(50, &lines, &error))
                return {QStringLiteral("ledger failed: ") + error};
        }
        for (const QStringList& line : lines)
            rows << line.join(u'|');
    }
    return rows;
}

// A work list's rows in the order it gives them.
QStringList worklist(const QSqlDatabase& db,
                     std::unique_ptr<RowSource> (*open)(const QSqlDatabase&, QString*))
{
    QString error;
    const std::unique_ptr<RowSource> source = open(db, &error);
    QList<QStringList> rows;
    while (source && !source->atEnd()) {
        if (!source->read(100, &rows, &error))
            break;
    }
    if (!source || !error.isEmpty())
        return {QStringLiteral("work list failed: ") + error};
    QStringList lines;
    for (const QStringList& row : rows)
        lines << row.join(u'|');
    return lines;
}

template <typename Entry, typename Text>
QStringList listed(const std::optional<QList<Entry>>& entries, Text text)
{
    if (!entries)
        return {QStringLiteral("list failed")};
    QStringList rows;
    for (const Entry& entry : *entries)
        rows << text(entry);
    return rows;
}

// Everything the screens' code reads of the firm after it imports the transfer files in
// `folder` and removes the invoices before the last one.
QStringList whatTheScreensSee(TestDatabase& t, const QString& folder)
{
    QSqlDatabase& db = t.db();
    QStringList all;
    const QString jobs = folder + QStringLiteral("/Jobs.txt");
    const QString costs = folder + QStringLiteral("/Costs.txt");
    for (const auto& outcome :
         {exchange::import_job_transfer(db, jobs), exchange::import_cost_transfer(db, costs)})
        all << QString::number(outcome.completed) << outcome.message << outcome.rejections;
    // Rows written again: a server keeps their new versions after the others, where a file
    // keeps them in rowid order, so that a list ordered on ties would come out otherwise.
    // A passenger renamed, which the searches below find under the new name only.
    for (const char* rewrite : {"update jobs set time = time where rowid % 2 = 0",
                                "update jobs set passenger_name = 'Mr Quentin Blake' "
                                "where rowid = (select max(rowid) from jobs)",
                                "update invoice_line set details = details where seq % 2 = 0",
                                "update receipts set date_received = date_received "
                                "where rowid % 2 = 0"})
        t.exec(QString::fromLatin1(rewrite));
    sortedInto(boardRows(db), &all);
    const QString someone = t.value(QStringLiteral("select min(account_name) from accounts "
                                                   "where account_id in (select account_no "
                                                   "from jobs)"))
                                .toString();
    const SearchCriteria searches[] = {
        {QStringLiteral("*smith*"), {}, {}, {}, {}, {}},
        {QStringLiteral("mrs zoë smith"), {}, {}, {}, {}, {}},
        {QStringLiteral("MR QUENTIN BLAKE"), {}, {}, {}, {}, {}},
        {QStringLiteral("*uentin*"), {}, {}, {}, {}, {}},
        {QStringLiteral("*oë*"), {}, {}, {}, {}, {}},
        {{}, kToday.toString(QStringLiteral("dd/MM/yyyy")), {}, {}, {}, {}},
        {{}, {}, QStringLiteral("raj mistry"), {}, {}, {}},
        {{}, {}, {}, someone, {}, {}},
        {{}, {}, {}, {}, QStringLiteral("*arbou*"), QStringLiteral("H*")},
        {QStringLiteral("*%*"), {}, {}, {}, {}, {}},
        {QStringLiteral("MRS Z*"), {}, {}, {}, {}, {}},
        {QStringLiteral("m%s_*"), {}, {}, {}, {}, {}},
        {QStringLiteral("*'; delete from jobs; --*"), {}, {}, {}, {}, {}},
    };
    for (const SearchCriteria& criteria : searches)
        all << QStringLiteral("search") << searched(db, criteria);
    QString error;
    all << listed(readDrivers(db, &error), [](const JobDriver& d) {
        return QStringLiteral("%1|%2|%3").arg(d.id).arg(d.name).arg(d.barred);
    });
    all << listed(readAccounts(db, &error), [](const JobAccount& a) { return a.chooserText(); });
    for (const auto& entries :
         {readPaymentTypes(db, &error), readVehicleTypes(db, &error), readCostTypes(db, &error)})
        all << listed(entries, [](const JobListEntry& e) {
            return QStringLiteral("%1|%2").arg(e.id).arg(e.name);
        });
    all << ledgers(db) << worklist(db, jobsNotInvoiced) << worklist(db, jobsWithoutCosts);
    const qint64 last = t.count(QStringLiteral("select max(invoice_no) from invoice_header"));
    const auto removed = exchange::removeOldInvoices(db, last, &error);
    if (!removed)
        return all << QStringLiteral("removal failed: ") + error;
    all << QStringLiteral("removed %1 %2 %3 %4")
               .arg(removed->jobs)
               .arg(removed->costs)
               .arg(removed->headers)
               .arg(removed->lines);
    sortedInto(boardRows(db), &all);
    all << ledgers(db);
    return all;
}

} // namespace

class TestEngineScreens : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theScreensSeeTheSameOnAServer()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        TestDatabase file;
        QString error;
        QVERIFY2(firm::addDemoFirm(file.db(), kToday, &error), qPrintable(error));
        InvoiceRunRange everyAccount;
        everyAccount.startAccount = 1;
        everyAccount.endAccount = 1000000;
        InvoiceRunResult result;
        QVERIFY2(runInvoices(file.db(), everyAccount, &result, &error), qPrintable(error));
        // The busiest account: several invoices, each with lines and payments, so that its
        // history reads an invoice's lines and payments between its invoices.
        const qint64 busiest = file.count(QStringLiteral("select min(account_id) from accounts"));
        for (qint64 n = 1; n <= 4; ++n) {
            const qint64 invoice = 90000 + n;
            file.exec(
                QStringLiteral("insert into invoice_header (invoice_no, date, account_no, "
                               "gross_value, vat_value, net_value) values (?, ?, ?, ?, ?, ?)"),
                {invoice, QStringLiteral("2026-0%1-01").arg(n), busiest, n * 10000, 2000,
                 n * 10000 + 2000});
            for (qint64 job = 1; job <= n; ++job)
                file.exec(
                    QStringLiteral("insert into invoice_line (invoice_no, job_id) values (?, ?)"),
                    {invoice, job});
            file.exec(QStringLiteral("insert into receipts (account_no, invoice_number, "
                                     "amount_received, date_received) values (?, ?, ?, ?)"),
                      {busiest, invoice, 5000, QStringLiteral("2026-0%1-15").arg(n)});
        }
        // Ties in the work lists: the account's jobs all wait to be invoiced, without costs,
        // on one day at one time.
        file.exec(QStringLiteral("update jobs set invoiced = 'N', time = '09:00', date = "
                                 "(select min(date) from jobs) where account_no = ?"),
                  {busiest});
        file.exec(QStringLiteral("delete from Costs where jobnumber in "
                                 "(select job_id from jobs where account_no = ?)"),
                  {busiest});
        // A job whose only cost line holds its prefix in lower case has costs all the same.
        const qint64 lastLine = file.count(QStringLiteral("select max(rowid) from Costs"));
        file.exec(QStringLiteral("delete from Costs where rowid <> ? and jobnumber = (select "
                                 "jobnumber from Costs where rowid = ?)"),
                  {lastLine, lastLine});
        file.exec(QStringLiteral("update Costs set job_prefix = lower(job_prefix) where rowid = ?"),
                  {lastLine});
        // Accounts the lists order by name: one without a name or address (first in the job
        // screen's list on both engines), and one whose name is in lower case.
        file.exec(QStringLiteral("insert into accounts (account_name) values (null)"));
        file.exec(QStringLiteral("insert into accounts (address_id, account_name) values "
                                 "((select min(address_id) from addresses), 'aardvark cabs')"));
        const DatabaseLocation location = m_server.createDatabase(QStringLiteral("screens"));
        QVERIFY2(location.isServer(), qPrintable(m_server.problem()));
        TestDatabase server(QStringLiteral("postgresql://%1@%2:%3/%4")
                                .arg(location.user, location.host)
                                .arg(location.port)
                                .arg(location.name),
                            file.db());
        QTemporaryDir folder;
        QVERIFY(velmora::test::writeTransferFiles(
            folder.path(), kToday, QStringLiteral("Mrs Zoë Smith"), QStringLiteral("P")));
        const QStringList onFile = whatTheScreensSee(file, folder.path());
        QVERIFY(onFile.size() > 100);
        QVERIFY(onFile.join(u'\n').contains(QLatin1String("Payment for jobs 1, 2, 3, 4")));
        QVERIFY(!onFile.join(u'\n').contains(QLatin1String("failed")));
        QCOMPARE(whatTheScreensSee(server, folder.path()), onFile);
    }

private:
    test::PostgresServer m_server;
};

QTEST_MAIN(TestEngineScreens)
#include "test_enginescreens.moc"
