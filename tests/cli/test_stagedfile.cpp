#include "cli/newdatabase.h"
#include "cli/stagedfile.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using velmora::cli::StagedFile;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestStagedFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A build that fails part-way leaves neither the target nor its staging file.
    void failedBuildLeavesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const velmora::cli::NewDatabase target{path, QStringLiteral("Sandra"),
                                               QStringLiteral("secret")};
        QString error;
        const bool made = velmora::cli::createNewDatabase(
            target,
            [](QSqlDatabase&, QString* reason) {
                *reason = QStringLiteral("injected failure");
                return false;
            },
            &error);
        QVERIFY(!made);
        QCOMPARE(error, QStringLiteral("injected failure"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // A killed run's staging file, journal and lock go; the target appears only whole.
    void killedRunsLeftoversAreRemoved()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const QString staging = StagedFile::stagingPathFor(path);
        write(staging, "half a database");
        write(staging + QStringLiteral("-journal"), "half a journal");
        write(StagedFile::lockPathFor(path), "999999999\nvelmora-cli\n" +
                                                 QSysInfo::machineHostName().toUtf8() + '\n' +
                                                 QSysInfo::machineUniqueId() + '\n');

        const velmora::cli::NewDatabase target{path, QStringLiteral("Sandra"),
                                               QStringLiteral("secret")};
        bool seenOnlyStaging = false;
        QString error;
        const bool made = velmora::cli::createNewDatabase(
            target,
            [&](QSqlDatabase&, QString*) {
                seenOnlyStaging = !QFile::exists(path) && QFile::exists(staging);
                return true;
            },
            &error);
        QVERIFY2(made, qPrintable(error));
        QVERIFY(seenOnlyStaging);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("taxi.mdb")});
    }
};

QTEST_GUILESS_MAIN(TestStagedFile)
#include "test_stagedfile.moc"
