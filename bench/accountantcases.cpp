#include "baseline.h"
#include "cases.h"
#include "data/dates.h"
#include "data/vatrate.h"
#include "payroll/profitandloss.h"
#include "payroll/vatreturn.h"

#include <QObject>

#include <array>
#include <map>
#include <optional>
#include <string>

namespace velmora::bench {

namespace {

// The last ten years to today, as the profit and loss and the VAT return are asked for.
std::pair<QDate, QDate> tenYears()
{
    const QDate today = QDate::currentDate();
    return {today.addYears(-10), today};
}

struct Written
{
    Statement clear, add, begin, commit;
};

Written writer(sqlite3* db, const char* clear, const char* add, QString* error)
{
    return {prepare(db, clear, error), prepare(db, add, error), prepare(db, "begin", error),
            prepare(db, "commit", error)};
}

bool ready(const std::initializer_list<const Statement*>& statements)
{
    for (const Statement* each : statements) {
        if (!*each)
            return false;
    }
    return true;
}

// Steps `statement` over the period, adding column 1.. of each row to the month its
// column 0 names.
bool addMonths(sqlite3_stmt* statement, const std::string& from, const std::string& until,
               int first, std::map<std::string, std::array<qint64, 4>>* months, QString* error)
{
    sqlite3_bind_text(statement, 1, from.c_str(), static_cast<int>(from.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, until.c_str(), static_cast<int>(until.size()), SQLITE_STATIC);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        auto& month = (*months)[reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))];
        for (int column = 1; column < sqlite3_column_count(statement); ++column)
            month[first + column - 1] += sqlite3_column_int64(statement, column);
    }
    return finish(statement, result, error);
}

struct ProfitAndLossRun
{
    Statement costs, wages, operational;
    Written out;
};

// The baseline: the run's three statements, the months added up in C and written back
// in one transaction. Returns the period's profit in *profit.
bool profitAndLossDirectly(const ProfitAndLossRun& s, QDate from, QDate to, qint64* profit,
                           QString* error)
{
    const std::string start = storedDate(from).toStdString();
    const std::string until = storedDate(to.addDays(1)).toStdString();
    const std::string end = storedDate(to).toStdString();
    std::map<std::string, std::array<qint64, 4>> months;
    for (QDate month(from.year(), from.month(), 1); month <= to; month = month.addMonths(1))
        months[month.toString(QStringLiteral("yyyy-MM")).toStdString()] = {};
    if (!addMonths(s.costs.get(), start, until, 0, &months, error) ||
        !addMonths(s.wages.get(), start, until, 2, &months, error) ||
        !addMonths(s.operational.get(), start, until, 3, &months, error) ||
        !execute(s.out.begin.get(), error) || !execute(s.out.clear.get(), error))
        return false;
    *profit = 0;
    sqlite3_stmt* add = s.out.add.get();
    for (const auto& [key, sums] : months) {
        const std::string first = key + "-01";
        const qint64 made = sums[0] - sums[1] - sums[2] - sums[3];
        sqlite3_bind_text(add, 1, first.c_str(), static_cast<int>(first.size()), SQLITE_STATIC);
        sqlite3_bind_text(add, 2, start.c_str(), static_cast<int>(start.size()), SQLITE_STATIC);
        sqlite3_bind_text(add, 3, end.c_str(), static_cast<int>(end.size()), SQLITE_STATIC);
        for (int i = 0; i < 4; ++i)
            sqlite3_bind_int64(add, 4 + i, sums[i]);
        sqlite3_bind_int64(add, 8, made);
        if (!execute(add, error)) {
            sqlite3_exec(sqlite3_db_handle(add), "rollback", nullptr, nullptr, nullptr);
            return false;
        }
        *profit += made;
    }
    return execute(s.out.commit.get(), error);
}

bool profitAndLossOurs(const QSqlDatabase& db, QDate from, QDate to, qint64* profit, QString* error)
{
    const auto months = runProfitAndLoss(db, from, to, error);
    if (!months)
        return false;
    Money total;
    for (const ProfitMonth& month : *months)
        total += month.profit();
    *profit = total.stored();
    return true;
}

