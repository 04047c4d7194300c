// velmora-bench: times the database work of the screens on generated firms of two sizes,
// beside a baseline doing the same work through the sqlite3 C API.
#include "benchdatabase.h"
#include "cases.h"
#include "data/database.h"
#include "data/sqlitestatement.h"
#include "peakmemory.h"
#include "platform/scripteddialogs.h"
#include "report.h"
#include "serverbench.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <set>
#include <string>

namespace {

using namespace velmora;
using namespace velmora::bench;

struct Options
{
    std::int64_t jobs = 700000;
    std::int64_t smallJobs = 7000;
    int accounts = 2000;
    int drivers = 60;
    std::uint64_t seed = 1;
    int runs = 51;
    std::string cache;
    std::string output = "velmora-bench.json";
    std::vector<std::string> only;
    std::string server;
    int desks = 8;
    int seconds = 300;
};

int fail(const QString& reason)
{
    QTextStream(stderr) << "velmora-bench: " << reason << Qt::endl;
    return 2;
}

// The generated firms the cases run on, open as the program opens its file for the life
// of the object.
class Firms
{
public:
    Firms() = default;
    Firms(const Firms&) = delete;
    Firms& operator=(const Firms&) = delete;
    ~Firms()
    {
        for (Fixture& fixture : m_fixtures) {
            const QString connection = fixture.db.connectionName();
            fixture.db.close();
            fixture.db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connection);
        }
    }

    // Generates the firm of `jobs` jobs unless it is kept already, and opens it, or where
    // `copyInto` names a folder a copy of it made there, leaving the kept file as it is.
    // The kept file's path in *kept.
    bool open(const Options& options, std::int64_t jobs, QString* error,
              const QString& copyInto = {}, QString* kept = nullptr)
    {
        firm::FirmOptions firm;
        firm.accounts = options.accounts;
        firm.drivers = options.drivers;
        firm.jobs = jobs;
        firm.seed = options.seed;
        const std::optional<QString> path =
            generatedFirm(QString::fromStdString(options.cache), firm, error);
        if (!path)
            return false;
        if (kept)
            *kept = *path;
        QString opened = *path;
        if (!copyInto.isEmpty()) {
            opened = QDir(copyInto).filePath(QStringLiteral("firm.db"));
            if (!QFile::copy(*path, opened)) {
                *error = QObject::tr("The firm could not be copied to '%1'.").arg(opened);
                return false;
            }
        }
        QSqlDatabase db = openDatabase(opened, QStringLiteral("velmora-bench-%1").arg(jobs), error);
        if (!db.isValid())
            return false;
        sqlite3* handle = sqliteHandle(db);
        m_fixtures.push_back({db, handle, jobs, m_dialogs});
        if (!handle) {
            *error = QStringLiteral("The SQLite driver gives no handle for the baseline.");
            return false;
        }
        return true;
    }

    std::vector<Fixture>& fixtures() { return m_fixtures; }

private:
    ScriptedDialogs m_dialogs;
    std::vector<Fixture> m_fixtures;
};

// Runs the chosen cases on every firm, each case on all firms at once.
bool runCases(const Options& options, Firms& firms, std::vector<Result>* results, QString* error)
{
    for (const Case& benchCase : cases()) {
        const bool named = std::find(options.only.begin(), options.only.end(), benchCase.name) !=
                           options.only.end();
        if (options.only.empty() ? benchCase.onDemand : !named)
            continue;
        // The peak covers the case's set-up and runs on every firm; what earlier cases
        // left resident counts from where it stands.
        resetPeakMemory();
        std::vector<Timed> timed;
        for (Fixture& fixture : firms.fixtures()) {
            std::optional<Timed> set = benchCase.setup(fixture, error);
            if (!set) {
                *error = QStringLiteral("%1 on %2 jobs: %3")
                             .arg(QLatin1String(benchCase.name))
                             .arg(fixture.jobs)
                             .arg(*error);
                return false;
            }
            timed.push_back(std::move(*set));
        }
        const bool batch = benchCase.batchRuns > 0;
        const std::optional<std::vector<Figures>> figures =
            batch ? measure(timed, benchCase.batchRuns, error, 1)
                  : measure(timed, options.runs, error);
        if (!figures) {
            *error = QStringLiteral("%1: %2").arg(QLatin1String(benchCase.name), *error);
            return false;
        }
        const double peak = peakMemoryMb().value_or(-1);
        for (std::size_t index = 0; index < figures->size(); ++index) {
            Figures each = (*figures)[index];
            each.peakMb = peak;
            results->push_back({QString::fromLatin1(benchCase.name), firms.fixtures()[index].jobs,
                                each, benchCase.rows, benchCase.wholeTarget});
        }
    }
    return true;
}

