#pragma once

#include "reportengine.h"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace velmora {

// A report engine for tests of screens: every start is recorded instead of run, and
// succeeds unless a failure has been queued for it.
class ScriptedReportEngine final : public ReportEngine
{
public:
    struct Started
    {
        QString file; // the path the engine was given
        int destination;
    };

    // The file names (without folder) of every report started so far, in order.
    QStringList fileNames() const;

    QList<Started> started;
    QQueue<reports::ReportError> failures; // each start takes the next one, while any are left

protected:
    reports::ReportError run(const QString& path, int destination) override;
};

} // namespace velmora