// The baseline of the VAT return: its statement, the sums kept by side, VAT and day in C,
// the nine boxes and the rates written back in one transaction. Returns box 5 in *net.
bool vatDirectly(sqlite3_stmt* read, const Written& out, const VatRates& rates, QDate from,
                 QDate to, qint64* net, QString* error)
{
    const std::string rateFrom = rates.from.isValid() ? storedDate(rates.from).toStdString() : "";
    const std::string start = storedDate(from).toStdString();
    const std::string until = storedDate(to.addDays(1)).toStdString();
    const std::string end = storedDate(to).toStdString();
    sqlite3_bind_text(read, 1, rateFrom.c_str(), static_cast<int>(rateFrom.size()), SQLITE_STATIC);
    sqlite3_bind_text(read, 2, start.c_str(), static_cast<int>(start.size()), SQLITE_STATIC);
    sqlite3_bind_text(read, 3, until.c_str(), static_cast<int>(until.size()), SQLITE_STATIC);
    std::map<std::pair<bool, qint64>, std::pair<qint64, qint64>> byRate;
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(read)) == SQLITE_ROW) {
        const bool sales = (sqlite3_column_text(read, 0)[0] | 0x20) == 'i';
        const qint64 rate = sqlite3_column_int(read, 1) == 0   ? 0
                            : sqlite3_column_int(read, 2) != 0 ? rates.previous
                                                               : rates.rate;
        auto& sums = byRate[{sales, rate}];
        sums.first += sqlite3_column_int64(read, 3);
        sums.second += sqlite3_column_int64(read, 4);
    }
    if (!finish(read, result, error))
        return false;
    qint64 salesVat = 0, purchasesVat = 0, sales = 0, purchases = 0;
    for (const auto& [key, sums] : byRate) {
        (key.first ? sales : purchases) += sums.first;
        (key.first ? salesVat : purchasesVat) += sums.second;
    }
    const auto pence = [](qint64 units) {
        return Money::fromStored(units).roundedToPence().stored();
    };
    const qint64 box5 = pence(salesVat) - pence(purchasesVat);
    const qint64 boxes[9] = {pence(salesVat),           0,    pence(salesVat),
                             pence(purchasesVat),       box5, sales / 10000 * 10000,
                             purchases / 10000 * 10000, 0,    0};
    if (!execute(out.begin.get(), error) || !execute(out.clear.get(), error))
        return false;
    sqlite3_stmt* add = out.add.get();
    int line = 0;
    const auto write = [&](const std::string& box, const std::string& words, qint64 amount,
                           std::optional<qint64> vat) {
        sqlite3_bind_int(add, 1, ++line);
        if (box.empty())
            sqlite3_bind_null(add, 2);
        else
            sqlite3_bind_text(add, 2, box.c_str(), static_cast<int>(box.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(add, 3, words.c_str(), static_cast<int>(words.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(add, 4, amount);
        if (vat)
            sqlite3_bind_int64(add, 5, *vat);
        else
            sqlite3_bind_null(add, 5);
        sqlite3_bind_text(add, 6, start.c_str(), static_cast<int>(start.size()), SQLITE_STATIC);
        sqlite3_bind_text(add, 7, end.c_str(), static_cast<int>(end.size()), SQLITE_STATIC);
        return execute(add, error);
    };
    for (int box = 0; box < 9; ++box) {
        if (!write(std::to_string(box + 1), vatBoxNames()[box].toStdString(), boxes[box], {}))
            return false;
    }
    for (const auto& [key, sums] : byRate) {
        if (!write({},
                   (key.first ? "Sales at " : "Purchases at ") +
                       vatRateText(key.second).toStdString() + "%",
                   sums.first, sums.second))
            return false;
    }
    *net = box5;
    return execute(out.commit.get(), error);
}

} // namespace

std::optional<Timed> setUpProfitAndLoss(Fixture& fixture, QString* error)
{
    const auto [from, to] = tenYears();
    const ProfitAndLossStatements& sql = profitAndLossStatements();
    sqlite3* db = fixture.handle;
    const ProfitAndLossRun run{
        prepare(db, sql.costs.toUtf8().constData(), error),
        prepare(db, sql.wages.toUtf8().constData(), error),
        prepare(db, sql.operational.toUtf8().constData(), error),
        writer(db, "DELETE FROM profit_and_loss",
               "INSERT INTO profit_and_loss (month, start_date, end_date, income, payments, "
               "wages, operational, profit) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
               error)};
    if (!ready({&run.costs, &run.wages, &run.operational, &run.out.clear, &run.out.add,
                &run.out.begin, &run.out.commit}))
        return std::nullopt;
    qint64 ours = 0, baseline = 0;
    if (!profitAndLossOurs(fixture.db, from, to, &ours, error) ||
        !profitAndLossDirectly(run, from, to, &baseline, error))
        return std::nullopt;
    if (ours != baseline) {
        *error = QObject::tr("Our profit is %1, the baseline's %2.").arg(ours).arg(baseline);
        return std::nullopt;
    }
    Timed timed;
    timed.ours = [db = fixture.db, from, to](QString* reason) {
        qint64 profit = 0;
        return profitAndLossOurs(db, from, to, &profit, reason);
    };
    timed.baseline = [run, from, to](QString* reason) {
        qint64 profit = 0;
        return profitAndLossDirectly(run, from, to, &profit, reason);
    };
    return timed;
}

std::optional<Timed> setUpVatReturn(Fixture& fixture, QString* error)
{
    const auto [from, to] = tenYears();
    const std::optional<VatRates> rates = readVatRates(fixture.db, error);
    sqlite3* db = fixture.handle;
    const Statement read = prepare(db, vatReturnStatement().toUtf8().constData(), error);
    const Written out = writer(db, "DELETE FROM vat_return",
                               "INSERT INTO vat_return (line, box, description, amount, vat, "
                               "start_date, end_date) VALUES (?, ?, ?, ?, ?, ?, ?)",
                               error);
    if (!rates || !ready({&read, &out.clear, &out.add, &out.begin, &out.commit}))
        return std::nullopt;
    const auto ours = runVatReturn(fixture.db, from, to, error);
    qint64 baseline = 0;
    if (!ours || !vatDirectly(read.get(), out, *rates, from, to, &baseline, error))
        return std::nullopt;
    if (ours->boxes[4].stored() != baseline) {
        *error = QObject::tr("Our box 5 is %1, the baseline's %2.")
                     .arg(ours->boxes[4].stored())
                     .arg(baseline);
        return std::nullopt;
    }
    Timed timed;
    timed.ours = [db = fixture.db, from, to](QString* reason) {
        return runVatReturn(db, from, to, reason).has_value();
    };
    timed.baseline = [read, out, rates = *rates, from, to](QString* reason) {
        qint64 net = 0;
        return vatDirectly(read.get(), out, rates, from, to, &net, reason);
    };
    return timed;
}

} // namespace velmora::bench
