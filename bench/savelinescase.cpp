#include "baseline.h"
#include "cases.h"
#include "data/audit.h"
#include "data/dates.h"
#include "jobs/costlinestore.h"
#include "jobs/joblists.h"

#include <QObject>
#include <QSqlQuery>

#include <algorithm>
#include <memory>
#include <utility>

namespace velmora::bench {

namespace {

// The statements of saveCostLines, in the order it runs them.
constexpr const char* kJobExists = "select 1 from jobs where job_prefix = ? and job_id = ?";
constexpr const char* kTypeNumber = "select receipttypeid from receipt_types where paymenttype = ? "
                                    "order by rowid limit 1";
constexpr const char* kStoredLine =
    "select rowid from Costs where job_prefix = ? and jobnumber = ? "
    "and costtype = ? and income_expence = ? order by rowid limit 1";
constexpr const char* kUpdateLine = "update Costs set vat = ?, job_prefix = ?, jobnumber = ?, "
                                    "costtype = ?, description = ?, vat_value = ?, discount = ?, "
                                    "discount_value = ?, gross_cost = ?, net_cost = ? "
                                    "where rowid = ?";
constexpr const char* kInsertLine = "insert into Costs (vat, job_prefix, jobnumber, costtype, "
                                    "description, vat_value, discount, discount_value, gross_cost, "
                                    "net_cost, income_expence) values (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                    "?, ?)";
constexpr const char* kFirstNote = "select credit_note_no from credit_notes where job_no = ? "
                                   "and job_prefix = ? order by credit_note_no limit 1";
constexpr const char* kUpdateNote =
    "update credit_notes set job_no = ?, job_prefix = ?, "
    "refund_reason = ?, refund_amount_discount = ?, "
    "refund_amount_gross = ?, refund_amount_net = ?, refund_date = ?, "
    "refund_amount_vat = ?, account_no = coalesce(?, account_no), "
    "processed = 'Y' where credit_note_no = ?";
constexpr const char* kInsertNote = "insert into credit_notes (job_no, job_prefix, refund_reason, "
                                    "refund_amount_discount, refund_amount_gross, "
                                    "refund_amount_net, refund_date, refund_amount_vat, "
                                    "account_no, processed) "
                                    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, 'Y')";

constexpr int kLines = 7;

// What is saved each run: the job, its account, the day and the lines.
struct Saving
{
    JobKey key;
    qint64 account = 0;
    QDate today;
    QString storedToday;
    QList<CostLineEntry> lines;
};

// Two sets of lines saved in turn, by our code and the baseline alike, so that every save
// changes every line and the trail records each change as it would at the desk.
struct Alternating
{
    Saving saving[2];
    int next = 0;
    const Saving& take() { return saving[std::exchange(next, 1 - next)]; }
};

struct Statements
{
    Statement jobExists, typeNumber, storedLine, updateLine, insertLine;
    Statement firstNote, updateNote, insertNote, begin, commit;
};

