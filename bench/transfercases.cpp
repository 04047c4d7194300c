// The batch cases of the transfer files and the removal of old invoices. They run on a
// scratch copy of each generated firm, so that the kept firms stay as generated, and put
// back before every run what the run before changed.
#include "baseline.h"
#include "cases.h"
#include "data/backup.h"
#include "data/database.h"
#include "data/sqlitestatement.h"
#include "exchange/invoiceremoval.h"
#include "exchange/transfer.h"
#include "exchange/transferrecords.h"
#include "transferbaseline.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSqlQuery>

#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

namespace velmora::bench {

namespace {

constexpr int kImportedJobs = 100000;
constexpr int kImportedCosts = 250000;

// A scratch copy of a firm, open for the life of the program.
struct Scratch
{
    QSqlDatabase db;
    sqlite3* handle = nullptr;
    QString path;
    QString file(const QString& name) const { return path + QLatin1Char('.') + name; }
};

std::map<std::int64_t, Scratch>& scratches()
{
    static std::map<std::int64_t, Scratch> all;
    return all;
}

void removeScratches()
{
    for (auto& [jobs, scratch] : scratches()) {
        const QString connection = scratch.db.connectionName();
        scratch.db.close();
        scratch.db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        for (const QString& name : QDir(QFileInfo(scratch.path).absolutePath())
                                       .entryList({QFileInfo(scratch.path).fileName() + "*"}))
            QFile::remove(QFileInfo(scratch.path).absoluteDir().filePath(name));
    }
}

Scratch* scratchOf(const Fixture& fixture, QString* error)
{
    auto found = scratches().find(fixture.jobs);
    if (found != scratches().end())
        return &found->second;
    if (scratches().empty())
        qAddPostRoutine(removeScratches);
    Scratch scratch;
    scratch.path = QFileInfo(fixture.db.databaseName())
                       .absoluteDir()
                       .filePath(QStringLiteral("scratch-%1.mdb").arg(fixture.jobs));
    QFile::remove(scratch.path);
    if (!backupDatabase(fixture.db, scratch.path, error))
        return nullptr;
    scratch.db = openDatabase(scratch.path,
                              QStringLiteral("velmora-bench-scratch-%1").arg(fixture.jobs), error);
    if (!scratch.db.isValid())
        return nullptr;
    scratch.handle = sqliteHandle(scratch.db);
    return &scratches().emplace(fixture.jobs, scratch).first->second;
}

bool exec(sqlite3* db, const QString& sql, QString* error)
{
    return executeRaw(db, sql.toUtf8().constData(), error);
}

// The first number of `sql`'s first row.
std::optional<qint64> scalar(sqlite3* db, const char* sql, QString* error)
{
    const Statement statement = prepare(db, sql, error);
    if (!statement)
        return std::nullopt;
    const int result = sqlite3_step(statement.get());
    const qint64 value = result == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0) : 0;
    if (!finish(statement.get(), result == SQLITE_ROW ? SQLITE_DONE : result, error))
        return std::nullopt;
    return value;
}

// A digest of the rows a case wrote, to see that ours and the baseline wrote the same.
std::optional<QString> digest(sqlite3* db, const char* sql, QString* error)
{
    const Statement statement = prepare(db, sql, error);
    if (!statement)
        return std::nullopt;
    QString out;
    int result;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(statement.get()); ++column)
            out += text(statement.get(), column) + QLatin1Char('|');
    }
    if (!finish(statement.get(), result, error))
        return std::nullopt;
    return out;
}

std::vector<std::int32_t> firstIds(sqlite3* db, const char* sql, QString* error)
{
    std::vector<std::int32_t> ids;
    const Statement statement = prepare(db, sql, error);
    if (!statement)
        return ids;
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int(statement.get(), 0));
    sqlite3_reset(statement.get());
    return ids;
}

