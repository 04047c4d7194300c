#include "enginedatabase.h"
#include "jobfixture.h"
#include "jobs/costlinestore.h"

#include <QSqlQuery>
#include <QTest>

using velmora::CostLineEntry;
using velmora::CostSaveResult;
using velmora::CostSide;
using velmora::JobKey;
using velmora::Money;
using velmora::test::TestDatabase;

namespace {

CostLineEntry line(const char* type, const char* gross, int percent, bool vat)
{
    return {QString::fromLatin1(type), QString::fromLatin1(type),
            velmora::costFigures(*Money::parse(QString::fromLatin1(gross)), percent, vat), vat};
}

// Every stored line of the job as "type|side|description|gross|discount|value|vat|vat value|net".
QStringList stored(TestDatabase& t)
{
    QSqlQuery query(t.db());
    query.exec(QStringLiteral(
        "select costtype, income_expence, description, gross_cost, discount, discount_value, "
        "vat, vat_value, net_cost from Costs order by rowid"));
    QStringList rows;
    while (query.next()) {
        QStringList row;
        for (int column = 0; column < 9; ++column)
            row.append(column >= 3 && column != 4 && column != 6
                           ? Money::fromVariant(query.value(column)).toPlainString()
                           : query.value(column).toString());
        rows.append(row.join(u'|'));
    }
    return rows;
}

} // namespace

class TestCostLineStore : public QObject
{
    Q_OBJECT

private:
    int m_job = 0;
    velmora::test::PostgresServer m_server;

    JobKey job() const { return {QStringLiteral("A"), m_job}; }
    void addJob(TestDatabase& t, const JobFixture& f)
    {
        m_job =
            t.addJob(QStringLiteral("A"), QDate(2026, 5, 1), "09:00:00", "Mr Cost", "C", f.saloon);
    }

private Q_SLOTS:
    // The line saved again is found and written over, on both engines.
    void savesAndSavingTwiceKeepsOneRowPerType_data()
    {
        velmora::test::EngineDatabase::addEngineRows();
    }
    void savesAndSavingTwiceKeepsOneRowPerType()
    {
        TestDatabase file;
        JobFixture f(file);
        addJob(file, f);
        VELMORA_FIRM_ON_THE_ROWS_ENGINE(t, file, m_server);
        const QList<CostLineEntry> lines = {line("Fare", "100.00", 10, true),
                                            line("Parking", "4.50", 0, false)};
        CostSaveResult result =
            velmora::saveCostLines(t.db(), job(), CostSide::Receipt, lines, 0, QDate(2026, 5, 2));
        QCOMPARE(result.outcome, CostSaveResult::Outcome::Saved);
        const QStringList expected = {
            QStringLiteral("%1|I|Fare|100.00|10|10.00|Y|15.75|105.75").arg(f.fare),
            QStringLiteral("%1|I|Parking|4.50|0|0.00|N|0.00|4.50").arg(f.parking)};
        QCOMPARE(stored(t), expected);
        result =
            velmora::saveCostLines(t.db(), job(), CostSide::Receipt, lines, 0, QDate(2026, 5, 2));
        QCOMPARE(result.outcome, CostSaveResult::Outcome::Saved);
        QCOMPARE(stored(t), expected);
        // The same type on the payment side is a line of its own.
        velmora::saveCostLines(t.db(), job(), CostSide::Payment,
                               {line("Parking", "200.00", 5, true)}, 0, QDate(2026, 5, 2));
        QCOMPARE(stored(t).size(), 3);
        QCOMPARE(stored(t).last(),
                 QStringLiteral("%1|E|Parking|200.00|5|10.00|Y|33.25|223.25").arg(f.parking));
    }

