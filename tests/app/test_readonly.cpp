#include "app/boardmodel.h"
#include "app/frmlogin.h"
#include "app/frmmain.h"
#include "app/jobstatus.h"
#include "app/startup.h"
#include "cliprocess.h"
#include "data/operators.h"
#include "data/readonly.h"
#include "platform/scripteddialogs.h"
#include "reference/frmtype_table.h"
#include "reference/typetable.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAbstractItemView>
#include <QCryptographicHash>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using velmora::ScriptedDialogs;
using velmora::test::TestDatabase;
using Answer = velmora::Dialogs::Answer;

namespace {

QByteArray checksum(const QString& path)
{
    return QCryptographicHash::hash(velmora::test::contents(path), QCryptographicHash::Sha256);
}

// Root may write anything, so the tests say which paths are read-only.
velmora::WritableCheck readOnly(const QString& path)
{
    return [path](const QString& asked) { return asked != path; };
}

} // namespace

class TestReadOnly : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QSqlDatabase::removeDatabase(velmora::programConnectionName()); }

    void acceptedOfferViewsButSavesNothing()
    {
        TestDatabase database;
        QString error;
        QVERIFY2(velmora::addOperator(database.db(), QStringLiteral("Ann"), QStringLiteral("pw"),
                                      QStringLiteral("1"), &error),
                 qPrintable(error));
        database.addJob(QStringLiteral("A"), QDate::currentDate(), QStringLiteral("10:00"),
                        QStringLiteral("Mr Test"), QStringLiteral("I"),
                        database.addVehicleType(QStringLiteral("Saloon")));
        const QByteArray before = checksum(database.path());

        ScriptedDialogs dialogs;
        dialogs.answers.enqueue(Answer::Yes);
        QSqlDatabase db =
            velmora::open_database(database.path(), dialogs, readOnly(database.path()));
        QVERIFY(db.isValid() && velmora::isReadOnly(db));
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown.first().kind, ScriptedDialogs::Kind::Question);
        QVERIFY(dialogs.shown.first().text.contains(
            QStringLiteral("The file '%1' is read-only.").arg(database.path())));

        {
            // The login only reads.
            velmora::frmLogin login(db, dialogs);
            velmora::test::child<QLineEdit>(login, QStringLiteral("txtUserName"))->setText("ann");
            velmora::test::child<QLineEdit>(login, QStringLiteral("txtPassword"))->setText("pw");
            velmora::test::child<QPushButton>(login, QStringLiteral("cmdOK"))->click();
            QCOMPARE(login.result(), int(QDialog::Accepted));
            velmora::frmmain main(db, dialogs);
            QCOMPARE(main.windowTitle(), QStringLiteral("Current Jobs (read-only)"));
            const QMenuBar* bar = main.menuBar();
            QVERIFY(!velmora::test::menuEntry(bar, "&Management Functions/&Produce Invoices")
                         ->isEnabled());
            QVERIFY(velmora::test::menuEntry(bar, "&Management Functions/Jo&b Count")->isEnabled());

            // A refused change of status leaves the board showing what the file holds.
            main.start();
            auto* board = main.findChild<QAbstractItemView*>(QStringLiteral("board"));
            board->setCurrentIndex(board->model()->index(0, velmora::BoardModel::Job));
            QAction* aboard = nullptr;
            for (QAction* action : main.findChildren<QAction*>())
                aboard = action->text() == "&Passenger On Board" ? action : aboard;
            QVERIFY(velmora::test::shownBy(dialogs, aboard).contains(velmora::readOnlyRefusal()));
            QCOMPARE(main.board()->rows().front().status, QStringLiteral("I"));
        }

        dialogs.clear();
        {
            velmora::frmtype_table screen(velmora::TypeTable::vehicleTypes(), db, dialogs);
            screen.show();
            velmora::test::child<QLineEdit>(screen, QStringLiteral("txtcar_type"))
                ->setText(QStringLiteral("Estate"));
            velmora::test::child<QAction>(screen, QStringLiteral("mnusave"))->trigger();
        }
        QVERIFY2(dialogs.texts().contains(velmora::readOnlyRefusal()),
                 qPrintable(dialogs.texts().join(u'\n')));

        // A report's work table is filled on the connection alone.
        QVERIFY2(velmora::setPagingName(db, QStringLiteral("Mr Smith"), &error), qPrintable(error));
        QCOMPARE(QSqlQuery(QStringLiteral("select * from jobboard"), db).next(), true);
        QCOMPARE(database.count(QStringLiteral("select count(*) from jobboard")), 0);
        QCOMPARE(database.count(QStringLiteral("select count(*) from vehicle_types")), 1);
        db = QSqlDatabase();
        velmora::closeDatabase(velmora::programConnectionName());
        QCOMPARE(checksum(database.path()), before);
    }

    void declinedOfferEndsTheProgram_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file") << false << "The file '%1' is read-only.";
        QTest::newRow("folder") << true << "The folder '%2' that holds the database is read-only.";
    }

    void declinedOfferEndsTheProgram()
    {
        QFETCH(bool, folder);
        QFETCH(QString, reason);
        TestDatabase database;
        const QString path = database.path();
        reason.replace(QLatin1String("%1"), path).replace(QLatin1String("%2"), database.folder());
        ScriptedDialogs dialogs;
        dialogs.answers.enqueue(Answer::No);
        QCOMPARE(velmora::runFromLogin(path, dialogs, readOnly(folder ? database.folder() : path)),
                 1);
        const QStringList texts = dialogs.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts.at(0).startsWith(reason));
        QVERIFY(texts.at(0).contains(QStringLiteral("Open '%1' read-only").arg(path)));
        QVERIFY(texts.at(1).startsWith(reason));
        QCOMPARE(texts.at(2), QStringLiteral("Bugger it cocked up again"));
    }

    void cliWritesAreRefusedReadsWork()
    {
        if (QProcess::execute(QStringLiteral("setpriv"),
                              {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"), QStringLiteral("true")}) != 0)
            QSKIP("cannot run a program as an ordinary user here");
        TestDatabase database;
        const QString path = database.path();
        QFile::setPermissions(database.folder(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther);
        const QByteArray before = checksum(path);
        const auto asNobody = [&path](const QStringList& command) {
            return velmora::test::runProgram(
                QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), QStringLiteral(VELMORA_CLI)} +
                    command + QStringList{QStringLiteral("--database"), path},
                {});
        };
        const velmora::test::Outcome import =
            asNobody({QStringLiteral("import-jobs"), QStringLiteral("/nonexistent/Jobs.txt")});
        QVERIFY(import.exitCode != 0);
        QVERIFY2(import.err.contains(QStringLiteral("The file '%1' is read-only.").arg(path)),
                 qPrintable(import.err));
        const velmora::test::Outcome check = asNobody({QStringLiteral("check")});
        QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
        QVERIFY(check.out.contains(QStringLiteral("No faults found")));
        QCOMPARE(checksum(path), before);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
};

QTEST_MAIN(TestReadOnly)
#include "test_readonly.moc"
