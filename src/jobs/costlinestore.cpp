#include "costlinestore.h"

#include "data/columnwidths.h"
#include "data/dates.h"
#include "data/fault.h"
#include "data/preparedquery.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

namespace {

QString sideFlag(CostSide side)
{
    return side == CostSide::Receipt ? QStringLiteral("I") : QStringLiteral("E");
}

// The statements below run on copies kept with the connection (PreparedQuery): a server
// would otherwise be asked to prepare, run and let go of each, three round trips a line.
bool runKept(const QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error)
{
    PreparedQuery prepared(db, sql);
    return prepared.run(values, error);
}

// The whole number in the first column of the first row of `sql`: 0 without a row, nullopt
// on a database error.
std::optional<qint64> firstNumber(const QSqlDatabase& db, const QString& sql,
                                  const QVariantList& values, QString* error)
{
    PreparedQuery prepared(db, sql);
    if (!prepared.run(values, error))
        return std::nullopt;
    return prepared.query().next() ? prepared.query().value(0).toLongLong() : 0;
}

// The number of the income and expense type named `name`; 0 when there is none,
// nullopt on a database error.
std::optional<qint64> typeNumber(const QSqlDatabase& db, const QString& name, QString* error)
{
    return firstNumber(db,
                       QStringLiteral("select receipttypeid from receipt_types "
                                      "where paymenttype = ? order by rowid limit 1"),
                       {name}, error);
}

// The rowid of a job's first stored line of a type on one side: its values are the job's
// prefix and number, the type and the side's flag.
const QLatin1String kStoredLine("select rowid from Costs where job_prefix = ? and jobnumber = ? "
                                "and costtype = ? and income_expence = ? order by rowid limit 1");

// The rowid of the job's stored line of type `type`, 0 when there is none.
std::optional<qint64> storedLine(const QSqlDatabase& db, const JobKey& key, CostSide side,
                                 qint64 type, QString* error)
{
    return firstNumber(db, kStoredLine, {key.prefix, key.number, type, sideFlag(side)}, error);
}

// Writes `line` over the job's first stored line of type `type` or, when it has none, as a
// new line; *stored tells which. The update comes first and finds the line itself, so that
// a line saved again (the usual case) takes one statement, where asking for it first took two.
bool writeLine(const QSqlDatabase& db, const JobKey& key, CostSide side, qint64 type,
               const CostLineEntry& line, bool* stored, QString* error)
{
    const CostFigures& f = line.figures;
    QVariantList values = {line.vat ? QStringLiteral("Y") : QStringLiteral("N"),
                           key.prefix,
                           key.number,
                           type,
                           line.description,
                           f.vat.toVariant(),
                           f.discountPercent,
                           f.discount.toVariant(),
                           f.gross.toVariant(),
                           f.net.toVariant()};
    PreparedQuery update(db, QStringLiteral("update Costs set vat = ?, job_prefix = ?, "
                                            "jobnumber = ?, costtype = ?, description = ?, "
                                            "vat_value = ?, discount = ?, discount_value = ?, "
                                            "gross_cost = ?, net_cost = ? where rowid = (") +
                                 kStoredLine + QLatin1Char(')'));
    if (!update.run(values + QVariantList{key.prefix, key.number, type, sideFlag(side)}, error))
        return false;
    *stored = update.query().numRowsAffected() > 0;
    if (*stored)
        return true;
    values.append(sideFlag(side));
    return runKept(
        db,
        QStringLiteral("insert into Costs (vat, job_prefix, jobnumber, costtype, "
                       "description, vat_value, discount, discount_value, gross_cost, "
                       "net_cost, income_expence) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        values, error);
}

bool writeCreditNote(const QSqlDatabase& db, const JobKey& key, const CostLineEntry& line,
                     bool replace, qint64 account, QDate today, QString* error)
{
    qint64 note = 0;
    if (replace) {
        const auto stored =
            firstNumber(db,
                        QStringLiteral("select credit_note_no from credit_notes where job_no = ? "
                                       "and job_prefix = ? order by credit_note_no limit 1"),
                        {key.number, key.prefix}, error);
        if (!stored)
            return false;
        note = *stored;
    }
    const CostFigures& f = line.figures;
    QVariantList values = {key.number,
                           key.prefix,
                           line.description,
                           f.discount.toVariant(),
                           f.gross.toVariant(),
                           f.net.toVariant(),
                           storedDate(today),
                           f.vat.toVariant(),
                           account > 0 ? QVariant(account) : QVariant()};
    if (note == 0)
        return runKept(
            db,
            QStringLiteral("insert into credit_notes (job_no, job_prefix, refund_reason, "
                           "refund_amount_discount, refund_amount_gross, "
                           "refund_amount_net, refund_date, refund_amount_vat, "
                           "account_no, processed) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?, 'Y')"),
            values, error);
    values.append(note);
    return runKept(
        db,
        QStringLiteral("update credit_notes set job_no = ?, job_prefix = ?, "
                       "refund_reason = ?, refund_amount_discount = ?, "
                       "refund_amount_gross = ?, refund_amount_net = ?, refund_date = ?, "
                       "refund_amount_vat = ?, account_no = coalesce(?, account_no), "
                       "processed = 'Y' where credit_note_no = ?"),
        values, error);
}

} // namespace

QString creditNoteType() { return QStringLiteral("Credit Note"); }

const QString& costLinesStatement()
{
    static const QString statement =
        QStringLiteral("select receipt_types.paymenttype, Costs.description, Costs.discount, "
                       "Costs.gross_cost, Costs.discount_value, Costs.vat_value, Costs.net_cost, "
                       "Costs.vat from Costs "
                       "inner join receipt_types on receipt_types.receipttypeid = Costs.costtype "
                       "inner join jobs on jobs.job_prefix = Costs.job_prefix "
                       "and jobs.job_id = Costs.jobnumber "
                       "where Costs.income_expence = ? and Costs.job_prefix = ? "
                       "and Costs.jobnumber = ? order by Costs.rowid");
    return statement;
}

std::optional<QList<StoredCostLine>> loadCostLines(const QSqlDatabase& db, const JobKey& key,
                                                   CostSide side, QString* error)
{
    PreparedQuery prepared(db, costLinesStatement());
    if (!prepared.run({sideFlag(side), key.prefix, key.number}, error))
        return std::nullopt;
    QSqlQuery& query = prepared.query();
    QList<StoredCostLine> lines;
    while (query.next()) {
        StoredCostLine line{query.value(0).toString(),
                            query.value(1).toString(),
                            query.value(2).toInt(),
                            Money::fromVariant(query.value(3)),
                            Money::fromVariant(query.value(4)),
                            Money::fromVariant(query.value(5)),
                            Money::fromVariant(query.value(6)),
                            std::nullopt};
        if (!query.isNull(7))
            line.vat = query.value(7).toString();
        lines.append(line);
    }
    return lines;
}

CostSaveResult saveCostLines(const QSqlDatabase& db, const JobKey& key, CostSide side,
                             const QList<CostLineEntry>& lines, qint64 account, QDate today)
{
    using Outcome = CostSaveResult::Outcome;
    CostSaveResult result;
    const auto job = firstNumber(db,
                                 QStringLiteral("select 1 from jobs where job_prefix = ? "
                                                "and job_id = ?"),
                                 {key.prefix, key.number}, &result.error);
    if (!job)
        return {Outcome::Failed, -1, result.error};
    if (*job == 0)
        return {Outcome::NoJob, -1, {}};
    QList<qint64> types;
    for (const CostLineEntry& line : lines) {
        if (!fitsColumns(u"Costs", {QStringLiteral("description")}, {line.description},
                         &result.error))
            return {Outcome::Failed, -1, result.error};
        const auto type = typeNumber(db, line.type, &result.error);
        if (!type)
            return {Outcome::Failed, -1, result.error};
        if (*type == 0)
            return {Outcome::UnknownType, static_cast<int>(types.size()), {}};
        types.append(*type);
    }
    Transaction transaction(db);
    if (!transaction.isActive())
        return {Outcome::Failed, -1, connectionFault(db)};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bool stored = false;
        if (!writeLine(db, key, side, types.at(i), lines.at(i), &stored, &result.error))
            return {Outcome::Failed, -1, result.error};
        const bool creditNote =
            side == CostSide::Receipt &&
            lines.at(i).type.compare(creditNoteType(), Qt::CaseInsensitive) == 0;
        if (creditNote &&
            !writeCreditNote(db, key, lines.at(i), stored, account, today, &result.error))
            return {Outcome::Failed, -1, result.error};
    }
    if (!transaction.commit(&result.error))
        return {Outcome::Failed, -1, result.error};
    return result;
}

CostDeleteOutcome deleteCostLine(const QSqlDatabase& db, const JobKey& key, CostSide side,
                                 const QString& type, QString* error)
{
    const auto number = typeNumber(db, type, error);
    if (!number)
        return CostDeleteOutcome::Failed;
    if (*number == 0)
        return CostDeleteOutcome::UnknownType;
    const auto row = storedLine(db, key, side, *number, error);
    if (!row)
        return CostDeleteOutcome::Failed;
    if (*row == 0)
        return CostDeleteOutcome::NotFound;
    if (!runKept(db, QStringLiteral("delete from Costs where rowid = ?"), {*row}, error))
        return CostDeleteOutcome::Failed;
    return CostDeleteOutcome::Deleted;
}

} // namespace velmora
