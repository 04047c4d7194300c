#include "app/jobstatus.h"
#include "cases.h"
#include "plainpages.h"
#include "platform/reportpreview.h"
#include "platform/reportprogress.h"
#include "reports/pagespool.h"
#include "reports/reportfolder.h"
#include "reports/reportjob.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace velmora::bench {

namespace {

// What the runs of a report case share: the request, the baseline's queries and where the
// files go, and what the last run of the report made, which the baseline matches.
struct ReportCase
{
    reports::ReportRequest request;
    QString title;
    std::optional<PlainPages> plain;
    QTemporaryDir folder;
    reports::ReportWorkers workers; // as the program's, kept from run to run
    int pages = 0;
    std::int64_t rows = -1;
    // The first page case's last run, cancelled once its first page was there; the reset
    // before the next run waits for it to end.
    std::unique_ptr<reports::ReportThread> run;
    std::shared_ptr<reports::PageSpool> spool;
};

// The report `file` from the reports folder, run on the fixture's file for today with
// `parameters`, and its baseline's queries prepared on the same file.
std::shared_ptr<ReportCase> prepareCase(Fixture& fixture, const QString& file,
                                        const QMap<QString, QString>& parameters, QString* error)
{
    auto state = std::make_shared<ReportCase>();
    if (!state->folder.isValid()) {
        *error = state->folder.errorString();
        return nullptr;
    }
    state->request.reportPath = reports::reportPath(file);
    state->request.databasePath = fixture.db.databaseName();
    state->request.parameters = parameters;
    reports::ReportError refused;
    const auto definition = reports::loadDefinition(state->request.reportPath, &refused);
    if (!definition) {
        *error = refused.text;
        return nullptr;
    }
    state->title = definition->title;
    state->plain =
        PlainPages::prepare(fixture.handle, *definition, parameters, state->request.today, error);
    return state->plain ? state : nullptr;
}

// The report to PDF, as `velmora-cli report FILE --pdf` writes it, beside the same rows
// drawn as plain lines on as many pages.
std::optional<Timed> setUpPdf(Fixture& fixture, const QString& file,
                              const QMap<QString, QString>& parameters, QString* error)
{
    const std::shared_ptr<ReportCase> state = prepareCase(fixture, file, parameters, error);
    if (!state)
        return std::nullopt;
    Timed timed;
    timed.ours = [state](QString* reason) {
        reports::ReportThread run(state->workers, state->request,
                                  std::make_unique<reports::PdfFileOutput>(
                                      state->folder.filePath(QStringLiteral("report.pdf")),
                                      OutputRules{state->request.databasePath, {}, true}));
        run.start();
        run.wait();
        if (run.error().number != 0) {
            *reason = run.error().text;
            return false;
        }
        // A page fitted to the paper is not counted as laid out.
        state->pages = std::max(1, run.control().counters.pages.load());
        state->rows = run.control().counters.rows.load();
        return true;
    };
    timed.baseline = [state](QString* reason) {
        if (state->rows < 0) {
            *reason = QObject::tr("The baseline runs after the report, whose pages it matches.");
            return false;
        }
        const std::int64_t perPage = (state->rows + state->pages - 1) / state->pages;
        std::int64_t rows = 0;
        if (!state->plain->write(state->folder.filePath(QStringLiteral("baseline.pdf")), perPage,
                                 state->pages, -1, &rows, reason))
            return false;
        if (rows != state->rows) {
            *reason = QObject::tr("The report read %1 rows and its baseline %2.")
                          .arg(state->rows)
                          .arg(rows);
            return false;
        }
        return true;
    };
    return timed;
}

// The last whole month before the newest job's, as the drivers' report's period.
std::optional<QString> lastWholeMonth(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select max(date) from jobs")) || !query.next() ||
        query.isNull(0)) {
        *error = QObject::tr("The firm has no jobs to choose a month from.");
        return std::nullopt;
    }
    const QDate newest = QDate::fromString(query.value(0).toString().left(10), Qt::ISODate);
    const QDate first = QDate(newest.year(), newest.month(), 1).addMonths(-1);
    return first.toString(Qt::ISODate) + QStringLiteral("..") +
           first.addMonths(1).addDays(-1).toString(Qt::ISODate);
}

// Waits until the run has its first page in the spool or has ended; true with the page.
bool firstPage(ReportCase& state, QString* error)
{
    while (state.spool->pageCount() < 1 && !state.run->isFinished())
        QThread::usleep(100);
    if (!state.spool->page(0)) {
        state.run->wait();
        *error = state.run->error().number != 0 ? state.run->error().text
                                                : QObject::tr("The report has no page.");
        return false;
    }
    return true;
}