    void aChangedLineReplacesEveryFigure()
    {
        TestDatabase t;
        JobFixture f(t);
        addJob(t, f);
        velmora::saveCostLines(t.db(), job(), CostSide::Payment, {line("Fare", "100.00", 10, true)},
                               0, QDate(2026, 5, 2));
        velmora::saveCostLines(t.db(), job(), CostSide::Payment, {line("Fare", "80.00", 0, false)},
                               0, QDate(2026, 5, 2));
        QCOMPARE(stored(t),
                 QStringList{QStringLiteral("%1|E|Fare|80.00|0|0.00|N|0.00|80.00").arg(f.fare)});
    }

    void anUnknownTypeWritesNothing()
    {
        TestDatabase t;
        JobFixture f(t);
        addJob(t, f);
        const CostSaveResult result =
            velmora::saveCostLines(t.db(), job(), CostSide::Receipt,
                                   {line("Fare", "10", 0, false), line("Tips", "1", 0, false),
                                    line("Parking", "2", 0, false)},
                                   0, QDate(2026, 5, 2));
        QCOMPARE(result.outcome, CostSaveResult::Outcome::UnknownType);
        QCOMPARE(result.line, 1);
        QVERIFY(stored(t).isEmpty());
    }

    void aJobThatDoesNotExistGetsNoLines()
    {
        TestDatabase t;
        JobFixture f(t);
        const CostSaveResult result =
            velmora::saveCostLines(t.db(), {QStringLiteral("A"), 0}, CostSide::Receipt,
                                   {line("Fare", "10", 0, false)}, 0, QDate(2026, 5, 2));
        QCOMPARE(result.outcome, CostSaveResult::Outcome::NoJob);
        QVERIFY(stored(t).isEmpty());
    }

    void aFailingLineUndoesTheOthers()
    {
        TestDatabase t;
        JobFixture f(t);
        addJob(t, f);
        // The database refuses the second row; the first must not stay.
        t.exec(QStringLiteral("create trigger refuse before insert on Costs "
                              "when new.description = 'Parking' begin "
                              "select raise(abort, 'refused'); end"));
        const CostSaveResult result = velmora::saveCostLines(
            t.db(), job(), CostSide::Receipt,
            {line("Fare", "10", 0, false), line("Parking", "2", 0, false)}, 0, QDate(2026, 5, 2));
        QCOMPARE(result.outcome, CostSaveResult::Outcome::Failed);
        QVERIFY(result.error.contains(QLatin1String("refused")));
        QVERIFY(stored(t).isEmpty());
    }

    void creditNotes_data() { velmora::test::EngineDatabase::addEngineRows(); }
    void creditNotes()
    {
        TestDatabase file;
        JobFixture f(file);
        addJob(file, f);
        VELMORA_FIRM_ON_THE_ROWS_ENGINE(t, file, m_server);
        CostLineEntry note = line("Credit Note", "-50.00", 0, true);
        note.description = QStringLiteral("Late pick-up");
        velmora::saveCostLines(t.db(), job(), CostSide::Receipt, {note}, f.acme, QDate(2026, 5, 2));
        const QString notes = QStringLiteral(
            "select job_no || '|' || job_prefix || '|' || coalesce(cast(account_no as text), "
            "'null') || '|' || "
            "refund_reason || '|' || refund_amount_gross || '|' || refund_amount_discount || '|' "
            "|| refund_amount_vat || '|' || refund_amount_net || '|' || refund_date || '|' || "
            "processed from credit_notes order by credit_note_no");
        QCOMPARE(t.value(notes).toString(),
                 QStringLiteral("%1|A|%2|Late pick-up|-500000|0|-87500|-587500|2026-05-02|Y")
                     .arg(m_job)
                     .arg(f.acme));
        // Saved again, the line was stored before: the note is replaced, not added.
        note.description = QStringLiteral("Very late pick-up");
        velmora::saveCostLines(t.db(), job(), CostSide::Receipt, {note}, 0, QDate(2026, 5, 3));
        QCOMPARE(t.value(QStringLiteral("select count(*) from credit_notes")).toInt(), 1);
        QCOMPARE(t.value(notes).toString(),
                 QStringLiteral("%1|A|%2|Very late pick-up|-500000|0|-87500|-587500|2026-05-03|Y")
                     .arg(m_job)
                     .arg(f.acme));
        // A credit note on the payment side is an ordinary line.
        velmora::saveCostLines(t.db(), job(), CostSide::Payment, {note}, 0, QDate(2026, 5, 3));
        QCOMPARE(t.value(QStringLiteral("select count(*) from credit_notes")).toInt(), 1);
    }

