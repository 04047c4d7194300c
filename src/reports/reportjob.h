#pragma once

#include "data/outputfile.h"
#include "renderer.h"
#include "reporterror.h"
#include "reportstream.h"

#include <QDate>
#include <QMap>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPdfWriter;

namespace velmora {
class QueryWatch;
}

namespace velmora::reports {

class DevicePages;
class PageSink;

// Where a report's pages go: opened once the look of the pages is known, given every page,
// and closed whole (complete) or abandoned. `look` stays valid until close() and has the
// firm's name filled in before the first page.
class ReportOutput
{
public:
    virtual ~ReportOutput() = default;
    virtual bool open(const RenderedReport& look, ReportError* error) = 0;
    virtual PageSink& pages() = 0;
    // Completes the output when `complete`, else throws away what was written.
    virtual bool close(bool complete, ReportError* error) = 0;
};

// A PDF file written page by page into a temporary file beside `path`, which takes its
// place only when the report is complete: a failed or cancelled report leaves no file.
// `rules` say what the file may not replace (OutputRefused).
class PdfFileOutput final : public ReportOutput
{
public:
    PdfFileOutput(const QString& path, OutputRules rules);
    ~PdfFileOutput() override;
    bool open(const RenderedReport& look, ReportError* error) override;
    PageSink& pages() override;
    bool close(bool complete, ReportError* error) override;

private:
    QString m_path;
    OutputRules m_rules;
    std::unique_ptr<OutputFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<DevicePages> m_pages;
    RenderedReport m_look;
};

// A printer or other paged device whose pages are painted as they are laid out.
class DeviceOutput final : public ReportOutput
{
public:
    explicit DeviceOutput(QPagedPaintDevice& device);
    ~DeviceOutput() override;
    bool open(const RenderedReport& look, ReportError* error) override;
    PageSink& pages() override;
    bool close(bool complete, ReportError* error) override;

private:
    QPagedPaintDevice& m_device;
    std::unique_ptr<DevicePages> m_pages;
    QString m_title;
};

// Shared between a running report and whoever watches it: what has been done so far, and
// the means to stop it, from any thread.
class ReportControl
{
public:
    StreamCounters counters;

    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

    // Set by the run for the connection it works on; the watch then hears cancel().
    void attach(QueryWatch* watch);

private:
    QMutex m_mutex;
    QueryWatch* m_watch = nullptr;
    std::atomic<bool> m_cancelled{false};
};

// One report to run: its file, the database file it reads (opened again, read-only, for
// the run), the day it runs for and the parameter values by name (as text; those left out
// take their defaults).
struct ReportRequest
{
    QString reportPath;
    QString databasePath;
    // When valid, the run uses this connection instead of its own (and must then run in the
    // connection's thread): for a caller that has written rows it has not committed yet.
    QSqlDatabase connection;
    QDate today = QDate::currentDate();
    QMap<QString, QString> parameters;
};

// Runs `request` in the calling thread on a connection of its own, handing pages to
// `output`; `output` is opened once the report's look is known and closed complete only
// when every page is out. The error is numbered 0 on success.
ReportError runReportJob(const ReportRequest& request, ReportOutput& output,
                         ReportControl& control);

// Runs `request` in the calling thread on a connection of its own, writing the report's
// rows (see streamRows) as CSV to the file `path` under `rules`, which is there only once
// complete; *rows gets the rows written. The error is numbered 0 on success.
ReportError writeReportCsv(const ReportRequest& request, const QString& path,
                           const OutputRules& rules, ReportControl& control, std::int64_t* rows);

// The threads reports run on. A thread is kept for the next run once its run has ended, so
// that the fonts a run loads and the glyphs it shapes are ready for the next; up to eight
// runs at the same time (more on a larger machine) each have a thread, and further ones
// wait for one. Outlives the runs started on it.
class ReportWorkers
{
public:
    ReportWorkers();
    ~ReportWorkers(); // waits for runs still going

private:
    friend class ReportThread;
    QThreadPool m_pool;
};

// Runs a report job on one of `workers`' threads.
class ReportThread
{
public:
    ReportThread(ReportWorkers& workers, ReportRequest request,
                 std::unique_ptr<ReportOutput> output);
    ~ReportThread(); // cancels a run still going and waits for it

    void start();
    bool isFinished() const { return m_ending->finished.load(); }
    // Blocks until the run has ended.
    void wait();
    ReportControl& control() { return m_control; }
    // The run's error once it is finished (numbered 0 on success).
    ReportError error() const { return m_ending->error; }
    ReportOutput& output() { return *m_output; }

private:
    ReportWorkers& m_workers;
    ReportRequest m_request;
    std::unique_ptr<ReportOutput> m_output;
    ReportControl m_control;
    // How the run ended, shared with the worker, which still signals it once this is gone.
    struct Ending
    {
        ReportError error;
        std::atomic<bool> finished{false};
    };
    std::shared_ptr<Ending> m_ending = std::make_shared<Ending>();
    bool m_started = false;
};

} // namespace velmora::reports