// Steps a statement that returns at most one number; 0 when it returns none.
bool number(sqlite3_stmt* statement, qint64* value, QString* error)
{
    const int result = sqlite3_step(statement);
    *value = result == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

void bindMoney(sqlite3_stmt* statement, int index, Money amount)
{
    sqlite3_bind_int64(statement, index, amount.stored());
}

bool writeLine(const Statements& s, const Saving& saving, const CostLineEntry& line, qint64 type,
               qint64 row, QString* error)
{
    static const QString yes = QStringLiteral("Y");
    static const QString no = QStringLiteral("N");
    static const QString receipt = QStringLiteral("I");
    sqlite3_stmt* statement = row > 0 ? s.updateLine.get() : s.insertLine.get();
    const CostFigures& f = line.figures;
    bind(statement, 1, line.vat ? yes : no);
    bind(statement, 2, saving.key.prefix);
    sqlite3_bind_int64(statement, 3, saving.key.number);
    sqlite3_bind_int64(statement, 4, type);
    bind(statement, 5, line.description);
    bindMoney(statement, 6, f.vat);
    sqlite3_bind_int(statement, 7, f.discountPercent);
    bindMoney(statement, 8, f.discount);
    bindMoney(statement, 9, f.gross);
    bindMoney(statement, 10, f.net);
    if (row > 0)
        sqlite3_bind_int64(statement, 11, row);
    else
        bind(statement, 11, receipt);
    return execute(statement, error);
}

bool writeCreditNote(const Statements& s, const Saving& saving, const CostLineEntry& line,
                     bool replace, QString* error)
{
    qint64 note = 0;
    if (replace) {
        sqlite3_bind_int64(s.firstNote.get(), 1, saving.key.number);
        bind(s.firstNote.get(), 2, saving.key.prefix);
        if (!number(s.firstNote.get(), &note, error))
            return false;
    }
    sqlite3_stmt* statement = note > 0 ? s.updateNote.get() : s.insertNote.get();
    const CostFigures& f = line.figures;
    sqlite3_bind_int64(statement, 1, saving.key.number);
    bind(statement, 2, saving.key.prefix);
    bind(statement, 3, line.description);
    bindMoney(statement, 4, f.discount);
    bindMoney(statement, 5, f.gross);
    bindMoney(statement, 6, f.net);
    bind(statement, 7, saving.storedToday);
    bindMoney(statement, 8, f.vat);
    if (saving.account > 0)
        sqlite3_bind_int64(statement, 9, saving.account);
    else
        sqlite3_bind_null(statement, 9);
    if (note > 0)
        sqlite3_bind_int64(statement, 10, note);
    return execute(statement, error);
}

// The lines written inside the transaction begun.
bool writeLines(const Statements& s, const Saving& saving, const QList<qint64>& types,
                QString* error)
{
    static const QString receipt = QStringLiteral("I");
    for (qsizetype i = 0; i < saving.lines.size(); ++i) {
        qint64 row = 0;
        bind(s.storedLine.get(), 1, saving.key.prefix);
        sqlite3_bind_int64(s.storedLine.get(), 2, saving.key.number);
        sqlite3_bind_int64(s.storedLine.get(), 3, types.at(i));
        bind(s.storedLine.get(), 4, receipt);
        const CostLineEntry& line = saving.lines.at(i);
        if (!number(s.storedLine.get(), &row, error) ||
            !writeLine(s, saving, line, types.at(i), row, error))
            return false;
        if (line.type.compare(creditNoteType(), Qt::CaseInsensitive) == 0 &&
            !writeCreditNote(s, saving, line, row > 0, error))
            return false;
    }
    return execute(s.commit.get(), error);
}

// The baseline: the same statements, prepared once, with the same values.
bool saveDirectly(const Statements& s, const Saving& saving, QString* error)
{
    qint64 exists = 0;
    bind(s.jobExists.get(), 1, saving.key.prefix);
    sqlite3_bind_int64(s.jobExists.get(), 2, saving.key.number);
    if (!number(s.jobExists.get(), &exists, error))
        return false;
    QList<qint64> types;
    for (const CostLineEntry& line : saving.lines) {
        qint64 type = 0;
        bind(s.typeNumber.get(), 1, line.type);
        if (!number(s.typeNumber.get(), &type, error))
            return false;
        types.append(type);
    }
    if (exists == 0 || types.contains(0)) {
        *error = QObject::tr("The job or a type of its lines is missing.");
        return false;
    }
    if (!execute(s.begin.get(), error))
        return false;
    if (writeLines(s, saving, types, error))
        return true;
    sqlite3_exec(sqlite3_db_handle(s.begin.get()), "rollback", nullptr, nullptr, nullptr);
    return false;
}

bool saveOurs(const QSqlDatabase& db, const Saving& saving, QString* error)
{
    const CostSaveResult result = saveCostLines(db, saving.key, CostSide::Receipt, saving.lines,
                                                saving.account, saving.today);
    if (result.outcome == CostSaveResult::Outcome::Saved)
        return true;
    *error = result.error.isEmpty() ? QObject::tr("The lines were not saved.") : result.error;
    return false;
}

// The oldest job, given a receipt line of each of the first seven income and expense types.
std::optional<Saving> saving(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select job_prefix, job_id, account_no from jobs "
                                   "order by rowid limit 1")) ||
        !query.next()) {
        *error = QObject::tr("The firm has no jobs.");
        return std::nullopt;
    }
    Saving saving{{query.value(0).toString(), query.value(1).toLongLong()},
                  query.value(2).toLongLong(),
                  QDate::currentDate(),
                  {},
                  {}};
    saving.storedToday = storedDate(saving.today);
    const auto types = readCostTypes(db, error);
    if (!types)
        return std::nullopt;
    if (types->size() < kLines) {
        *error = QObject::tr("The firm has fewer than %1 income and expense types.").arg(kLines);
        return std::nullopt;
    }
    for (int i = 0; i < kLines; ++i) {
        const QString& type = types->at(i).name;
        saving.lines.append(
            {type, type, costFigures(Money::fromPence(1000 + 250 * i), i, i % 2 == 0), i % 2 == 0});
    }
    return saving;
}