// The large firm on a server beside the same on its file.
int runOnServer(const Options& options)
{
    QString error;
    // The cases write to the file: they work on a copy, so that the kept file stays as the
    // server's template of it was made.
    QTemporaryDir copy;
    Firms firms;
    ServerBenchOptions server;
    if (!copy.isValid() ||
        !firms.open(options, options.jobs, &error, copy.path(), &server.firmFile))
        return fail(copy.isValid() ? error : QObject::tr("No folder for the firm's copy."));
    server.server = QString::fromStdString(options.server);
    server.runs = options.runs;
    server.desks.desks = options.desks;
    server.desks.seconds = options.seconds;
    for (const std::string& name : options.only)
        server.cases.append(QString::fromStdString(name));
    QTextStream out(stdout);
    const std::optional<bool> met = runServerBench(firms.fixtures().front(), server, out, &error);
    if (!met)
        return fail(error);
    out << (*met ? "Every target met." : "Some targets were missed.") << Qt::endl;
    return *met ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The whole actions build real windows; they need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    Options options;
    options.cache = QDir(QCoreApplication::applicationDirPath())
                        .filePath(QStringLiteral("bench-cache"))
                        .toStdString();
    CLI::App app{"Times the database work of Velmora's screens on a generated firm and on a "
                 "small one, beside the same work through the sqlite3 C API"};
    app.add_option("--jobs", options.jobs, "Jobs in the large firm")
        ->capture_default_str()
        ->check(CLI::Range(std::int64_t{1}, std::int64_t{100000000}));
    app.add_option("--small-jobs", options.smallJobs,
                   "Jobs in the small firm the large one is compared with (0: none)")
        ->capture_default_str()
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{100000000}));
    app.add_option("--accounts", options.accounts, "Accounts in each firm")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    app.add_option("--drivers", options.drivers, "Drivers in each firm")
        ->capture_default_str()
        ->check(CLI::Range(1, 100000));
    app.add_option("--seed", options.seed, "Seed of the generated firms")->capture_default_str();
    app.add_option("--runs", options.runs, "Timed runs of each work, after three to warm up")
        ->capture_default_str()
        ->check(CLI::Range(1, 100000));
    app.add_option("--cache", options.cache, "Folder that keeps the generated firms")
        ->capture_default_str();
    app.add_option("--output", options.output, "JSON file for the figures")->capture_default_str();
    app.add_option("--case", options.only,
                   "Run only this case (repeatable); the cases that take long run only so. "
                   "With --server: only this screen's case, without the desks");
    app.add_option("--server", options.server,
                   "Instead of the cases on the files: the large firm on this PostgreSQL "
                   "server (postgresql://USER@HOST[:PORT]/NAME, its role allowed to create "
                   "databases), the screens' cases beside the file's and desks at work at once");
    app.add_option("--desks", options.desks, "Desks at work at once, with --server")
        ->capture_default_str()
        ->check(CLI::Range(1, 64));
    app.add_option("--seconds", options.seconds, "How long the desks work, with --server")
        ->capture_default_str()
        ->check(CLI::Range(1, 86400));
    CLI11_PARSE(app, argc, argv);
    if (!options.server.empty())
        return runOnServer(options);
    for (const std::string& name : options.only) {
        if (std::none_of(cases().begin(), cases().end(),
                         [&name](const Case& known) { return name == known.name; }))
            return fail(
                QStringLiteral("There is no case named %1.").arg(QString::fromStdString(name)));
    }

    std::set<std::int64_t, std::greater<>> sizes = {options.jobs};
    if (options.smallJobs > 0)
        sizes.insert(options.smallJobs);
    std::vector<Result> results;
    QString error;
    {
        Firms firms;
        for (const std::int64_t jobs : sizes) {
            if (!firms.open(options, jobs, &error))
                return fail(error);
        }
        if (!runCases(options, firms, &results, &error))
            return fail(error);
    }

    const Report report(std::move(results), options.runs);
    QTextStream(stdout) << report.text();
    QFile output(QString::fromStdString(options.output));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) || output.write(report.json()) < 0)
        return fail(QStringLiteral("The figures could not be written to %1.")
                        .arg(QString::fromStdString(options.output)));
    QTextStream(stdout) << "Figures written to " << output.fileName() << Qt::endl;
    return report.met() ? 0 : 1;
}