    void creditNoteWithoutAccount()
    {
        TestDatabase t;
        JobFixture f(t);
        addJob(t, f);
        velmora::saveCostLines(t.db(), job(), CostSide::Receipt,
                               {line("Credit Note", "-5", 0, false)}, 0, QDate(2026, 5, 2));
        QVERIFY(t.value(QStringLiteral("select account_no from credit_notes")).isNull());
    }

    void loadsLinesOfTheJobAndItsPrefixOnly()
    {
        TestDatabase t;
        JobFixture f(t);
        addJob(t, f);
        // Another job with the same number under another prefix, with lines of its own.
        t.exec(
            QStringLiteral(
                "insert into jobs (job_prefix, job_id, passenger_name) values ('T', ?, 'Other')"),
            {m_job});
        velmora::saveCostLines(t.db(), {QStringLiteral("T"), m_job}, CostSide::Receipt,
                               {line("Parking", "9", 0, false)}, 0, QDate(2026, 5, 2));
        velmora::saveCostLines(t.db(), job(), CostSide::Receipt,
                               {line("Parking", "3", 0, false), line("Fare", "100", 10, true)}, 0,
                               QDate(2026, 5, 2));
        QString error;
        const auto lines = velmora::loadCostLines(t.db(), job(), CostSide::Receipt, &error);
        QVERIFY2(lines, qPrintable(error));
        QCOMPARE(lines->size(), 2);
        QCOMPARE(lines->at(0).type, QStringLiteral("Parking"));
        QCOMPARE(lines->at(0).gross.toString(), QStringLiteral("3.00"));
        QCOMPARE(lines->at(1).type, QStringLiteral("Fare"));
        QCOMPARE(lines->at(1).discountPercent, 10);
        QCOMPARE(lines->at(1).discount.toString(), QStringLiteral("10.00"));
        QCOMPARE(lines->at(1).vatValue.toString(), QStringLiteral("15.75"));
        QCOMPARE(lines->at(1).net.toString(), QStringLiteral("105.75"));
        QCOMPARE(*lines->at(1).vat, QStringLiteral("Y"));
        QVERIFY(velmora::loadCostLines(t.db(), job(), CostSide::Payment, &error)->isEmpty());
    }

    void deletes()
    {
        TestDatabase t;
        JobFixture f(t);
        addJob(t, f);
        velmora::saveCostLines(t.db(), job(), CostSide::Receipt,
                               {line("Parking", "3", 0, false), line("Fare", "10", 0, false)}, 0,
                               QDate(2026, 5, 2));
        QString error;
        using velmora::CostDeleteOutcome;
        QCOMPARE(velmora::deleteCostLine(t.db(), job(), CostSide::Payment, "Fare", &error),
                 CostDeleteOutcome::NotFound);
        QCOMPARE(velmora::deleteCostLine(t.db(), job(), CostSide::Receipt, "Tips", &error),
                 CostDeleteOutcome::UnknownType);
        QCOMPARE(velmora::deleteCostLine(t.db(), job(), CostSide::Receipt, "Fare", &error),
                 CostDeleteOutcome::Deleted);
        QCOMPARE(stored(t).size(), 1);
        QCOMPARE(velmora::deleteCostLine(t.db(), job(), CostSide::Receipt, "Fare", &error),
                 CostDeleteOutcome::NotFound);
    }
};

QTEST_MAIN(TestCostLineStore)
#include "test_costlinestore.moc"
