#include "reportjob.h"

#include "data/csvfile.h"
#include "data/sqliteguard.h"
#include "pagepainter.h"
#include "pagetotals.h"

#include <QDir>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QThread>

#include <chrono>
#include <functional>

namespace velmora::reports {

namespace {

std::atomic<int> g_connections{0};

ReportError writeFailed(const QString& path, const QString& reason)
{
    return {ReportError::OutputFailed,
            QStringLiteral("The report could not be written to '%1': %2.")
                .arg(QDir::toNativeSeparators(path), reason)};
}

// Runs `work` on the request's connection or on one opened for this run alone, watched
// by `control` and held to `definition`'s time limit.
ReportError onConnection(const ReportDefinition& definition, const ReportRequest& request,
                         ReportControl& control,
                         const std::function<ReportError(QSqlDatabase db, QueryWatch& watch)>& work)
{
    const bool own = !request.connection.isValid();
    const QString connection =
        own ? QStringLiteral("velmora-report-%1").arg(g_connections.fetch_add(1) + 1) : QString();
    ReportError error;
    {
        QString reason;
        QSqlDatabase db = own ? openReadOnlyConnection(request.databasePath, connection, &reason)
                              : request.connection;
        if (!db.isValid()) {
            error = {ReportError::NoDatabase,
                     QStringLiteral("The report cannot be run: the database '%1' cannot be "
                                    "opened: %2")
                         .arg(QDir::toNativeSeparators(request.databasePath), reason)};
        } else {
            QueryWatch watch(db);
            watch.setLimit(std::chrono::seconds(definition.timeLimit));
            control.attach(&watch);
            if (control.isCancelled())
                error = {ReportError::Cancelled, QStringLiteral("The report was cancelled.")};
            else
                error = work(db, watch);
            control.attach(nullptr);
            if (own)
                db.close();
        }
    }
    if (own)
        QSqlDatabase::removeDatabase(connection);
    return error;
}

// Runs the prepared report, handing its pages to `output`.
ReportError runOnConnection(const PreparedReport& report, const ReportRequest& request,
                            ReportOutput& output, ReportControl& control)
{
    return onConnection(
        report.definition, request, control, [&](QSqlDatabase db, QueryWatch& watch) {
            ReportError error;
            RenderedReport look = describeReport(report.definition, request.today);
            RunOptions options;
            options.today = request.today;
            options.watch = &watch;
            options.counters = &control.counters;
            if (resolveParameters(report.definition.parameters, request.parameters, request.today,
                                  report.definition.path, &options.values, &options.templateValues,
                                  &error) &&
                output.open(look, &error)) {
                const bool ran = runReport(report, db, options, &look, output.pages(), &error);
                ReportError closing;
                if (!output.close(ran, &closing) && ran)
                    error = closing;
            }
            return error;
        });
}

// Rows written as CSV to a file.
class CsvRows final : public RowSink
{
public:
    explicit CsvRows(QIODevice& out) : m_writer(out) {}
    bool write(const QStringList& cells) override
    {
        ++rows;
        return m_writer.writeRow(cells);
    }
    std::int64_t rows = -1; // the row of column names is not counted

private:
    CsvWriter m_writer;
};

} // namespace

PdfFileOutput::PdfFileOutput(const QString& path, OutputRules rules)
    : m_path(path), m_rules(std::move(rules))
{
}

PdfFileOutput::~PdfFileOutput() = default;

bool PdfFileOutput::open(const RenderedReport& look, ReportError* error)
{
    QString reason = outputRefusal(m_path, m_rules);
    if (!reason.isEmpty()) {
        *error = {ReportError::OutputRefused, reason};
        return false;
    }
    m_file = std::make_unique<OutputFile>(m_path, m_rules);
    if (!m_file->open(&reason)) {
        *error = {ReportError::OutputFailed, reason};
        return false;
    }
    m_writer = std::make_unique<QPdfWriter>(&m_file->file());
    m_writer->setResolution(kDeviceDpi);
    m_writer->setTitle(look.title);
    m_writer->setCreator(QStringLiteral("Velmora"));
    applyPageLayout(look, *m_writer);
    m_look = look;
    m_pages = std::make_unique<DevicePages>(m_look, *m_writer, true);
    return true;
}

PageSink& PdfFileOutput::pages() { return *m_pages; }

bool PdfFileOutput::close(bool complete, ReportError* error)
{
    bool ended = m_pages->end(complete);
    const int unnumbered = m_pages->numbersToStamp();
    m_pages.reset();
    m_writer.reset();
    QString reason;
    if (complete && ended && unnumbered > 0)
        ended =
            m_file->file().flush() && stampPageTotals(m_file->file(), m_look, unnumbered, &reason);
    if (complete && ended && m_file->commit(&reason))
        return true;
    if (complete)
        *error = ended ? ReportError{ReportError::OutputFailed, reason}
                       : writeFailed(m_path, m_file->file().errorString());
    // Uncommitted, the temporary file goes with the object.
    m_file.reset();
    return false;
}

DeviceOutput::DeviceOutput(QPagedPaintDevice& device) : m_device(device) {}

DeviceOutput::~DeviceOutput() = default;

bool DeviceOutput::open(const RenderedReport& look, ReportError*)
{
    m_title = look.title;
    applyPageLayout(look, m_device);
    m_pages = std::make_unique<DevicePages>(look, m_device);
    return true;
}

PageSink& DeviceOutput::pages() { return *m_pages; }

bool DeviceOutput::close(bool complete, ReportError* error)
{
    const bool ended = m_pages->end(complete);
    if (complete && !ended)
        *error = {ReportError::OutputFailed,
                  QStringLiteral("The report '%1' could not be printed.").arg(m_title)};
    return ended;
}

void ReportControl::cancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancelled.store(true);
    if (m_watch)
        m_watch->cancel();
}

