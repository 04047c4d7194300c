#pragma once

#include "reports/reporterror.h"

#include <QString>

class QWidget;

namespace velmora {

class Dialogs;

// The report engine every screen prints through: it is told a report definition file and
// a destination, and started. The program runs reports for real; tests record them.
class ReportEngine
{
public:
    static constexpr int Preview = 0; // a preview window on the screen
    static constexpr int Printer = 1; // the default printer

    virtual ~ReportEngine() = default;

    void setReportFile(const QString& path) { m_file = path; }
    QString reportFile() const { return m_file; }
    void setDestination(int destination) { m_destination = destination; }
    int destination() const { return m_destination; }
    // The window that asks for the report: its preview and progress windows are owned by
    // it. None: the engine's own window.
    void setOwner(QWidget* window) { m_owner = window; }
    QWidget* owner() const { return m_owner; }

    // Produces the report file to the destination. Returns 0 on success; otherwise the
    // error number, which lastErrorNumber() and lastErrorText() keep until the next start.
    int start();
    int lastErrorNumber() const { return m_error.number; }
    QString lastErrorText() const { return m_error.text; }

protected:
    // Produces the report at `path` to `destination`; an error numbered 0 on success.
    virtual reports::ReportError run(const QString& path, int destination) = 0;

private:
    QString m_file;
    int m_destination = Preview;
    QWidget* m_owner = nullptr;
    reports::ReportError m_error;
};

// Prints the report `fileName` from the reports folder to `destination` (Preview or
// Printer) through `engine`, its windows owned by the window of `parent`, which is in
// front again afterwards. On failure shows the engine's error number, one blank and
// its text in an exclamation box titled "Report Error" over `parent`, and returns false;
// a report the operator cancelled returns false without a box.
bool printReport(ReportEngine& engine, Dialogs& dialogs, QWidget* parent, const QString& fileName,
                 int destination);

} // namespace velmora
