#include "reportoutputcheck.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace velmora::reports {

namespace {

// True when both paths name the same file (through links, other spellings or hard links).
bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const std::filesystem::path first(a.toStdU16String());
    const std::filesystem::path second(b.toStdU16String());
    if (std::filesystem::equivalent(first, second, error))
        return true;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

ReportError refused(const QString& path, const QString& why)
{
    return {ReportError::OutputRefused, QStringLiteral("The report was not written to '%1': %2.")
                                            .arg(QDir::toNativeSeparators(path), why)};
}

} // namespace

ReportError checkOutputPath(const QString& path, const QString& database, const QString& reportFile,
                            bool replace)
{
    if (path.trimmed().isEmpty())
        return refused(path, QStringLiteral("no file was named"));
    for (const QString& suffix :
         {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (!database.isEmpty() && sameFile(path, database + suffix))
            return refused(path, QStringLiteral("that file is the database"));
    }
    if (!reportFile.isEmpty() && sameFile(path, reportFile))
        return refused(path, QStringLiteral("that is the report file itself"));
    const QFileInfo target(path);
    if (target.isDir())
        return refused(path, QStringLiteral("that is a folder"));
    if ((target.exists() || target.isSymLink()) && !replace)
        return refused(path, QStringLiteral("the file exists already; give --force to replace it"));
    return {};
}

} // namespace velmora::reports