// The same lines a pound dearer each.
Saving dearer(Saving saving)
{
    for (CostLineEntry& line : saving.lines)
        line.figures = costFigures(line.figures.gross + Money::fromPence(100),
                                   line.figures.discountPercent, line.vat);
    return saving;
}

bool sameLines(const QList<StoredCostLine>& a, const QList<StoredCostLine>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const StoredCostLine& x, const StoredCostLine& y) {
                          return x.type == y.type && x.description == y.description &&
                                 x.discountPercent == y.discountPercent && x.gross == y.gross &&
                                 x.discount == y.discount && x.vatValue == y.vatValue &&
                                 x.net == y.net && x.vat == y.vat;
                      });
}

} // namespace

namespace {

// Our save beside the baseline, both without the trail when not `traced`.
std::optional<Timed> setUpSaving(Fixture& fixture, bool traced, QString* error)
{
    const std::optional<Saving> chosen = saving(fixture.db, error);
    if (!chosen)
        return std::nullopt;
    sqlite3* db = fixture.handle;
    const Statements statements{prepare(db, kJobExists, error),  prepare(db, kTypeNumber, error),
                                prepare(db, kStoredLine, error), prepare(db, kUpdateLine, error),
                                prepare(db, kInsertLine, error), prepare(db, kFirstNote, error),
                                prepare(db, kUpdateNote, error), prepare(db, kInsertNote, error),
                                prepare(db, "begin", error),     prepare(db, "commit", error)};
    for (const Statement* each :
         {&statements.jobExists, &statements.typeNumber, &statements.storedLine,
          &statements.updateLine, &statements.insertLine, &statements.firstNote,
          &statements.updateNote, &statements.insertNote, &statements.begin, &statements.commit}) {
        if (!*each)
            return std::nullopt;
    }

    // Both sides must leave the job with the same lines.
    if (!saveOurs(fixture.db, *chosen, error))
        return std::nullopt;
    const auto ours = loadCostLines(fixture.db, chosen->key, CostSide::Receipt, error);
    if (!ours || !saveDirectly(statements, *chosen, error))
        return std::nullopt;
    const auto baseline = loadCostLines(fixture.db, chosen->key, CostSide::Receipt, error);
    if (!baseline)
        return std::nullopt;
    if (!sameLines(*ours, *baseline) || ours->size() < kLines) {
        *error = QObject::tr("Our save and the baseline left job %1%2 with different lines.")
                     .arg(chosen->key.prefix)
                     .arg(chosen->key.number);
        return std::nullopt;
    }

    auto turns = std::make_shared<Alternating>(Alternating{{*chosen, dearer(*chosen)}});
    Timed timed;
    timed.ours = [db = fixture.db, turns, traced](QString* reason) {
        if (traced)
            return saveOurs(db, turns->take(), reason);
        const AuditPause pause(db);
        return saveOurs(db, turns->take(), reason);
    };
    // The baseline writes no trail: it is the save as the file takes it.
    timed.baseline = [statements, turns, db = fixture.db](QString* reason) {
        const AuditPause pause(db);
        return saveDirectly(statements, turns->take(), reason);
    };
    return timed;
}

} // namespace

std::optional<Timed> setUpSaveReceipts(Fixture& fixture, QString* error)
{
    return setUpSaving(fixture, true, error);
}

std::optional<Timed> setUpSaveReceiptsUntraced(Fixture& fixture, QString* error)
{
    return setUpSaving(fixture, false, error);
}

} // namespace velmora::bench
