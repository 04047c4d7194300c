#include "manualfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace velmora {

namespace {
const QString kPage = QStringLiteral("manual.md");
}

QString manualPage(const QString& folder) { return QDir(folder).filePath(kPage); }

QString manualFolder(const QString& programFolder)
{
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("VELMORA_DOCS_DIR");
    if (!fromEnvironment.isEmpty())
        candidates << fromEnvironment;
    const QDir program(programFolder);
    candidates << program.filePath(QStringLiteral("docs"))
               << QDir::cleanPath(program.filePath(QStringLiteral("../share/velmora/docs")));
    for (const QString& folder : std::as_const(candidates)) {
        if (QFileInfo(manualPage(folder)).isFile())
            return folder;
    }
    return {};
}

QString manualFolder() { return manualFolder(QCoreApplication::applicationDirPath()); }

QStringList markdownHeadings(const QString& markdown)
{
    static const QRegularExpression heading(QStringLiteral(R"(^#{1,6}[ \t]+(.*?)[ \t#]*$)"),
                                            QRegularExpression::MultilineOption);
    QStringList headings;
    bool fenced = false;
    for (const QString& line : markdown.split(u'\n')) {
        if (line.startsWith(QStringLiteral("```")))
            fenced = !fenced;
        const QRegularExpressionMatch match = heading.match(line);
        if (!fenced && match.hasMatch())
            headings << match.captured(1);
    }
    return headings;
}

} // namespace velmora
