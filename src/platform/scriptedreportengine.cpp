#include "scriptedreportengine.h"

#include <QFileInfo>

namespace velmora {

QStringList ScriptedReportEngine::fileNames() const
{
    QStringList names;
    for (const Started& report : started)
        names.append(QFileInfo(report.file).fileName());
    return names;
}

reports::ReportError ScriptedReportEngine::run(const QString& path, int destination)
{
    started.append({path, destination});
    return failures.isEmpty() ? reports::ReportError() : failures.dequeue();
}

} // namespace velmora
