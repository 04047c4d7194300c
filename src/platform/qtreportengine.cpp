#include "qtreportengine.h"

#include "data/databaselocation.h"
#include "data/readonly.h"
#include "data/sqliteguard.h"
#include "reportparameters.h"
#include "reportpreview.h"
#include "reportprogress.h"
#include "reports/definition.h"
#include "reports/pagepainter.h"
#include "reports/pagespool.h"
#include "reports/renderer.h"
#include "reports/reportfolder.h"
#include "reports/reportjob.h"

#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

namespace velmora {

using reports::ReportError;

namespace {

// Runs `run` to its end with the progress window over `window`; a run on the caller's
// own connection (rows written but not yet committed, or work tables of a read-only one)
// runs here and now instead.
ReportError runWithProgress(reports::ReportThread& run, const reports::ReportRequest& request,
                            const QString& title, QWidget* window)
{
    if (request.connection.isValid())
        return reports::runReportJob(request, run.output(), run.control());
    run.start();
    ReportProgress progress(run, title, window);
    progress.waitForRun();
    run.wait();
    return run.error();
}

} // namespace

QtReportEngine::QtReportEngine(QSqlDatabase db, QWidget* window) : m_db(db), m_window(window) {}

QWidget* QtReportEngine::window() const { return owner() ? owner() : m_window.data(); }

ReportError QtReportEngine::run(const QString& path, int destination)
{
    if (destination != Preview && destination != Printer)
        return {ReportError::BadDestination,
                QStringLiteral("The destination %1 is not known: use 0 for a preview window or 1 "
                               "for the printer.")
                    .arg(destination)};
    if (!m_db.isOpen())
        return {ReportError::NoDatabase,
                QStringLiteral("The report '%1' cannot be run: the database is not open.")
                    .arg(QFileInfo(path).fileName())};
    // The file is read here first, so that a missing or broken one fails before anything
    // starts, and its title names the windows.
    ReportError error;
    const auto definition = reports::loadDefinition(path, &error);
    if (!definition)
        return error;
    m_title = reports::describeReport(*definition, QDate::currentDate()).title;
    reports::ReportRequest request;
    if (!definition->parameters.empty()) {
        ReportParameters ask(m_title, definition->parameters, window());
        if (ask.exec() != QDialog::Accepted)
            return {ReportError::Cancelled, QStringLiteral("The report was cancelled.")};
        request.parameters = ask.values();
    }
    request.reportPath = path;
    request.databasePath = databaseAddress(m_db);
    // A read-only connection keeps the filled work tables to itself (openDatabase()).
    if (inTransaction(m_db) || isReadOnly(m_db))
        request.connection = m_db;
    return destination == Preview ? preview(request) : print(request);
}

ReportError QtReportEngine::preview(const reports::ReportRequest& request)
{
    auto spool = std::make_shared<reports::PageSpool>();
    reports::ReportThread run(m_workers, request, std::make_unique<reports::SpoolOutput>(spool));
    if (request.connection.isValid()) {
        const ReportError error = reports::runReportJob(request, run.output(), run.control());
        if (error.number != 0)
            return error;
    } else {
        run.start();
        ReportProgress progress(run, m_title, window(), true);
        progress.waitForRun();
        if (run.isFinished() && run.error().number != 0)
            return run.error();
    }
    ReportPreview shown(spool, run, window());
    shown.exec();
    if (!run.isFinished()) {
        // Closed before the last page: the rest is not wanted.
        run.control().cancel();
        run.wait();
        return {};
    }
    run.wait();
    return run.error().number == ReportError::Cancelled ? ReportError() : run.error();
}

ReportError QtReportEngine::print(const reports::ReportRequest& request)
{
    const QString folder = reports::printFolder();
    if (!folder.isEmpty()) {
        ReportError error;
        const QString path =
            reports::numberedPdfPath(folder, QFileInfo(request.reportPath).fileName(), &error);
        if (path.isEmpty())
            return error;
        reports::ReportThread run(
            m_workers, request,
            std::make_unique<reports::PdfFileOutput>(
                path, OutputRules{request.databasePath, {request.reportPath}, false}));
        return runWithProgress(run, request, m_title, window());
    }
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull())
        return {ReportError::NoPrinter,
                QStringLiteral("No printer is installed, so the report '%1' was not printed. "
                               "Install a printer and make it the default, then print again.")
                    .arg(m_title)};
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setResolution(reports::kDeviceDpi);
    printer.setDocName(m_title);
    reports::ReportThread run(m_workers, request, std::make_unique<reports::DeviceOutput>(printer));
    ReportError error = runWithProgress(run, request, m_title, window());
    if (error.number == 0 && printer.printerState() == QPrinter::Error)
        error = {ReportError::OutputFailed,
                 QStringLiteral("The printer '%1' failed while printing the report.")
                     .arg(destination.printerName())};
    return error;
}

} // namespace velmora
