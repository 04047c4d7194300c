#pragma once

#include "reportengine.h"

#include <QPointer>
#include <QSqlDatabase>
#include <QWidget>

namespace velmora {

namespace reports {
struct RenderedReport;
}

// The program's report engine: runs the definition file on the database and shows the
// report in a print preview window (zoom, page through, print from it) or prints it on
// the default printer. With $VELMORA_PRINT_DIR set, printing writes each run as a new
// numbered PDF file in that folder instead.
class QtReportEngine final : public ReportEngine
{
public:
    // Reports read `db`; the preview window opens over `window`.
    explicit QtReportEngine(QSqlDatabase db, QWidget* window = nullptr);

protected:
    reports::ReportError run(const QString& path, int destination) override;

private:
    reports::ReportError preview(const reports::RenderedReport& report);
    reports::ReportError print(const reports::RenderedReport& report, const QString& path);

    QSqlDatabase m_db;
    QPointer<QWidget> m_window;
};

} // namespace velmora
