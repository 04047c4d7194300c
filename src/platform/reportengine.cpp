#include "reportengine.h"

#include "dialogs.h"
#include "reports/reportfolder.h"
#include "windowplace.h"

#include <QWidget>

namespace velmora {

int ReportEngine::start()
{
    m_error = run(m_file, m_destination);
    return m_error.number;
}

bool printReport(ReportEngine& engine, Dialogs& dialogs, QWidget* parent, const QString& fileName,
                 int destination)
{
    engine.setReportFile(reports::reportPath(fileName));
    engine.setDestination(destination);
    QWidget* window = parent ? parent->window() : nullptr;
    engine.setOwner(window);
    const int result = engine.start();
    engine.setOwner(nullptr);
    if (window && window->isVisible())
        bringForward(window);
    if (result == 0)
        return true;
    // The operator stopped it: nothing to report.
    if (result == reports::ReportError::Cancelled)
        return false;
    dialogs.exclamation(parent,
                        QString::number(engine.lastErrorNumber()) + QLatin1Char(' ') +
                            engine.lastErrorText(),
                        QStringLiteral("Report Error"));
    return false;
}

} // namespace velmora
