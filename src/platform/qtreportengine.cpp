#include "qtreportengine.h"

#include "reports/pagepainter.h"
#include "reports/renderer.h"
#include "reports/reportfolder.h"

#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace velmora {

using reports::ReportError;

QtReportEngine::QtReportEngine(QSqlDatabase db, QWidget* window) : m_db(db), m_window(window) {}

ReportError QtReportEngine::run(const QString& path, int destination)
{
    if (destination != Preview && destination != Printer)
        return {ReportError::BadDestination,
                QStringLiteral("The destination %1 is not known: use 0 for a preview window or 1 "
                               "for the printer.")
                    .arg(destination)};
    ReportError error;
    const auto report = reports::renderReportFile(path, m_db, &error);
    if (!report)
        return error;
    return destination == Preview ? preview(*report) : print(*report, path);
}

ReportError QtReportEngine::preview(const reports::RenderedReport& report)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.title);
    reports::applyPageLayout(report, printer);
    QPrintPreviewDialog dialog(&printer, m_window);
    dialog.setWindowTitle(QStringLiteral("%1 - Print Preview").arg(report.title));
    dialog.resize(1000, 820);
    ReportError error;
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [&report, &error](QPrinter* target) { reports::paintReport(report, *target, &error); });
    dialog.exec();
    return error;
}

ReportError QtReportEngine::print(const reports::RenderedReport& report, const QString& path)
{
    ReportError error;
    const QString folder = reports::printFolder();
    if (!folder.isEmpty()) {
        reports::writeNumberedPdf(report, folder, QFileInfo(path).fileName(), &error);
        return error;
    }
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull())
        return {ReportError::NoPrinter,
                QStringLiteral("No printer is installed, so the report '%1' was not printed. "
                               "Install a printer and make it the default, then print again.")
                    .arg(report.title)};
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(report.title);
    reports::applyPageLayout(report, printer);
    if (reports::paintReport(report, printer, &error) && printer.printerState() == QPrinter::Error)
        error = {ReportError::OutputFailed,
                 QStringLiteral("The printer '%1' failed while printing the report '%2'.")
                     .arg(destination.printerName(), report.title)};
    return error;
}

} // namespace velmora
