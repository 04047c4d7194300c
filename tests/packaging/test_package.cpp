#include "cliprocess.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using velmora::test::Outcome;
using velmora::test::runProgram;

class TestPackage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void holdsTheProgramsReportsAndDesktopEntry()
    {
        const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
        if (dpkgDeb.isEmpty())
            QSKIP("dpkg-deb is not installed");
        QTemporaryDir out;
        const Outcome made = runProgram(
            QStringLiteral(VELMORA_CPACK),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path(),
             QStringLiteral("--config"),
             QDir(QStringLiteral(VELMORA_BUILD_DIR)).filePath(QStringLiteral("CPackConfig.cmake"))},
            {});
        QVERIFY2(made.exitCode == 0, qPrintable(made.out + made.err));
        const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        const QString deb = QDir(out.path()).filePath(debs.first());

        const Outcome listed = runProgram(dpkgDeb, {QStringLiteral("-c"), deb}, {});
        QCOMPARE(listed.exitCode, 0);
        for (const char* file :
             {"./usr/bin/velmora", "./usr/bin/velmora-cli",
              "./usr/share/velmora/reports/pageboard.rpt", "./usr/share/velmora/reports/README.md",
              "./usr/share/velmora/docs/manual.md",
              "./usr/share/velmora/docs/pictures/frmaccount_ledger.png",
              "./usr/share/applications/velmora.desktop",
              "./usr/share/icons/hicolor/scalable/apps/velmora.svg"})
            QVERIFY2(listed.out.contains(QLatin1String(file)), file);

        const Outcome depends =
            runProgram(dpkgDeb, {QStringLiteral("-f"), deb, QStringLiteral("Depends")}, {});
        for (const char* library :
             {"libqt6widgets6", "libqt6sql6-sqlite", "libsodium", "libsqlite3"})
            QVERIFY2(depends.out.contains(QLatin1String(library)), qPrintable(depends.out));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