// Writes the jobs file: T1 to T100000, completed, with the firm's own references.
bool writeJobsFile(const Scratch& s, const QString& path, QString* error)
{
    const auto accounts = firstIds(s.handle, "select account_id from accounts limit 50", error);
    const auto drivers = firstIds(s.handle, "select driver_id from drivers limit 20", error);
    const auto payments = firstIds(s.handle, "select paymenttypeid from payment_types", error);
    const auto vehicles = firstIds(s.handle, "select vehicletypeid from vehicle_types", error);
    if (accounts.empty() || drivers.empty() || payments.empty() || vehicles.empty()) {
        *error = QObject::tr("The firm lacks accounts, drivers or types.");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    qsizetype unmappable = 0;
    for (int i = 1; i <= kImportedJobs; ++i) {
        exchange::JobTransferRecord r;
        r.prefix = QStringLiteral("T");
        r.number = i;
        r.date = 46000 + i % 365 + 0.4375;
        r.time = QStringLiteral("10:30:00");
        r.passenger = QStringLiteral("Passenger é £ %1").arg(i);
        r.from = QStringLiteral("%1 High Street").arg(i % 300);
        r.to = QStringLiteral("Station");
        r.account = std::int16_t(i % 3 ? accounts[std::size_t(i) % accounts.size()] : 0);
        r.driver = drivers[std::size_t(i) % drivers.size()];
        r.passengers = 1 + i % 4;
        r.paymentType = payments[std::size_t(i) % payments.size()];
        r.invoiced = QStringLiteral("N");
        r.vehicleType = vehicles[std::size_t(i) % vehicles.size()];
        r.instructions = QStringLiteral("Ring on arrival");
        r.status = QStringLiteral("C");
        r.timeText = QStringLiteral("10:30");
        r.driverPercentage = QStringLiteral("N");
        r.calculated = QStringLiteral("N");
        file.write(writeJobRecord(r, &unmappable));
    }
    return file.flush();
}

// Writes the costs file: two or three lines on each of T1 to T100000.
bool writeCostsFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    qsizetype unmappable = 0;
    for (int line = 0; line < kImportedCosts; ++line) {
        exchange::CostTransferRecord r;
        r.prefix = QStringLiteral("T");
        r.number = 1 + line % kImportedJobs;
        r.costType = 1 + line / kImportedJobs;
        r.incomeExpense = line / kImportedJobs == 1 ? QStringLiteral("E") : QStringLiteral("I");
        r.description = QStringLiteral("Fare £");
        r.gross = 100000 + line;
        r.discount = line % 10;
        r.discountValue = 500;
        r.net = 99500 + line;
        r.vat = QStringLiteral("N");
        file.write(writeCostRecord(r, &unmappable));
    }
    return file.flush();
}

std::unordered_set<std::int64_t> idSet(sqlite3* db, const char* sql, QString* error)
{
    std::unordered_set<std::int64_t> ids;
    for (const std::int32_t id : firstIds(db, sql, error))
        ids.insert(id);
    return ids;
}

// Reads the file's slots of `slot` bytes (at least `fields` of them) into `apply`.
template <typename Apply>
bool eachSlot(const QString& path, int slot, int fields, Apply apply, QString* error)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(QFile::encodeName(path).constData(), "rb"), &std::fclose);
    if (!file) {
        *error = QObject::tr("The file %1 cannot be read.").arg(path);
        return false;
    }
    std::vector<char> buffer(static_cast<std::size_t>(slot));
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) >= std::size_t(fields)) {
        if (!apply(buffer.data()))
            return false;
        if (got < buffer.size())
            break;
    }
    return true;
}

void bindText(sqlite3_stmt* statement, int index, const std::string& value)
{
    sqlite3_bind_text(statement, index, value.data(), int(value.size()), SQLITE_STATIC);
}

// The statements of the jobs import, as ours runs them.
struct JobStatements
{
    Statement find, insert, update, begin, commit;
};

constexpr const char* kJobColumns =
    "date, time, passenger_name, address_from, address_to, account_no, driver, passengers, "
    "payment_type, invoiced, vehicle_type, special_instructions, record_status, invoice_no, "
    "time_text, acc_ref, costed_code, std_job, driver_percentage, calculated";

