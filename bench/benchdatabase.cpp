#include "benchdatabase.h"

#include "cli/terminalprogress.h"
#include "data/database.h"
#include "data/schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTextStream>

namespace velmora::bench {

namespace {

const char* const kConnection = "velmora-bench-generate";

// Generates into `path`, which must not exist; false with the reason in *error.
bool generate(const QString& path, const firm::FirmOptions& options, QString* error)
{
    bool done = false;
    {
        QSqlDatabase db = createDatabase(path, QString::fromLatin1(kConnection), error);
        if (!db.isValid())
            return false;
        // With the statistics that velmora-cli generate gathers too.
        done = firm::generateFirm(db, options, cli::terminalProgress(), error) &&
               gatherStatistics(db, error);
    }
    closeDatabase(QString::fromLatin1(kConnection));
    return done;
}

} // namespace

std::optional<QString> generatedFirm(const QString& folder, firm::FirmOptions options,
                                     QString* error)
{
    const QString name = QStringLiteral("firm-v%1-schema%6-a%2-d%3-j%4-s%5.db")
                             .arg(firm::firmGeneratorVersion())
                             .arg(options.accounts)
                             .arg(options.drivers)
                             .arg(options.jobs)
                             .arg(options.seed)
                             .arg(currentSchemaVersion());
    const QString path = QFileInfo(QDir(folder).filePath(name)).absoluteFilePath();
    if (QFileInfo::exists(path))
        return path;

    // Generated under another name first, so that an interrupted run leaves no file that
    // a later one would take as complete.
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    options.today = QDate::currentDate();
    QTextStream(stderr) << QObject::tr("Generating %1 jobs into %2 (kept for later runs)")
                               .arg(options.jobs)
                               .arg(path)
                        << Qt::endl;
    QElapsedTimer timer;
    timer.start();
    if (!generate(partial, options, error)) {
        QFile::remove(partial);
        return std::nullopt;
    }
    if (!QFile::rename(partial, path)) {
        *error = QObject::tr("The generated file could not be renamed to '%1'.").arg(path);
        return std::nullopt;
    }
    QTextStream(stderr) << QObject::tr("Generated in %1 s")
                               .arg(static_cast<double>(timer.elapsed()) / 1000.0, 0, 'f', 1)
                        << Qt::endl;
    return path;
}

} // namespace velmora::bench
