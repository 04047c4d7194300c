#include "data/database.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

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
            QVERIFY(openError(path).contains(QLatin1String("locked")));
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
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
        QVERIFY(velmora::databasePath().endsWith(QLatin1String("/database/taxi.mdb")));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