void ReportControl::attach(QueryWatch* watch)
{
    QMutexLocker lock(&m_mutex);
    m_watch = watch;
    if (m_watch && m_cancelled.load())
        m_watch->cancel();
}

ReportError runReportJob(const ReportRequest& request, ReportOutput& output, ReportControl& control)
{
    ReportError error;
    auto definition = loadDefinition(request.reportPath, &error);
    if (!definition)
        return error;
    const auto prepared = prepareReport(std::move(*definition), &error);
    if (!prepared)
        return error;
    return runOnConnection(*prepared, request, output, control);
}

ReportError writeReportCsv(const ReportRequest& request, const QString& path,
                           const OutputRules& rules, ReportControl& control, std::int64_t* rows)
{
    ReportError error;
    const auto definition = loadDefinition(request.reportPath, &error);
    if (!definition)
        return error;
    return onConnection(*definition, request, control, [&](QSqlDatabase db, QueryWatch& watch) {
        ReportError failure;
        StreamInput input;
        input.db = db;
        input.today = request.today;
        input.watch = &watch;
        input.counters = &control.counters;
        if (!resolveParameters(definition->parameters, request.parameters, request.today,
                               definition->path, &input.values, &input.templateValues, &failure))
            return failure;
        OutputFile file(path, rules);
        QString reason;
        if (!file.open(&reason))
            return ReportError{ReportError::OutputRefused, reason};
        CsvRows csv(file.file());
        if (!streamRows(*definition, input, csv, &failure))
            return failure.number == ReportError::OutputFailed
                       ? writeFailed(path, file.file().errorString())
                       : failure;
        if (!file.commit(&reason))
            return writeFailed(path, reason);
        *rows = csv.rows;
        return failure;
    });
}

ReportWorkers::ReportWorkers()
{
    m_pool.setExpiryTimeout(-1);
    m_pool.setMaxThreadCount(std::max(8, QThread::idealThreadCount()));
}

ReportWorkers::~ReportWorkers() { m_pool.waitForDone(); }

ReportThread::ReportThread(ReportWorkers& workers, ReportRequest request,
                           std::unique_ptr<ReportOutput> output)
    : m_workers(workers), m_request(std::move(request)), m_output(std::move(output))
{
}

ReportThread::~ReportThread()
{
    if (m_started) {
        m_control.cancel();
        wait();
    }
}

void ReportThread::start()
{
    m_started = true;
    m_workers.m_pool.start([this, ending = m_ending] {
        ending->error = runReportJob(m_request, *m_output, m_control);
        ending->finished.store(true);
        ending->finished.notify_all();
    });
}

void ReportThread::wait()
{
    if (m_started)
        m_ending->finished.wait(false);
}

} // namespace velmora::reports