bool importJobsDirectly(const JobStatements& s, sqlite3* db, const QString& path, QString* error)
{
    using namespace plain;
    const auto accounts = idSet(db, "Select account_id from accounts", error);
    const auto drivers = idSet(db, "select driver_id from drivers", error);
    const auto paidByPercentage =
        idSet(db, "select driver_id from drivers where driver_percentage > 0", error);
    const auto payments = idSet(db, "select paymenttypeid from payment_types", error);
    const auto vehicles = idSet(db, "select vehicletypeid from vehicle_types", error);
    if (!execute(s.begin.get(), error))
        return false;
    qint64 added = 0;
    const bool done = eachSlot(
        path, 547, 543,
        [&](const char* r) {
            const auto number = plain::number<std::int32_t>(r + 1);
            const std::string date = isoDate(plain::number<double>(r + 5));
            const std::int64_t refs[] = {
                plain::number<std::int16_t>(r + 231), plain::number<std::int32_t>(r + 233),
                plain::number<std::int32_t>(r + 241), plain::number<std::int32_t>(r + 248)};
            const std::unordered_set<std::int64_t>* sets[] = {&accounts, &drivers, &payments,
                                                              &vehicles};
            bool rejected = number < 1 || date.empty();
            for (int i = 0; i < 4 && !rejected; ++i)
                rejected = refs[i] > 0 && !sets[i]->count(refs[i]);
            if (rejected)
                return true;
            const std::string prefix = utf8(r, 1);
            bindText(s.find.get(), 1, prefix);
            sqlite3_bind_int(s.find.get(), 2, number);
            int step = sqlite3_step(s.find.get());
            const bool found = step == SQLITE_ROW;
            const bool completed = found && (sqlite3_column_text(s.find.get(), 0)[0] | 0x20) == 'c';
            if (!finish(s.find.get(), found ? SQLITE_DONE : step, error))
                return false;
            if (found && !completed)
                return true;
            sqlite3_stmt* write = found ? s.update.get() : s.insert.get();
            const std::string texts[] = {utf8(r + 13, 8),   utf8(r + 21, 50),  utf8(r + 71, 80),
                                         utf8(r + 151, 80), utf8(r + 245, 3),  utf8(r + 252, 250),
                                         utf8(r + 502, 1),  utf8(r + 507, 10), utf8(r + 517, 10),
                                         utf8(r + 527, 10), utf8(r + 541, 1),  utf8(r + 542, 1)};
            bindText(write, 1, date);
            bindText(write, 2, texts[0]);
            bindText(write, 3, texts[1]);
            bindText(write, 4, texts[2]);
            bindText(write, 5, texts[3]);
            sqlite3_bind_int64(write, 6, refs[0]);
            sqlite3_bind_int64(write, 7, refs[1]);
            sqlite3_bind_int(write, 8, plain::number<std::int32_t>(r + 237));
            sqlite3_bind_int64(write, 9, refs[2]);
            const std::string invoiced = texts[4].empty() ? std::string(" ") : texts[4];
            bindText(write, 10, invoiced);
            sqlite3_bind_int64(write, 11, refs[3]);
            bindText(write, 12, texts[5]);
            bindText(write, 13, texts[6]);
            sqlite3_bind_int(write, 14, plain::number<std::int32_t>(r + 503));
            bindText(write, 15, texts[7]);
            bindText(write, 16, texts[8]);
            bindText(write, 17, texts[9]);
            sqlite3_bind_int(write, 18, plain::number<std::int32_t>(r + 537));
            const std::string calculated = texts[11].empty() ? std::string("N") : texts[11];
            const bool done = calculated.size() == 1 && (calculated[0] | 0x20) == 'y';
            const std::string percentage = !done && paidByPercentage.count(refs[1]) ? "Y" : "N";
            bindText(write, 19, percentage);
            bindText(write, 20, calculated);
            bindText(write, 21, prefix);
            sqlite3_bind_int(write, 22, number);
            ++added;
            return execute(write, error);
        },
        error);
    if (!done || !execute(s.commit.get(), error)) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        return false;
    }
    return added > 0;
}

