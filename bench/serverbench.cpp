#include "serverbench.h"

#include "cases.h"
#include "data/database.h"
#include "data/sql.h"
#include "invoicing/invoicerun.h"
#include "peakmemory.h"
#include "report.h"
#include "serverfirm.h"

#include <QFile>
#include <QObject>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>

namespace velmora::bench {

namespace {

// The cases an operator waits for at a screen, timed on both engines.
constexpr const char* kInteractive[] = {
    "load_board",        "load_job",           "save_receipts",   "open_job_screen",
    "search_customer",   "search_pattern",     "search_contains", "search_date",
    "search_driver",     "search_all",         "ledger_open",     "save_payment",
    "jobs_not_invoiced", "jobs_without_costs",
};

// The board's row must reach another desk within this many milliseconds.
constexpr double kShownTarget = 1000.0;

const Case* findCase(const char* name)
{
    for (const Case& each : cases()) {
        if (qstrcmp(each.name, name) == 0)
            return &each;
    }
    return nullptr;
}

QString figure(double value)
{
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', 3);
}

// Each interactive case on the file and on the server. A case's baseline runs on the file
// for both (the server's copy holds the same rows until the desks start), so that its
// set-up's check that both sides read the same rows holds on the server too.
std::optional<bool> compareCases(Fixture& file, Fixture& server, const ServerBenchOptions& options,
                                 QTextStream& out, QString* error)
{
    bool met = true;
    out << QObject::tr("%1 %2 %3 %4 %5 %6\n")
               .arg(QObject::tr("Case"), -20)
               .arg(QObject::tr("file ms"), 9)
               .arg(QObject::tr("server ms"), 10)
               .arg(QObject::tr("whole on file"), 14)
               .arg(QObject::tr("whole on server"), 16)
               .arg(QObject::tr("ratio"), 7);
    for (const char* name : kInteractive) {
        if (!options.cases.isEmpty() && !options.cases.contains(QLatin1String(name)))
            continue;
        const Case* benchCase = findCase(name);
        std::optional<Timed> onFile = benchCase ? benchCase->setup(file, error) : std::nullopt;
        std::optional<Timed> onServer = onFile ? benchCase->setup(server, error) : std::nullopt;
        const auto figures =
            onServer ? measure({*onFile, *onServer}, options.runs, error) : std::nullopt;
        if (!figures) {
            // A case that fails on the server is a fault to report, not a reason to stop.
            out << QStringLiteral("%1 failed: %2\n").arg(QLatin1String(name), -20).arg(*error);
            met = false;
            continue;
        }
        const Figures& f = (*figures)[0];
        const Figures& s = (*figures)[1];
        // What the operator waits for: the whole action where the case has one.
        const double ratio = s.whole >= 0 ? s.whole / f.whole : s.ours / f.ours;
        const bool missed = ratio > kRatioTarget || s.whole > benchCase->wholeTarget;
        met = met && !missed;
        out << QStringLiteral("%1 %2 %3 %4 %5 %6x%7\n")
                   .arg(QLatin1String(name), -20)
                   .arg(figure(f.ours), 9)
                   .arg(figure(s.ours), 10)
                   .arg(figure(f.whole), 14)
                   .arg(figure(s.whole), 16)
                   .arg(QString::number(ratio, 'f', 2), 6)
                   .arg(missed ? QStringLiteral("  missed") : QString());
    }
    return met;
}

// The invoice run over every account on a copy of the file, as the desk runs it on the
// server: milliseconds, nullopt with the reason in *error.
std::optional<double> invoiceOnFile(const Fixture& file, QString* error)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("firm.db"));
    if (!dir.isValid() || !QFile::copy(file.db.databaseName(), path)) {
        *error = QObject::tr("The firm could not be copied for the invoice run.");
        return std::nullopt;
    }
    const QString connection = QStringLiteral("velmora-bench-server-invoice-file");
    std::optional<double> took;
    {
        QSqlDatabase db = openDatabase(path, connection, error);
        QSqlQuery query(db);
        if (db.isValid() && query.exec(QStringLiteral("select max(account_id) from accounts")) &&
            query.next()) {
            InvoiceRunRange range;
            range.endAccount = query.value(0).toLongLong();
            query.finish();
            InvoiceRunResult result;
            const auto start = std::chrono::steady_clock::now();
            if (runInvoices(db, range, &result, error))
                took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                 start)
                           .count();
        }
    }
    closeDatabase(connection);
    return took;
}

