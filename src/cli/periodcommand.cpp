#include "periodcommand.h"

#include "command.h"
#include "commandoutput.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/outputfile.h"
#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "reports/reportfolder.h"

#include <QObject>

#include <CLI/CLI.hpp>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-period";

bool writeReport(QSqlDatabase& db, const QString& fileName, const QString& pdf, bool force,
                 QString* error)
{
    reports::ReportError failure;
    const QString reportFile = reports::reportPath(fileName);
    const auto report = reports::renderReportFile(reportFile, db, &failure);
    if (report &&
        reports::writePdf(*report, pdf, {db.databaseName(), {reportFile}, force}, &failure)) {
        printLine(stdout, QObject::tr("Wrote %1 to %2").arg(fileName, pdf));
        return true;
    }
    *error = QObject::tr("Report Error %1 %2").arg(failure.number).arg(failure.text);
    return false;
}

} // namespace

void addPeriodOptions(CLI::App* command, PeriodOptions& options, const char* reportFile,
                      bool datesRequired)
{
    auto* from = command->add_option("--from", options.from, "The first day, DD/MM/YYYY");
    auto* to = command->add_option("--to", options.to, "The last day, DD/MM/YYYY");
    if (datesRequired) {
        from->required();
        to->required();
    } else {
        from->needs(to);
        to->needs(from);
    }
    command->add_option("--pdf", options.pdf,
                        std::string("Also write ") + reportFile + " to this PDF file");
    command->add_flag("--force", options.force,
                      "Replace the PDF file when it exists already (never the database or a "
                      "report file)");
    addDatabaseOption(*command, options.database);
}

int runPeriodCommand(const char* command, const PeriodOptions& options, const QString& reportFile,
                     std::optional<std::pair<QDate, QDate>> defaults, const PeriodWork& work)
{
    std::optional<QDate> from = defaults ? std::optional(defaults->first) : std::nullopt;
    std::optional<QDate> to = defaults ? std::optional(defaults->second) : std::nullopt;
    if (!options.from.empty() || !defaults) {
        from = parseUkDate(QString::fromStdString(options.from));
        to = parseUkDate(QString::fromStdString(options.to));
    }
    if (!from || !to)
        return fail(command, QObject::tr("The period's dates must be given as dd/mm/yyyy."));
    if (*to < *from)
        return fail(command, QObject::tr("The end date is before the start date."));
    const QString pdf = QString::fromStdString(options.pdf);
    const QString database = databasePath(QString::fromStdString(options.database));
    if (!pdf.isEmpty()) {
        const QString refused =
            outputRefusal(pdf, {database, {reports::reportPath(reportFile)}, options.force});
        if (!refused.isEmpty())
            return fail(command, refused);
    }
    QString error;
    bool done = false;
    {
        QSqlDatabase db = openDatabase(database, QString::fromLatin1(kConnection), &error);
        done = db.isValid() && work(db, *from, *to, &error) &&
               (pdf.isEmpty() || writeReport(db, reportFile, pdf, options.force, &error));
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    return done ? 0 : fail(command, error);
}

} // namespace velmora::cli
