#include "app/frmlogin.h"
#include "app/startup.h"
#include "data/operators.h"
#include "platform/scripteddialogs.h"
#include "testdatabase.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using velmora::frmLogin;
using velmora::ScriptedDialogs;
using velmora::test::TestDatabase;

namespace {

struct LoginFixture
{
    TestDatabase t;
    ScriptedDialogs dialogs;
    frmLogin window{t.db(), dialogs};

    LoginFixture()
    {
        QString error;
        if (!velmora::addOperator(t.db(), QStringLiteral("Sandra"), QStringLiteral("Cab2026"),
                                  QStringLiteral("Boss"), &error))
            qFatal("%s", qPrintable(error));
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("login window never became active");
    }

    QLineEdit* field(const char* name) { return window.findChild<QLineEdit*>(name); }

    void attempt(const QString& user, const QString& password)
    {
        field("txtUserName")->setText(user);
        field("txtPassword")->setText(password);
        QTest::mouseClick(window.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    }
};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldsAsTheOperatorSeesThem()
    {
        LoginFixture f;
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Login"));
        QCOMPARE(f.field("txtPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(f.field("txtUserName")->toolTip(), QStringLiteral("Enter Username"));
        QVERIFY(!f.field("slevel")->isVisible());
        QCOMPARE(f.window.findChild<QPushButton*>("cmdCancel")->toolTip(),
                 QStringLiteral("Press To Cancel Logon"));
    }

    void emptyNameIsAskedFor()
    {
        LoginFixture f;
        f.attempt(QString(), QStringLiteral("Cab2026"));
        QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("You must supply a username")});
        QCOMPARE(f.dialogs.shown.first().title, QStringLiteral("Velmora Application"));
        QVERIFY(f.field("txtUserName")->hasFocus());
        QVERIFY(f.window.isVisible());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("unknown name") << "Gary"
                                      << "Cab2026";
        QTest::newRow("password in another case") << "Sandra"
                                                  << "cab2026";
        QTest::newRow("empty password") << "Sandra"
                                        << "";
        QTest::newRow("apostrophe") << "O'Hara"
                                    << "x' or '1'='1";
    }
    void refusals()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        LoginFixture f;
        f.attempt(user, password);
        QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("Login Failed, try again!")});
        QLineEdit* passwordField = f.field("txtPassword");
        QVERIFY(passwordField->hasFocus());
        QCOMPARE(passwordField->selectedText(), password);
        QCOMPARE(f.window.result(), int(QDialog::Rejected));
        QVERIFY(f.window.isVisible());
    }

    void nameInAnyCaseLogsIn()
    {
        LoginFixture f;
        f.attempt(QStringLiteral("sANDRA"), QStringLiteral("Cab2026"));
        QVERIFY(f.dialogs.shown.isEmpty());
        QCOMPARE(f.window.result(), int(QDialog::Accepted));
        QCOMPARE(f.field("slevel")->text(), QStringLiteral("Boss"));
        QCOMPARE(f.window.securityLevel(), QStringLiteral("Boss"));
    }

    void cancelLeaves()
    {
        LoginFixture f;
        QTest::mouseClick(f.window.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        QCOMPARE(f.window.result(), int(QDialog::Rejected));
        QVERIFY(!f.window.isVisible());
    }

    void unusableDatabaseIsReported()
    {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        const QString missing = dir.filePath(QStringLiteral("database/taxi.mdb"));
        QVERIFY(!velmora::open_database(missing, dialogs).isValid());
        QCOMPARE(dialogs.texts(),
                 QStringList{QStringLiteral("Could not find file '%1'.").arg(missing)});
        QCOMPARE(dialogs.shown.first().kind, ScriptedDialogs::Kind::Information);

        dialogs.clear();
        QCOMPARE(velmora::runFromLogin(missing, dialogs), 1);
        QCOMPARE(dialogs.texts(),
                 (QStringList{QStringLiteral("Could not find file '%1'.").arg(missing),
                              QStringLiteral("Bugger it cocked up again")}));
        QVERIFY(!QFile::exists(missing));
    }
};

QTEST_MAIN(TestLogin)
#include "test_login.moc"