// The server's version and the settings its figures depend on most, as a line of the report.
QString serverSettings(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select current_setting('server_version'), "
                            "current_setting('shared_buffers'), current_setting('huge_pages'), "
                            "current_setting('synchronous_commit')"),
             {}, error) ||
        !query.next())
        return {};
    return QObject::tr("PostgreSQL %1, shared_buffers %2, huge_pages %3, synchronous_commit %4\n")
        .arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
             query.value(3).toString());
}

// The desks' figures and faults; whether every target was met.
bool reportDesks(const DesksFigures& desks, double invoiceFile, QTextStream& out)
{
    const auto line = [&out](const QString& what, const std::vector<double>& times) {
        out << QStringLiteral("%1 %2 median %3 ms, 99th percentile %4 ms\n")
                   .arg(what, -34)
                   .arg(times.size(), 6)
                   .arg(figure(times.empty() ? -1 : median(times)))
                   .arg(figure(percentile(times, 99)));
    };
    line(QObject::tr("Jobs booked"), desks.booking);
    line(QObject::tr("Receipt lines saved (three a job)"), desks.savingLines);
    line(QObject::tr("Boards read after a change"), desks.boardRead);
    line(QObject::tr("Jobs shown on another desk's board"), desks.shownAfter);
    const double shown = percentile(desks.shownAfter, 99);
    const double ratio = desks.invoiceRun / invoiceFile;
    out << QObject::tr("Invoice run while the desks book: %1 invoices in %2 ms on the server, "
                       "%3 ms on the file: %4x\n")
               .arg(desks.invoices)
               .arg(figure(desks.invoiceRun))
               .arg(figure(invoiceFile))
               .arg(QString::number(ratio, 'f', 2));
    for (const QString& fault : desks.faults)
        out << QObject::tr("Fault: %1\n").arg(fault);
    return desks.faults.isEmpty() && shown >= 0 && shown <= kShownTarget && ratio <= kRatioTarget;
}

} // namespace

std::optional<bool> runServerBench(Fixture& file, const ServerBenchOptions& options,
                                   QTextStream& out, QString* error)
{
    for (const QString& name : options.cases) {
        if (std::none_of(std::begin(kInteractive), std::end(kInteractive),
                         [&name](const char* known) { return name == QLatin1String(known); })) {
            *error = QObject::tr("There is no screen's case named %1.").arg(name);
            return std::nullopt;
        }
    }
    const std::optional<DatabaseLocation> server = parseDatabaseLocation(options.server, error);
    if (!server)
        return std::nullopt;
    std::unique_ptr<ServerFirm> firm = ServerFirm::make(*server, options.firmFile, error);
    if (!firm)
        return std::nullopt;
    std::optional<bool> met;
    const QString connection = QStringLiteral("velmora-bench-server");
    {
        QSqlDatabase db = openDatabase(firm->address(), connection, error);
        const QString settings = db.isValid() ? serverSettings(db, error) : QString();
        if (!settings.isEmpty()) {
            out << settings;
            Fixture onServer{db, file.handle, file.jobs, file.dialogs};
            out << QObject::tr("The screens' cases on %1 jobs, on the file and on the server\n")
                       .arg(file.jobs);
            resetPeakMemory();
            met = compareCases(file, onServer, options, out, error);
        }
    }
    closeDatabase(connection);
    if (!met)
        return std::nullopt;
    if (!options.cases.isEmpty())
        return firm->drop(error) ? met : std::nullopt;

    out << QObject::tr("\n%1 desks booking a job and its lines every %2 ms for %3 s\n")
               .arg(options.desks.desks)
               .arg(options.desks.everyMs)
               .arg(options.desks.seconds);
    DesksFigures desks;
    const std::optional<double> invoiceFile =
        runDesks(firm->address(), options.desks, &desks, error) ? invoiceOnFile(file, error)
                                                                : std::nullopt;
    if (!invoiceFile || !firm->drop(error))
        return std::nullopt;
    const bool desksMet = reportDesks(desks, *invoiceFile, out);
    out << QObject::tr("Peak memory: %1 MB\n").arg(figure(peakMemoryMb().value_or(-1)));
    return *met && desksMet;
}

} // namespace velmora::bench
