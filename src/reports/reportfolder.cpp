#include "reportfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace velmora::reports {

QString reportsFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("VELMORA_REPORTS_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QDir program(QCoreApplication::applicationDirPath());
    const QString besideProgram = program.filePath(QStringLiteral("database"));
    // An installed program (bin/velmora) has no such folder; its reports are installed
    // in share/velmora/reports under the same prefix.
    if (QFileInfo(besideProgram).isDir())
        return besideProgram;
    return QDir::cleanPath(program.filePath(QStringLiteral("../share/velmora/reports")));
}

QString reportPath(const QString& fileName) { return QDir(reportsFolder()).filePath(fileName); }

QString printFolder() { return qEnvironmentVariable("VELMORA_PRINT_DIR"); }

QString numberedPdfPath(const QString& folder, const QString& reportName, ReportError* error)
{
    const QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = {ReportError::OutputFailed,
                  QStringLiteral("The print folder '%1' cannot be created.")
                      .arg(QDir::toNativeSeparators(folder))};
        return {};
    }
    static const QRegularExpression numbered(QStringLiteral("^(\\d+)-.*\\.pdf$"));
    int highest = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch())
            highest = std::max(highest, match.captured(1).toInt());
    }
    const QString path = dir.filePath(QStringLiteral("%1-%2.pdf")
                                          .arg(highest + 1, 4, 10, QLatin1Char('0'))
                                          .arg(QFileInfo(reportName).completeBaseName()));
    return path;
}

} // namespace velmora::reports
