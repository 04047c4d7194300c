#include "app/frmsecurity.h"
#include "data/operators.h"
#include "platform/scripteddialogs.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QApplication>
#include <QTest>

using velmora::LoginCheck;
using velmora::ScriptedDialogs;
using velmora::test::child;
using velmora::test::focusOn;
using velmora::test::TestDatabase;
using velmora::test::typeAndLeave;

namespace {

struct Screen
{
    Screen(TestDatabase& t, ScriptedDialogs& dialogs) : window(t.db(), dialogs)
    {
        userName = child<QLineEdit>(window, QStringLiteral("txtuser_name"));
        password = child<QLineEdit>(window, QStringLiteral("txtpassword"));
        level = child<QComboBox>(window, QStringLiteral("txtlevel"));
        save = child<QAction>(window, QStringLiteral("mnusave"));
    }
    bool open() { return velmora::test::activate(window); }

    velmora::frmsecurity window;
    QLineEdit* userName;
    QLineEdit* password;
    QComboBox* level;
    QAction* save;
};

LoginCheck::Result login(TestDatabase& t, const QString& name, const QString& password)
{
    return velmora::checkLogin(t.db(), name, password).result;
}

QString stored(TestDatabase& t, const char* column, const QString& name)
{
    return t
        .value(QStringLiteral("select %1 from passwords where user_name = ?")
                   .arg(QLatin1String(column)),
               {name})
        .toString();
}

} // namespace

