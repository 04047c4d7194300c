#include "reportcommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/outputfile.h"
#include "reports/reportfolder.h"
#include "reports/reportjob.h"

#include <QFileInfo>
#include <QObject>
#include <QThread>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace velmora::cli {

namespace {

struct ReportOptions
{
    std::string file;
    std::string pdf;
    std::string csv;
    std::string database;
    std::vector<std::string> parameters;
    bool force = false;
};

// Shows the pages and rows done so far on one line of standard error at a terminal, until
// the run ends.
void waitShowingProgress(reports::ReportThread& run)
{
    const bool terminal = isatty(STDERR_FILENO);
    bool shown = false;
    while (!run.isFinished()) {
        QThread::msleep(200);
        if (!terminal)
            continue;
        const auto& counters = run.control().counters;
        std::fprintf(stderr, "\r%s",
                     qPrintable(QObject::tr("%1 pages, %2 rows read")
                                    .arg(counters.pages.load())
                                    .arg(counters.rows.load())));
        std::fflush(stderr);
        shown = true;
    }
    run.wait();
    if (shown) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }
}

// Writes the rows of `request` to the CSV file `csv`; the command's exit code.
int writeCsv(const reports::ReportRequest& request, const QString& csv, bool force)
{
    QString problem;
    if (!recoverForReading(request.databasePath, &problem))
        return fail("report", problem);
    reports::ReportControl control;
    std::int64_t rows = 0;
    const reports::ReportError error = reports::writeReportCsv(
        request, csv, {request.databasePath, {request.reportPath}, force}, control, &rows);
    if (error.number != 0)
        return fail("report", QObject::tr("Report Error %1 %2").arg(error.number).arg(error.text));
    printLine(stdout, QObject::tr("Wrote %1 rows of %2 to %3")
                          .arg(rows)
                          .arg(QFileInfo(request.reportPath).fileName(), csv));
    return 0;
}

int runReport(const ReportOptions& options)
{
    const QString file = QString::fromStdString(options.file);
    reports::ReportRequest request;
    request.reportPath = QFileInfo::exists(file) ? file : reports::reportPath(file);
    request.databasePath = databasePath(QString::fromStdString(options.database));
    for (const std::string& each : options.parameters) {
        const QString parameter = QString::fromStdString(each);
        const qsizetype equals = parameter.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return fail("report",
                        QObject::tr("--param takes NAME=VALUE, not '%1'.").arg(parameter));
        const QString name = parameter.left(equals).trimmed();
        if (request.parameters.contains(name))
            return fail("report", QObject::tr("--param %1 is given twice.").arg(name));
        request.parameters.insert(name, parameter.mid(equals + 1));
    }
    if (options.pdf.empty() == options.csv.empty())
        return fail("report", QObject::tr("Give one of --pdf and --csv."));
    if (!options.csv.empty())
        return writeCsv(request, QString::fromStdString(options.csv), options.force);
    return writeReportPdf("report", request, QString::fromStdString(options.pdf), options.force);
}

} // namespace

int writeReportPdf(const char* command, const reports::ReportRequest& request, const QString& pdf,
                   bool force)
{
    const QString refused = outputRefusal(pdf, {request.databasePath, {request.reportPath}, force});
    if (!refused.isEmpty())
        return fail(command, QObject::tr("Report Error %1 %2")
                                 .arg(int(reports::ReportError::OutputRefused))
                                 .arg(refused));
    // The file is checked as every command checks it, and a journal a killed program left
    // is rolled back, before the report reads it on a read-only connection.
    QString problem;
    if (!recoverForReading(request.databasePath, &problem))
        return fail(command, problem);

    reports::ReportWorkers workers;
    reports::ReportThread run(
        workers, request,
        std::make_unique<reports::PdfFileOutput>(
            pdf, OutputRules{request.databasePath, {request.reportPath}, force}));
    run.start();
    waitShowingProgress(run);
    const reports::ReportError error = run.error();
    if (error.number != 0)
        return fail(command, QObject::tr("Report Error %1 %2").arg(error.number).arg(error.text));
    printLine(stdout, QObject::tr("Wrote %1 to %2 (%3 pages)")
                          .arg(QFileInfo(request.reportPath).fileName(), pdf)
                          .arg(run.control().counters.pages.load()));
    return 0;
}

void addReportCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ReportOptions>();
    CLI::App* report =
        app.add_subcommand("report", "Render a report definition file from the database to PDF, "
                                     "or write its rows as CSV");
    report
        ->add_option("file", options->file,
                     "The report definition file: a path, or a name in the reports folder "
                     "(database beside the program, or $VELMORA_REPORTS_DIR)")
        ->required();
    report->add_option("--pdf", options->pdf, "The PDF file to write");
    report->add_option("--csv", options->csv,
                       "The CSV file to write the report's rows to, instead of a PDF");
    report->add_flag(
        "--force", options->force,
        "Replace the PDF or CSV file when it exists already (never the database or the "
        "report file)");
    report->add_option("--param", options->parameters,
                       "A parameter of the report as NAME=VALUE (repeatable); the others take "
                       "their defaults");
    addDatabaseOption(*report, options->database);
    report->callback([&action, options] { action = [options] { return runReport(*options); }; });
}

} // namespace velmora::cli
