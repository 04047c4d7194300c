// Every command of velmora-cli that writes a file, against every kind of target: what it
// guards (the database, its journal, a report file, links to them, a device) is refused and
// left as it was; an existing file only with --force; a full disk or a kill leaves the old
// file or nothing, and the next run removes what the killed one left.

#include "cliprocess.h"
#include "testdatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using velmora::test::TestDatabase;

namespace {

enum class Target {
    Absent,
    Existing,
    Database,
    Journal,
    OtherSpelling,
    ReportFile,
    LinkToDatabase,
    LinkToReport,
    Device
};

const QByteArray kOld = "the old file";

const QStringList kWriters = {QStringLiteral("report"), QStringLiteral("profit"),
                              QStringLiteral("export-accounts"), QStringLiteral("backup")};

// A report of several pages, larger than the file size limit below.
const char* const kReport = "[data.rows]\n"
                            "sql = '''with recursive n(x) as (select 1 union all select x + 1 "
                            "from n where x < 600) select x from n'''\n"
                            "[layout]\n"
                            "template = '''{{#rows}}<p>Row {{x}} of the report</p>{{/rows}}'''\n";

// The arguments of `writer` writing `out`.
QStringList writerArguments(const QString& writer, const QString& report, const QString& out,
                            bool force)
{
    QStringList arguments;
    if (writer == QLatin1String("report"))
        arguments = {writer, report, QStringLiteral("--pdf"), out};
    else if (writer == QLatin1String("profit"))
        arguments = {writer,
                     QStringLiteral("--from"),
                     QStringLiteral("01/01/2026"),
                     QStringLiteral("--to"),
                     QStringLiteral("31/12/2026"),
                     QStringLiteral("--pdf"),
                     out};
    else if (writer == QLatin1String("export-accounts"))
        arguments = {writer, out};
    else
        arguments = {writer, QStringLiteral("--to"), out};
    if (force)
        arguments.append(QStringLiteral("--force"));
    return arguments;
}

// A folder with a database of 300 accounts and a report file.
struct Firm
{
    Firm()
    {
        t.exec(QStringLiteral("insert into accounts (account_name, invoice_type) with recursive "
                              "n(x) as (select 1 union all select x + 1 from n where x < 300) "
                              "select 'Account ' || x, 'S' from n"));
        report = QDir(t.folder()).filePath(QStringLiteral("list.rpt"));
        QFile file(report);
        if (!file.open(QIODevice::WriteOnly) || file.write(kReport) < 0)
            qFatal("cannot write %s", qPrintable(report));
    }

    QString path(const QString& name) const { return QDir(t.folder()).filePath(name); }