bool expectCompleted(const exchange::TransferOutcome& outcome, QString* error)
{
    if (outcome.completed && outcome.rejected == 0)
        return true;
    *error = outcome.message;
    return false;
}

// Runs ours and then the baseline once from the reset state and compares their rows.
bool sameRows(const Timed& timed, sqlite3* db, const char* digestSql, QString* error)
{
    if (!timed.reset(error) || !timed.ours(error))
        return false;
    const auto ours = digest(db, digestSql, error);
    if (!ours || !timed.reset(error) || !timed.baseline(error))
        return false;
    const auto baseline = digest(db, digestSql, error);
    if (!baseline)
        return false;
    if (*ours != *baseline) {
        *error = QObject::tr("Ours and the baseline wrote different rows.");
        return false;
    }
    return true;
}

} // namespace

std::optional<Timed> setUpImportJobs(Fixture& fixture, QString* error)
{
    Scratch* s = scratchOf(fixture, error);
    if (!s)
        return std::nullopt;
    const QString path = s->file(QStringLiteral("jobs.txt"));
    if (!writeJobsFile(*s, path, error))
        return std::nullopt;
    const QString columns = QString::fromLatin1(kJobColumns);
    const QByteArray insert =
        ("insert into jobs (" + columns + ", job_prefix, job_id) values (" +
         QStringList(22, QStringLiteral("?")).join(QStringLiteral(", ")) + ")")
            .toUtf8();
    const QByteArray update =
        ("update jobs set " + columns.split(QStringLiteral(", ")).join(QStringLiteral(" = ?, ")) +
         " = ? where job_prefix = ? and job_id = ?")
            .toUtf8();
    auto statements = std::make_shared<JobStatements>(JobStatements{
        prepare(s->handle, "select record_status from jobs where job_prefix = ? and job_id = ?",
                error),
        prepare(s->handle, insert.constData(), error),
        prepare(s->handle, update.constData(), error), prepare(s->handle, "begin", error),
        prepare(s->handle, "commit", error)});
    if (!statements->find || !statements->insert || !statements->update || !statements->begin ||
        !statements->commit)
        return std::nullopt;

    Timed timed;
    timed.reset = [db = s->handle](QString* reason) {
        return exec(db, QStringLiteral("delete from jobs where job_prefix = 'T'"), reason);
    };
    timed.ours = [db = s->db, path](QString* reason) {
        const auto outcome = exchange::import_job_transfer(db, path);
        return expectCompleted(outcome, reason) && outcome.added == kImportedJobs;
    };
    timed.baseline = [statements, db = s->handle, path](QString* reason) {
        return importJobsDirectly(*statements, db, path, reason);
    };
    if (!sameRows(timed, s->handle,
                  "select count(*), sum(account_no), sum(driver), min(date), max(date), "
                  "sum(length(passenger_name)), group_concat(distinct passenger_name) filter "
                  "(where job_id < 4), sum(passengers) from jobs where job_prefix = 'T'",
                  error))
        return std::nullopt;
    return timed;
}