// Puts the newest job's passenger on an empty paging board, as the board screen does
// before it prints; the file keeps the name.
bool fillBoard(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select count(*) from jobboard")) || !query.next()) {
        *error = query.lastError().text();
        return false;
    }
    if (query.value(0).toLongLong() > 0)
        return true;
    if (!query.exec(QStringLiteral(
            "select passenger_name from jobs order by date desc, job_id desc limit 1")) ||
        !query.next()) {
        *error = QObject::tr("The firm has no job whose passenger could go on the board.");
        return false;
    }
    return setPagingName(db, query.value(0).toString(), error);
}

void startPreviewRun(ReportCase& state)
{
    state.spool = std::make_shared<reports::PageSpool>();
    state.run = std::make_unique<reports::ReportThread>(
        state.workers, state.request, std::make_unique<reports::SpoolOutput>(state.spool));
    state.run->start();
}

} // namespace

std::optional<Timed> setUpReportBoard(Fixture& fixture, QString* error)
{
    if (!fillBoard(fixture.db, error))
        return std::nullopt;
    return setUpPdf(fixture, QStringLiteral("pageboard.rpt"), {}, error);
}

std::optional<Timed> setUpReportVehicles(Fixture& fixture, QString* error)
{
    return setUpPdf(fixture, QStringLiteral("vehicle.rpt"), {}, error);
}

std::optional<Timed> setUpReportDriversMonth(Fixture& fixture, QString* error)
{
    const std::optional<QString> month = lastWholeMonth(fixture.db, error);
    if (!month)
        return std::nullopt;
    return setUpPdf(fixture, QStringLiteral("drivers.rpt"), {{QStringLiteral("period"), *month}},
                    error);
}

std::optional<Timed> setUpReportDriversAll(Fixture& fixture, QString* error)
{
    return setUpPdf(fixture, QStringLiteral("drivers.rpt"),
                    {{QStringLiteral("period"), QStringLiteral("all")}}, error);
}

std::optional<Timed> setUpReportDriverIncome(Fixture& fixture, QString* error)
{
    return setUpPdf(fixture, QStringLiteral("driverearn.rpt"), {}, error);
}

std::optional<Timed> setUpReportAgedDebt(Fixture& fixture, QString* error)
{
    return setUpPdf(fixture, QStringLiteral("ageddebt.rpt"), {}, error);
}

std::optional<Timed> setUpReportFirstPage(Fixture& fixture, QString* error)
{
    const std::shared_ptr<ReportCase> state =
        prepareCase(fixture, QStringLiteral("drivers.rpt"),
                    {{QStringLiteral("period"), QStringLiteral("all")}}, error);
    if (!state)
        return std::nullopt;
    Timed timed;
    // Ours: the run into the preview's page spool until its first page can be read back.
    timed.ours = [state](QString* reason) {
        startPreviewRun(*state);
        if (!firstPage(*state, reason))
            return false;
        state->rows = state->run->control().counters.rows.load();
        state->run->control().cancel();
        return true;
    };
    // The rows the report had read by then, drawn on one page.
    timed.baseline = [state](QString* reason) {
        if (state->rows < 0) {
            *reason = QObject::tr("The baseline runs after the report, whose rows it matches.");
            return false;
        }
        std::int64_t rows = 0;
        return state->plain->write(state->folder.filePath(QStringLiteral("baseline.pdf")),
                                   state->rows, 1, state->rows, &rows, reason);
    };
    // The whole action: as "Preview" runs it, the progress window waiting for the first
    // page, then the preview built, which paints that page (the window is not shown).
    timed.whole = [state](QString* reason) {
        startPreviewRun(*state);
        {
            ReportProgress progress(*state->run, state->title, nullptr, true);
            progress.waitForRun();
        }
        if (!firstPage(*state, reason))
            return false;
        const ReportPreview preview(state->spool, *state->run, nullptr);
        state->run->control().cancel();
        if (preview.currentPage() != 0) {
            *reason = QObject::tr("The preview did not show the first page.");
            return false;
        }
        return true;
    };
    // The cancelled run of the time before ends untimed.
    timed.reset = [state](QString*) {
        state->run.reset();
        state->spool.reset();
        return true;
    };
    return timed;
}

} // namespace velmora::bench
