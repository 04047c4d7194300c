#pragma once

#include "reportengine.h"
#include "reports/reportjob.h"

#include <QPointer>
#include <QSqlDatabase>
#include <QWidget>

namespace velmora {

// The program's report engine: runs the definition file in the background, on a
// connection of its own to the same database, with a progress window that can cancel it,
// and shows the report in a preview window (its first page as soon as it is laid out) or
// prints it on the default printer. With $VELMORA_PRINT_DIR set, printing writes each run
// as a new numbered PDF file in that folder instead.
class QtReportEngine final : public ReportEngine
{
public:
    // Reports read the database of `db`; their windows open over the owner a report is
    // asked for with (ReportEngine::setOwner()), else over `window`.
    explicit QtReportEngine(QSqlDatabase db, QWidget* window = nullptr);

protected:
    reports::ReportError run(const QString& path, int destination) override;

private:
    QWidget* window() const;
    reports::ReportError preview(const reports::ReportRequest& request);
    reports::ReportError print(const reports::ReportRequest& request);

    QSqlDatabase m_db;
    QPointer<QWidget> m_window;
    QString m_title; // of the report being run
    reports::ReportWorkers m_workers;
};

} // namespace velmora
