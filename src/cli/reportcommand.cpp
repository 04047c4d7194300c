#include "reportcommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "reports/reportfolder.h"

#include <QFileInfo>
#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-report";

struct ReportOptions
{
    std::string file;
    std::string pdf;
    std::string database;
};

// Opens the database, renders the report and writes the PDF; the connection is gone again
// when it returns.
bool writeReport(const QString& databaseFile, const QString& reportFile, const QString& pdf,
                 QString* error)
{
    bool written = false;
    {
        QSqlDatabase db = openDatabase(databaseFile, QString::fromLatin1(kConnection), error);
        if (!db.isValid())
            return false;
        reports::ReportError failure;
        const auto report = reports::renderReportFile(reportFile, db, &failure);
        written = report && reports::writePdf(*report, pdf, &failure);
        if (!written)
            *error = QObject::tr("Report Error %1 %2").arg(failure.number).arg(failure.text);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    return written;
}

int runReport(const ReportOptions& options)
{
    const QString file = QString::fromStdString(options.file);
    const QString reportFile = QFileInfo::exists(file) ? file : reports::reportPath(file);
    const QString pdf = QString::fromStdString(options.pdf);
    QString error;
    if (!writeReport(databasePath(QString::fromStdString(options.database)), reportFile, pdf,
                     &error))
        return fail("report", error);
    printLine(stdout, QObject::tr("Wrote %1 to %2").arg(QFileInfo(reportFile).fileName(), pdf));
    return 0;
}

} // namespace

void addReportCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ReportOptions>();
    CLI::App* report =
        app.add_subcommand("report", "Render a report definition file from the database to PDF");
    report
        ->add_option("file", options->file,
                     "The report definition file: a path, or a name in the reports folder "
                     "(database beside the program, or $VELMORA_REPORTS_DIR)")
        ->required();
    report->add_option("--pdf", options->pdf, "The PDF file to write")->required();
    report->add_option("--database", options->database,
                       "The database file (default: $VELMORA_DATABASE, else "
                       "database/taxi.mdb beside the program)");
    report->callback([&action, options] { action = [options] { return runReport(*options); }; });
}

} // namespace velmora::cli