class TestFrmSecurity : public QObject
{
    Q_OBJECT

private slots:
    void wording()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Maintain Users"));
        QCOMPARE(s.save->text(), QStringLiteral("&Save"));
        QCOMPARE(child<QAction>(s.window, QStringLiteral("mnuexit"))->text(),
                 QStringLiteral("&Exit"));
        QCOMPARE(s.password->echoMode(), QLineEdit::Normal);
        QCOMPARE(velmora::test::items(s.level),
                 (QStringList{"Data Input", "Administrator", "Boss"}));
        QCOMPARE(s.level->currentText(), QString());
        QCOMPARE(velmora::test::captions(s.window),
                 (QStringList{"User Name", "Password", "Security Level"}));
    }

    void addANewOperatorWhoCanLogIn()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QVERIFY(s.open());
        QCOMPARE(QApplication::focusWidget(), s.userName);
        typeAndLeave(s.userName, QStringLiteral("Sandra"), s.level);
        QCOMPARE(dialogs.texts(), QStringList{"New user"});
        QCOMPARE(QApplication::focusWidget(), s.password);
        s.password->setText(QStringLiteral("Secret1"));
        s.level->setCurrentIndex(2);
        dialogs.clear();
        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(stored(t, "security_level", QStringLiteral("Sandra")), QStringLiteral("Boss"));
        QVERIFY(stored(t, "Password", QStringLiteral("Sandra")).startsWith(u"$argon2id$"));
        QCOMPARE(login(t, QStringLiteral("Sandra"), QStringLiteral("Secret1")),
                 LoginCheck::Result::Accepted);
        QCOMPARE(s.userName->text(), QString());
        QCOMPARE(s.password->text(), QString());
        QCOMPARE(s.level->currentText(), QString());
    }

    void changePasswordAndLevel()
    {
        TestDatabase t;
        QString error;
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Dave"), QStringLiteral("old-one"),
                                     QStringLiteral("Data Input"), &error));
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QVERIFY(s.open());
        s.password->setText(QStringLiteral("left over"));
        typeAndLeave(s.userName, QStringLiteral("DAVE"), s.level);
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(s.password->text(), QString()); // only a hash is stored
        QCOMPARE(s.level->currentText(), QStringLiteral("Data Input"));
        QCOMPARE(QApplication::focusWidget(), s.password);

        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList{"You must supply a password"});
        QCOMPARE(QApplication::focusWidget(), s.password);
        QCOMPARE(login(t, QStringLiteral("Dave"), QStringLiteral("old-one")),
                 LoginCheck::Result::Accepted);

        dialogs.clear();
        s.password->setText(QStringLiteral("new-one"));
        s.level->setEditText(QStringLiteral("Supervisor")); // typed, not from the list
        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(t.value(QStringLiteral("select count(*) from passwords")).toInt(), 1);
        QCOMPARE(stored(t, "user_name", QStringLiteral("dave")), QStringLiteral("Dave"));
        QCOMPARE(stored(t, "security_level", QStringLiteral("Dave")), QStringLiteral("Supervisor"));
        QCOMPARE(login(t, QStringLiteral("Dave"), QStringLiteral("new-one")),
                 LoginCheck::Result::Accepted);
        QCOMPARE(login(t, QStringLiteral("Dave"), QStringLiteral("old-one")),
                 LoginCheck::Result::Refused);
    }

    void saveWithoutLeavingTheNameStillChangesTheOperator()
    {
        TestDatabase t;
        QString error;
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Dave"), QStringLiteral("old-one"),
                                     QStringLiteral("Boss"), &error));
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QVERIFY(s.open());
        s.userName->setText(QStringLiteral("Dave"));
        s.password->setText(QStringLiteral("new-one"));
        s.level->setEditText(QStringLiteral("Boss"));
        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(t.value(QStringLiteral("select count(*) from passwords")).toInt(), 1);
        QCOMPARE(login(t, QStringLiteral("Dave"), QStringLiteral("new-one")),
                 LoginCheck::Result::Accepted);
    }

    void apostropheInName()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QVERIFY(s.open());
        typeAndLeave(s.userName, QStringLiteral("O'Neil"), s.level);
        QCOMPARE(dialogs.texts(), QStringList{"New user"});
        s.password->setText(QStringLiteral("pw"));
        s.level->setCurrentIndex(0);
        s.save->trigger();
        QCOMPARE(login(t, QStringLiteral("O'Neil"), QStringLiteral("pw")),
                 LoginCheck::Result::Accepted);
        dialogs.clear();
        typeAndLeave(s.userName, QStringLiteral("o'neil"), s.level);
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(s.level->currentText(), QStringLiteral("Data Input"));
    }

    void emptyFieldsOnLeaving()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QVERIFY(s.open());
        focusOn(s.password);
        QCOMPARE(dialogs.texts(), QStringList{"You must supply a user name"});
        QCOMPARE(QApplication::focusWidget(), s.userName);

        dialogs.clear();
        typeAndLeave(s.userName, QStringLiteral("Sandra"), s.level);
        dialogs.clear();
        focusOn(s.level);
        QCOMPARE(dialogs.texts(), QStringList{"You must supply a password"});
        QCOMPARE(QApplication::focusWidget(), s.password);

        dialogs.clear();
        s.password->setText(QStringLiteral("pw"));
        focusOn(s.level);
        s.level->clearEditText();
        focusOn(s.password);
        QCOMPARE(dialogs.texts(), QStringList{"You must supply an access level"});
        QCOMPARE(QApplication::focusWidget(), s.level);
    }

    void saveChecksInOrder()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        Screen s(t, dialogs);
        QVERIFY(s.open());
        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList{"You must supply a user name"});
        dialogs.clear();
        s.userName->setText(QStringLiteral("X"));
        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList{"You must supply a password"});
        dialogs.clear();
        s.password->setText(QStringLiteral("pw"));
        s.save->trigger();
        QCOMPARE(dialogs.texts(), QStringList{"You must supply an access level"});
        QCOMPARE(QApplication::focusWidget(), s.level);
        QCOMPARE(t.value(QStringLiteral("select count(*) from passwords")).toInt(), 0);
    }

    void operatorLookUp()
    {
        TestDatabase t;
        QString error;
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Sandra"), QStringLiteral("pw"),
                                     QStringLiteral("Boss"), &error));
        const auto found = velmora::findOperator(t.db(), QStringLiteral("sANDRA"), &error);
        QVERIFY(found);
        QCOMPARE(found->userName, QStringLiteral("Sandra"));
        QCOMPARE(found->securityLevel, QStringLiteral("Boss"));
        QVERIFY(!velmora::findOperator(t.db(), QStringLiteral("Nobody"), &error));
    }
};

QTEST_MAIN(TestFrmSecurity)
#include "test_frmsecurity.moc"
