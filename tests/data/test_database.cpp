#include "data/database.h"
#include "data/fault.h"
#include "data/readonly.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Opens `path` and returns the error text, closing any connection it made.
QString openError(const QString& path)
{
    QString error;
    {
        QSqlDatabase db = velmora::openDatabase(path, QStringLiteral("probe"), &error);
        if (db.isValid())
            error.clear();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return error;
}

// Writes a raw SQLite file carrying the given header values.
void writeSqlite(const QString& path, int applicationId, int version)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("create table other (x)")));
        QVERIFY(query.exec(QStringLiteral("PRAGMA application_id = %1").arg(applicationId)));
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// Sets the schema version stored in the file at `path`.
void writeVersion(const QString& path, int version)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createThenOpen()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("database/taxi.mdb"));
        QString error;
        {
            QSqlDatabase db = velmora::createDatabase(path, QStringLiteral("new"), &error);
            QVERIFY2(db.isValid(), qPrintable(error));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("new"));
        QCOMPARE(openError(path), QString());
    }

    void createRefusesAnExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        QString error;
        QVERIFY(!velmora::createDatabase(path, QStringLiteral("again"), &error).isValid());
        QVERIFY(error.contains(QLatin1String("already exists")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }

    void openRefusesWhatItCannotUse()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nowhere/taxi.mdb"));
        QCOMPARE(openError(missing), QStringLiteral("Could not find file '%1'.").arg(missing));
        QVERIFY(!QFile::exists(missing)); // opening never creates a file

        const QString garbage = dir.filePath(QStringLiteral("garbage.mdb"));
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        QVERIFY(openError(garbage).contains(QLatin1String("cannot be read as a database")));

        const QString foreign = dir.filePath(QStringLiteral("foreign.db"));
        writeSqlite(foreign, 0, 0);
        QCOMPARE(openError(foreign),
                 QStringLiteral("The file '%1' is not a Velmora database.").arg(foreign));

        const QString newer = dir.filePath(QStringLiteral("newer.mdb"));
        writeSqlite(newer, velmora::velmoraApplicationId(), velmora::currentSchemaVersion() + 1);
        QVERIFY(openError(newer).contains(QLatin1String("newer version")));
    }

    // Each damaged or unusable file gets a message naming the file and what is wrong.
    void openNamesWhatIsWrong_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << "folder"
                                << "'%1' is a folder, not a database file.";
        QTest::newRow("missing table")
            << "drop table passwords"
            << "The database '%1' is damaged: it has no table 'passwords'.";
        QTest::newRow("missing text index") << "drop table jobs_text_data"
                                            << "it has no table 'jobs_text_data'";
        QTest::newRow("negative version")
            << "PRAGMA user_version = -3"
            << "The database '%1' carries the schema version -3, which no version";
        QTest::newRow("unknown version") << "PRAGMA user_version = 100"
                                         << "The database '%1' was written by a newer version";
    }
    void openNamesWhatIsWrong()
    {
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        if (damage == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QString error;
            {
                QSqlDatabase db = velmora::createDatabase(path, QStringLiteral("damage"), &error);
                QSqlQuery query(db);
                QVERIFY2(query.exec(damage), qPrintable(query.lastError().text()));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("damage"));
        }
        const QString error = openError(path);
        QVERIFY2(error.contains(expected.arg(path)), qPrintable(error));
    }

    void openRefusesAReadOnlyFileOrFolder()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QString error;
        velmora::createDatabase(path, QStringLiteral("ro"), &error);
        QSqlDatabase::removeDatabase(QStringLiteral("ro"));
        QFile::setPermissions(path, QFile::ReadOwner);
        QVERIFY(openError(path).contains(QStringLiteral("The file '%1' is read-only.").arg(path)));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(openError(path).contains(QLatin1String("that holds the database is read-only")));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void readOnlyOpenWritesNothingAndRefusesAnOlderSchema()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QString error;
        velmora::createDatabase(path, QStringLiteral("ro"), &error);
        QSqlDatabase::removeDatabase(QStringLiteral("ro"));
        {
            QSqlDatabase db = velmora::openDatabase(path, QStringLiteral("ro"), &error,
                                                    velmora::Access::ReadOnly);
            QVERIFY2(db.isValid() && velmora::isReadOnly(db), qPrintable(error));
            QSqlQuery query(db);
            QVERIFY(!velmora::run(query, QStringLiteral("delete from jobs"), {}, &error));
            QCOMPARE(error, velmora::readOnlyRefusal());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ro"));

        int older = velmora::currentSchemaVersion() - 1;
        while (!velmora::isKnownSchemaVersion(older))
            --older;
        writeVersion(path, older);
        {
            QSqlDatabase db = velmora::openDatabase(path, QStringLiteral("ro"), &error,
                                                    velmora::Access::ReadOnly);
            QVERIFY(!db.isValid());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ro"));
        QVERIFY2(error.contains(QLatin1String("being read-only, cannot be upgraded")),
                 qPrintable(error));
    }

    void openRefusesALockedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QString error;
        {
            QSqlDatabase holder = velmora::createDatabase(path, QStringLiteral("holder"), &error);
            QVERIFY(holder.isValid());
            holder.setConnectOptions();
            QSqlQuery lock(holder);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QCOMPARE(openError(path),
                     QStringLiteral("The database '%1' is locked: another program or another "
                                    "Velmora is using it. Close that program and try again.")
                         .arg(path));
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    }

    // A fault met while the program runs names the file and the fault once, however many
    // layers pass it on; a read-only refusal stays as it is.
    void faultsNameTheFileOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QString error;
        {
            QSqlDatabase holder = velmora::createDatabase(path, QStringLiteral("holder"), &error);
            QSqlDatabase db = velmora::openDatabase(path, QStringLiteral("desk"), &error);
            QVERIFY2(db.isValid(), qPrintable(error));
            QSqlQuery lock(holder);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QSqlQuery query(db);
            QVERIFY(!velmora::run(query, QStringLiteral("select count(*) from jobs"), {}, &error));
            const QString told =
                QStringLiteral("The database %1 met a fault: ").arg(QDir::toNativeSeparators(path));
            QVERIFY2(error.startsWith(told) && error.contains(QLatin1String("locked")),
                     qPrintable(error));
            QCOMPARE(velmora::databaseFault(db, error), error);
            QCOMPARE(velmora::databaseFault(db, velmora::readOnlyRefusal()),
                     velmora::readOnlyRefusal());
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        QSqlDatabase::removeDatabase(QStringLiteral("desk"));
    }

    void transactionRollsBackUnlessCommitted()
    {
        QTemporaryDir dir;
        QString error;
        QSqlDatabase db = velmora::createDatabase(dir.filePath(QStringLiteral("t.mdb")),
                                                  QStringLiteral("tx"), &error);
        QSqlQuery query(db);
        {
            velmora::Transaction transaction(db);
            QVERIFY(
                velmora::run(query, QStringLiteral("insert into invoice_temp values (?)"), {1}));
        }
        {
            velmora::Transaction transaction(db);
            QVERIFY(
                velmora::run(query, QStringLiteral("insert into invoice_temp values (?)"), {2}));
            QVERIFY(transaction.commit());
        }
        QVERIFY(query.exec(QStringLiteral("select invoice_no from invoice_temp")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 2);
        QVERIFY(!query.next());
        query = QSqlQuery();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("tx"));
    }

    void pathChoice()
    {
        qputenv("VELMORA_DATABASE", "/tmp/from-env.mdb");
        QCOMPARE(velmora::databasePath(QStringLiteral("/tmp/option.mdb")),
                 QStringLiteral("/tmp/option.mdb"));
        QCOMPARE(velmora::databasePath(), QStringLiteral("/tmp/from-env.mdb"));
        qunsetenv("VELMORA_DATABASE");
        // Without a database folder beside the program, as installed: the user's data folder.
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(velmora::databasePath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/velmora/taxi.mdb"));
        QStandardPaths::setTestModeEnabled(false);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