    // How a run of `writer` ended; `fileBytes` limits the size of every file it writes
    // (0: none), and `killed` lets the limit kill it rather than fail its writes.
    int run(const QString& writer, const QString& out, bool force, rlim_t fileBytes = 0,
            bool killed = false)
    {
        QProcess process;
        process.setChildProcessModifier([fileBytes, killed] {
            if (fileBytes == 0)
                return;
            const rlimit limit{fileBytes, fileBytes};
            setrlimit(RLIMIT_FSIZE, &limit);
            if (!killed)
                std::signal(SIGXFSZ, SIG_IGN);
        });
        process.start(QStringLiteral(VELMORA_CLI),
                      writerArguments(writer, report, out, force) +
                          QStringList{QStringLiteral("--database"), t.path()});
        if (!process.waitForFinished(120000))
            return -2;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The temporary files writers left in the folder.
    QStringList leftovers() const
    {
        return QDir(t.folder()).entryList({QStringLiteral("*.part-*")}, QDir::Files | QDir::Hidden);
    }

    TestDatabase t;
    QString report;
};

bool isDatabase(const QString& path)
{
    return velmora::test::contents(path).startsWith(QByteArray("SQLite format 3", 15));
}

} // namespace

class TestCliWriters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void guardsWhatItMustNotWrite_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<Target>("target");
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("written");
        const struct
        {
            const char* name;
            Target target;
            bool written; // with --force where the writer has it
        } targets[] = {
            {"a new file", Target::Absent, true},
            {"an existing file", Target::Existing, true},
            {"the database", Target::Database, false},
            {"its journal", Target::Journal, false},
            {"the database by another spelling", Target::OtherSpelling, false},
            {"a report file", Target::ReportFile, false},
            {"a link to the database", Target::LinkToDatabase, false},
            {"a link to a report file", Target::LinkToReport, false},
            {"a device", Target::Device, false},
        };
        for (const QString& writer : kWriters) {
            for (const auto& target : targets) {
                // backup has no --force: it never replaces a file.
                const bool canForce = writer != QLatin1String("backup");
                const QString row =
                    writer + QStringLiteral(" onto ") + QString::fromLatin1(target.name);
                QTest::newRow(qPrintable(row))
                    << writer << target.target << false << (target.target == Target::Absent);
                if (canForce && target.target != Target::Absent)
                    QTest::newRow(qPrintable(row + QStringLiteral(" with --force")))
                        << writer << target.target << true << target.written;
            }
        }
    }

    void guardsWhatItMustNotWrite()
    {
        QFETCH(QString, writer);
        QFETCH(Target, target);
        QFETCH(bool, force);
        QFETCH(bool, written);
        Firm firm;
        QString out = firm.path(QStringLiteral("out.file"));
        switch (target) {
        case Target::Absent:
            break;
        case Target::Existing: {
            QFile file(out);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kOld) == kOld.size());
            break;
        }
        case Target::Database:
            out = firm.t.path();
            break;
        case Target::Journal:
            out = firm.t.path() + QStringLiteral("-journal");
            break;
        case Target::OtherSpelling:
            out = firm.t.folder() + QStringLiteral("/./../") +
                  QFileInfo(firm.t.folder()).fileName() + QStringLiteral("//") +
                  QFileInfo(firm.t.path()).fileName();
            break;
        case Target::ReportFile:
            out = firm.report;
            break;
        case Target::LinkToDatabase:
            QVERIFY(QFile::link(firm.t.path(), out));
            break;
        case Target::LinkToReport:
            QVERIFY(QFile::link(firm.report, out));
            break;
        case Target::Device:
            // A device of our own where that is allowed, else a pipe: neither is a file.
            if (::mknod(QFile::encodeName(out).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QCOMPARE(::mkfifo(QFile::encodeName(out).constData(), 0600), 0);
            break;
        }
        const QByteArray reportBefore = velmora::test::contents(firm.report);
        const bool existed = QFileInfo(out).isFile();
        const QByteArray before = velmora::test::contents(out);

        const int exitCode = firm.run(writer, out, force);

        QCOMPARE(exitCode, written ? 0 : 1);
        QVERIFY(isDatabase(firm.t.path()));
        QCOMPARE(velmora::test::contents(firm.report), reportBefore);
        QVERIFY(!QFile::exists(firm.t.path() + QStringLiteral("-journal")));
        QCOMPARE(firm.leftovers(), QStringList());
        if (written) {
            QVERIFY(QFileInfo(out).isFile());
            QVERIFY(QFileInfo(out).size() > kOld.size());
        } else if (target == Target::Device) {
            QVERIFY(!QFileInfo(out).isFile());
        } else if (existed) {
            QCOMPARE(velmora::test::contents(out), before);
        }
    }

    void refusesADatabaseThatIsNotOurs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        const QList<QStringList> commands = {
            {QStringLiteral("report"), QStringLiteral("vehicle.rpt"), QStringLiteral("--pdf"),
             QStringLiteral("OUT")},
            {QStringLiteral("backup")},
            {QStringLiteral("export-accounts"), QStringLiteral("OUT")},
            {QStringLiteral("check")},
            {QStringLiteral("import-jobs"), QStringLiteral("JOBS")},
        };
        for (const QStringList& command : commands) {
            const QByteArray name = command.first().toLatin1();
            QTest::addRow("%s on a pipe", name.constData())
                << command << QStringLiteral("pipe") << QStringLiteral("not an ordinary file");
            QTest::addRow("%s on a folder", name.constData())
                << command << QStringLiteral("folder") << QStringLiteral("is a folder");
            QTest::addRow("%s on an empty file", name.constData())
                << command << QStringLiteral("empty") << QStringLiteral("not a Velmora database");
        }
    }

    // Refused alike by every command, and never waiting on a pipe.
    void refusesADatabaseThatIsNotOurs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, kind);
        QFETCH(QString, says);
        Firm firm;
        const QString database = firm.path(QStringLiteral("other.mdb"));
        if (kind == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(database).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(database));
        else
            QVERIFY(QFile(database).open(QIODevice::WriteOnly));
        QFile jobs(firm.path(QStringLiteral("Jobs.txt")));
        QVERIFY(jobs.open(QIODevice::WriteOnly));
        jobs.close();
        arguments.replaceInStrings(QStringLiteral("OUT"), firm.path(QStringLiteral("out.file")));
        arguments.replaceInStrings(QStringLiteral("JOBS"), jobs.fileName());
        const velmora::test::Outcome outcome = velmora::test::runProgram(
            QStringLiteral(VELMORA_CLI),
            arguments + QStringList{QStringLiteral("--database"), database}, {});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(says) && outcome.err.contains(database),
                 qPrintable(outcome.err));
        QVERIFY(!QFileInfo::exists(firm.path(QStringLiteral("out.file"))));
    }

    // Commands that only read work while another program holds the write lock, and a
    // journal that a killed program left is rolled back before a report reads the file.
    void readsBesideAWriterAndAfterAKill_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        QTest::newRow("backup") << QStringList{QStringLiteral("backup")}
                                << QStringLiteral("The database is copied to");
        QTest::newRow("export-accounts")
            << QStringList{QStringLiteral("export-accounts"), QStringLiteral("OUT")}
            << QStringLiteral("300 records written");
        QTest::newRow("check") << QStringList{QStringLiteral("check")}
                               << QStringLiteral("write lock");
        QTest::newRow("report") << QStringList{QStringLiteral("report"), QStringLiteral("REPORT"),
                                               QStringLiteral("--pdf"), QStringLiteral("OUT")}
                                << QStringLiteral("Wrote list.rpt");
    }

    void readsBesideAWriterAndAfterAKill()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        Firm firm;
        arguments.replaceInStrings(QStringLiteral("OUT"), firm.path(QStringLiteral("out.file")));
        arguments.replaceInStrings(QStringLiteral("REPORT"), firm.report);
        const auto run = [&](const QString& database) {
            return velmora::test::runProgram(
                QStringLiteral(VELMORA_CLI),
                arguments + QStringList{QStringLiteral("--database"), database}, {});
        };
        QSqlQuery writer(firm.t.db());
        // Another program holds the write lock, its change not yet in the file.
        QVERIFY(writer.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(writer.exec(QStringLiteral("update accounts set account_name = 'Changed'")));
        const velmora::test::Outcome beside = run(firm.t.path());
        QVERIFY(writer.exec(QStringLiteral("ROLLBACK")));
        QCOMPARE(beside.exitCode, 0);
        QVERIFY2(beside.out.contains(says), qPrintable(beside.out + beside.err));

        // A writer whose changes outgrow its cache writes some of them into the file: a copy
        // of the file and its journal then is what a kill leaves.
        const QString killed = firm.path(QStringLiteral("killed.mdb"));
        QVERIFY(writer.exec(QStringLiteral("PRAGMA cache_size = 2")));
        QVERIFY(writer.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(writer.exec(QStringLiteral("update accounts set account_name = 'Changed'")));
        QVERIFY(QFile::copy(firm.t.path(), killed));
        QVERIFY(QFile::copy(firm.t.path() + QStringLiteral("-journal"),
                            killed + QStringLiteral("-journal")));
        QVERIFY(writer.exec(QStringLiteral("ROLLBACK")));
        QFile::remove(firm.path(QStringLiteral("out.file")));
        const velmora::test::Outcome after = run(killed);
        QVERIFY2(after.exitCode == 0, qPrintable(after.out + after.err));
        QVERIFY(!QFile::exists(killed + QStringLiteral("-journal")));
        velmora::test::OpenedDatabase opened(killed);
        QCOMPARE(opened
                     .value(QStringLiteral("select count(*) from accounts where account_name = "
                                           "'Changed'"))
                     .toInt(),
                 0);
    }

    void leavesTheOldFileOrNothing_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<bool>("killed");
        QTest::addColumn<bool>("existing");
        for (const QString& writer : kWriters) {
            for (const bool killed : {false, true}) {
                for (const bool existing : {false, true}) {
                    if (existing && writer == QLatin1String("backup"))
                        continue; // it never replaces a file
                    const QString row =
                        writer +
                        (killed ? QStringLiteral(" killed") : QStringLiteral(" on a full disk")) +
                        (existing ? QStringLiteral(" onto an existing file")
                                  : QStringLiteral(" onto a new file"));
                    QTest::newRow(qPrintable(row)) << writer << killed << existing;
                }
            }
        }
    }

    // A full disk is a limit on the size of the files the program writes, which every
    // machine allows; the same limit kills the program when it is not told to ignore it.
    void leavesTheOldFileOrNothing()
    {
        QFETCH(QString, writer);
        QFETCH(bool, killed);
        QFETCH(bool, existing);
        Firm firm;
        const QString out = firm.path(QStringLiteral("out.file"));
        if (existing) {
            QFile file(out);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kOld) == kOld.size());
        }
        const int exitCode = firm.run(writer, out, existing, 16 * 1024, killed);

        QVERIFY2(killed ? exitCode == -1 : exitCode == 1, qPrintable(QString::number(exitCode)));
        QVERIFY(isDatabase(firm.t.path()));
        if (existing)
            QCOMPARE(velmora::test::contents(out), kOld);
        else
            QVERIFY(!QFileInfo::exists(out));
        if (!killed)
            QCOMPARE(firm.leftovers(), QStringList());
        // The next run removes what a killed one left.
        QCOMPARE(firm.run(writer, out, existing), 0);
        QCOMPARE(firm.leftovers(), QStringList());
        QVERIFY(QFileInfo(out).size() > kOld.size());
    }
};

QTEST_GUILESS_MAIN(TestCliWriters)
#include "test_cli_writers.moc"