namespace {

struct CostStatements
{
    Statement job, find, insert, update, begin, commit;
};

bool importCostsDirectly(const CostStatements& s, sqlite3* db, const QString& path, QString* error)
{
    using namespace plain;
    const auto types = idSet(db, "select receipttypeid from receipt_types", error);
    if (!execute(s.begin.get(), error))
        return false;
    const bool done = eachSlot(
        path, 87, 87,
        [&](const char* r) {
            const std::string prefix = utf8(r, 1);
            const auto number = plain::number<std::int32_t>(r + 1);
            bindText(s.job.get(), 1, prefix);
            sqlite3_bind_int(s.job.get(), 2, number);
            const int step = sqlite3_step(s.job.get());
            const bool job = step == SQLITE_ROW;
            if (!finish(s.job.get(), job ? SQLITE_DONE : step, error))
                return false;
            const auto type = plain::number<std::int32_t>(r + 5);
            const char side = char(r[9] & ~0x20);
            const auto discount = plain::number<std::int32_t>(r + 58);
            const std::int64_t amounts[] = {
                plain::number<std::int64_t>(r + 50), plain::number<std::int64_t>(r + 62),
                plain::number<std::int64_t>(r + 70), plain::number<std::int64_t>(r + 79)};
            bool rejected = !job || !types.count(type) || (side != 'I' && side != 'E') ||
                            discount < 0 || discount > 100;
            for (const std::int64_t amount : amounts)
                rejected = rejected || amount == std::numeric_limits<std::int64_t>::min();
            if (rejected)
                return true;
            const std::string flag = utf8(r + 9, 1);
            bindText(s.find.get(), 1, prefix);
            sqlite3_bind_int(s.find.get(), 2, number);
            bindText(s.find.get(), 3, flag);
            sqlite3_bind_int(s.find.get(), 4, type);
            const int found = sqlite3_step(s.find.get());
            const std::int64_t row =
                found == SQLITE_ROW ? sqlite3_column_int64(s.find.get(), 0) : 0;
            if (!finish(s.find.get(), found == SQLITE_ROW ? SQLITE_DONE : found, error))
                return false;
            sqlite3_stmt* write = row > 0 ? s.update.get() : s.insert.get();
            const std::string description = utf8(r + 10, 40);
            const std::string vat = utf8(r + 78, 1);
            sqlite3_bind_int(write, 1, type);
            bindText(write, 2, flag);
            bindText(write, 3, description);
            sqlite3_bind_int64(write, 4, amounts[0]);
            sqlite3_bind_int(write, 5, discount);
            sqlite3_bind_int64(write, 6, amounts[1]);
            sqlite3_bind_int64(write, 7, amounts[2]);
            bindText(write, 8, vat);
            sqlite3_bind_int64(write, 9, amounts[3]);
            if (row > 0) {
                sqlite3_bind_int64(write, 10, row);
            } else {
                bindText(write, 10, prefix);
                sqlite3_bind_int(write, 11, number);
            }
            return execute(write, error);
        },
        error);
    if (!done || !execute(s.commit.get(), error)) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

} // namespace

std::optional<Timed> setUpImportCosts(Fixture& fixture, QString* error)
{
    Scratch* s = scratchOf(fixture, error);
    if (!s)
        return std::nullopt;
    const QString jobs = s->file(QStringLiteral("jobs.txt"));
    const QString path = s->file(QStringLiteral("costs.txt"));
    if ((!QFile::exists(jobs) && !writeJobsFile(*s, jobs, error)) || !writeCostsFile(path, error))
        return std::nullopt;
    // The lines' jobs are there before every run.
    if (!expectCompleted(exchange::import_job_transfer(s->db, jobs), error))
        return std::nullopt;
    const char* columns = "costtype = ?, income_expence = ?, description = ?, gross_cost = ?, "
                          "discount = ?, discount_value = ?, net_cost = ?, vat = ?, vat_value = ?";
    const QByteArray update = QByteArray("update costs set ") + columns + " where rowid = ?";
    auto statements = std::make_shared<CostStatements>(CostStatements{
        prepare(s->handle, "select 1 from jobs where job_prefix = ? and job_id = ? limit 1", error),
        prepare(s->handle,
                "select rowid from costs where job_prefix = ? and jobnumber = ? and "
                "income_expence = ? and costtype = ? order by rowid limit 1",
                error),
        prepare(s->handle,
                "insert into costs (costtype, income_expence, description, gross_cost, "
                "discount, discount_value, net_cost, vat, vat_value, job_prefix, jobnumber) "
                "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                error),
        prepare(s->handle, update.constData(), error), prepare(s->handle, "begin", error),
        prepare(s->handle, "commit", error)});
    if (!statements->job || !statements->find || !statements->insert || !statements->update ||
        !statements->begin || !statements->commit)
        return std::nullopt;

    Timed timed;
    timed.reset = [db = s->handle](QString* reason) {
        return exec(db, QStringLiteral("delete from costs where job_prefix = 'T'"), reason);
    };
    timed.ours = [db = s->db, path](QString* reason) {
        const auto outcome = exchange::import_cost_transfer(db, path);
        return expectCompleted(outcome, reason) && outcome.added == kImportedCosts;
    };
    timed.baseline = [statements, db = s->handle, path](QString* reason) {
        return importCostsDirectly(*statements, db, path, reason);
    };
    if (!sameRows(timed, s->handle,
                  "select count(*), sum(gross_cost), sum(net_cost), sum(discount), "
                  "sum(costtype), group_concat(distinct description), "
                  "sum(income_expence = 'E') from costs where job_prefix = 'T'",
                  error))
        return std::nullopt;
    return timed;
}

namespace {

bool exportDirectly(sqlite3_stmt* accounts, const QString& path, QString* error)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(QFile::encodeName(path).constData(), "wb"), &std::fclose);
    if (!file) {
        *error = QObject::tr("The file %1 cannot be written.").arg(path);
        return false;
    }
    char record[137];
    int result;
    const auto put = [accounts, &record](int column, int offset, int width) {
        plain::cp1252(sqlite3_column_text(accounts, column), sqlite3_column_bytes(accounts, column),
                      record + offset, width);
    };
    while ((result = sqlite3_step(accounts)) == SQLITE_ROW) {
        std::memset(record, 0, sizeof record);
        const auto account = std::int32_t(sqlite3_column_int64(accounts, 0));
        const auto address = std::int32_t(sqlite3_column_int64(accounts, 1));
        const std::int64_t balance = sqlite3_column_int64(accounts, 4);
        std::memcpy(record, &account, 4);
        std::memcpy(record + 4, &address, 4);
        put(2, 8, 40);
        put(3, 48, 20);
        std::memcpy(record + 68, &balance, 8);
        put(5, 76, 1);
        put(6, 77, 50);
        put(7, 135, 1);
        put(8, 136, 1);
        if (std::fwrite(record, 1, sizeof record, file.get()) != sizeof record)
            break;
    }
    return finish(accounts, result, error) && std::fflush(file.get()) == 0;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<Timed> setUpExportAccounts(Fixture& fixture, QString* error)
{
    Scratch* s = scratchOf(fixture, error);
    if (!s)
        return std::nullopt;
    const QString ours = s->file(QStringLiteral("accounts.txt"));
    const QString baseline = s->file(QStringLiteral("accounts-baseline.txt"));
    const Statement accounts =
        prepare(s->handle,
                "select account_id, address_id, account_name, nickname, account_balance, "
                "invoice_type, contact_name, account_ref, cost_code from accounts "
                "order by account_id",
                error);
    if (!accounts)
        return std::nullopt;
    Timed timed;
    timed.ours = [db = s->db, ours](QString* reason) {
        const auto outcome = exchange::export_account_transfer(db, ours, true);
        *reason = outcome.message;
        return outcome.completed;
    };
    timed.baseline = [accounts, baseline](QString* reason) {
        return exportDirectly(accounts.get(), baseline, reason);
    };
    if (!timed.ours(error) || !timed.baseline(error))
        return std::nullopt;
    if (contents(ours) != contents(baseline) || contents(ours).isEmpty()) {
        *error = QObject::tr("Ours and the baseline wrote different files.");
        return std::nullopt;
    }
    return timed;
}

namespace {

// One invoice per account and month of completed account jobs, unless the firm has
// invoices already.
bool ensureInvoiceHistory(sqlite3* db, QString* error)
{
    const auto invoices = scalar(db, "select count(*) from invoice_header", error);
    if (!invoices)
        return false;
    if (*invoices > 0)
        return true;
    return exec(db, QStringLiteral(R"(
        create temp table bench_invoices as
            select row_number() over (order by substr(date, 1, 7), account_no) as invoice_no,
                   account_no, substr(date, 1, 7) as month
            from jobs where account_no > 0 and record_status = 'C'
            group by account_no, substr(date, 1, 7);
        insert into invoice_header (invoice_no, date, account_no)
            select invoice_no, month || '-28', account_no from bench_invoices;
        insert into invoice_line (invoice_no, job_id, job_prefix)
            select i.invoice_no, j.job_id, j.job_prefix from jobs j
            join bench_invoices i on i.account_no = j.account_no
                                 and i.month = substr(j.date, 1, 7)
            where j.record_status = 'C';
        drop table bench_invoices;)"),
                error);
}

struct RemovalStatements
{
    std::vector<Statement> deletes;
    Statement begin, commit;
};

} // namespace

std::optional<Timed> setUpRemoveInvoices(Fixture& fixture, QString* error)
{
    Scratch* s = scratchOf(fixture, error);
    if (!s || !ensureInvoiceHistory(s->handle, error))
        return std::nullopt;
    const auto firstKept = scalar(s->handle,
                                  "select invoice_no from invoice_header order by invoice_no "
                                  "limit 1 offset (select count(*) / 2 from invoice_header)",
                                  error);
    if (!firstKept)
        return std::nullopt;
    // What a run removes is kept aside to be put back before the next.
    const QString going =
        QStringLiteral("in (select job_prefix, job_id from invoice_line where invoice_no < %1)")
            .arg(*firstKept);
    if (!exec(s->handle,
              QStringLiteral("drop table if exists bench_jobs; drop table if exists bench_costs; "
                             "drop table if exists bench_lines; drop table if exists bench_headers;"
                             "create table bench_jobs as select * from jobs "
                             "where (job_prefix, job_id) %1;"
                             "create table bench_costs as select * from costs "
                             "where (job_prefix, jobnumber) %1;"
                             "create table bench_lines as select * from invoice_line "
                             "where invoice_no < %2;"
                             "create table bench_headers as select * from invoice_header "
                             "where invoice_no < %2;")
                  .arg(going)
                  .arg(*firstKept),
              error))
        return std::nullopt;

    auto statements = std::make_shared<RemovalStatements>();
    for (const char* sql :
         {"delete from costs where (job_prefix, jobnumber) in (select job_prefix, job_id from "
          "invoice_line where invoice_no < ?)",
          "delete from jobs where (job_prefix, job_id) in (select job_prefix, job_id from "
          "invoice_line where invoice_no < ?)",
          "delete from invoice_line where invoice_no < ?",
          "delete from invoice_header where invoice_no < ?"}) {
        statements->deletes.push_back(prepare(s->handle, sql, error));
        if (!statements->deletes.back())
            return std::nullopt;
        sqlite3_bind_int64(statements->deletes.back().get(), 1, *firstKept);
    }
    statements->begin = prepare(s->handle, "begin", error);
    statements->commit = prepare(s->handle, "commit", error);
    if (!statements->begin || !statements->commit)
        return std::nullopt;

    Timed timed;
    timed.reset = [db = s->handle, kept = *firstKept](QString* reason) {
        const QByteArray sql =
            QByteArray("select count(*) from invoice_header where invoice_no < ") +
            QByteArray::number(kept);
        const auto left = scalar(db, sql.constData(), reason);
        if (!left)
            return false;
        return *left > 0 ||
               exec(db,
                    QStringLiteral("begin; insert into jobs select * from bench_jobs; "
                                   "insert into costs select * from bench_costs; "
                                   "insert into invoice_line select * from bench_lines; "
                                   "insert into invoice_header select * from bench_headers; "
                                   "commit;"),
                    reason);
    };
    timed.ours = [db = s->db, kept = *firstKept](QString* reason) {
        const auto removed = exchange::removeOldInvoices(db, kept, reason);
        return removed && removed->headers > 0;
    };
    timed.baseline = [statements](QString* reason) {
        if (!execute(statements->begin.get(), reason))
            return false;
        for (const Statement& each : statements->deletes) {
            if (!execute(each.get(), reason)) {
                sqlite3_exec(sqlite3_db_handle(each.get()), "rollback", nullptr, nullptr, nullptr);
                return false;
            }
        }
        return execute(statements->commit.get(), reason);
    };
    if (!sameRows(timed, s->handle,
                  "select (select count(*) from jobs), (select count(*) from costs), "
                  "(select count(*) from invoice_line), (select count(*) from invoice_header)",
                  error))
        return std::nullopt;
    return timed;
}

} // namespace velmora::bench
