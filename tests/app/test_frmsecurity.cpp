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
using velmora::test::texts;
using velmora::test::typeAndLeave;

namespace {

// The operator screen on its own test database.
struct Screen
{
    bool open() { return velmora::test::activate(window); }
    // Records an operator directly.
    bool addOperator(const QString& name, const QString& password, const QString& level)
    {
        QString error;
        return velmora::addOperator(t.db(), name, password, level, &error);
    }
    // Forgets the boxes shown so far, saves and gives the boxes the save showed.
    QStringList saving() { return velmora::test::shownBy(dialogs, save); }
    // Whether `name` logs in with `password`.
    bool logsIn(const QString& name, const QString& password)
    {
        return velmora::checkLogin(t.db(), name, password).result == LoginCheck::Result::Accepted;
    }
    QString stored(const char* column, const QString& name)
    {
        return t
            .value(QStringLiteral("select %1 from passwords where user_name = ?")
                       .arg(QLatin1String(column)),
                   {name})
            .toString();
    }
    qlonglong operators() { return t.count(QStringLiteral("select count(*) from passwords")); }

    TestDatabase t;
    ScriptedDialogs dialogs;
    velmora::frmsecurity window{t.db(), dialogs};
    QLineEdit* userName = child<QLineEdit>(window, QStringLiteral("txtuser_name"));
    QLineEdit* password = child<QLineEdit>(window, QStringLiteral("txtpassword"));
    QComboBox* level = child<QComboBox>(window, QStringLiteral("txtlevel"));
    QAction* save = child<QAction>(window, QStringLiteral("mnusave"));
};

} // namespace

class TestFrmSecurity : public QObject
{
    Q_OBJECT

private slots:
    void wording()
    {
        Screen s;
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
        Screen s;
        QVERIFY(s.open());
        QCOMPARE(QApplication::focusWidget(), s.userName);
        typeAndLeave(s.userName, QStringLiteral("Sandra"), s.level);
        QCOMPARE(s.dialogs.texts(), QStringList{"New user"});
        QCOMPARE(QApplication::focusWidget(), s.password);
        s.password->setText(QStringLiteral("Secret1"));
        s.level->setCurrentIndex(2);
        QCOMPARE(s.saving(), QStringList());
        QCOMPARE(s.stored("security_level", QStringLiteral("Sandra")), QStringLiteral("Boss"));
        QVERIFY(s.stored("Password", QStringLiteral("Sandra")).startsWith(u"$argon2id$"));
        QVERIFY(s.logsIn(QStringLiteral("Sandra"), QStringLiteral("Secret1")));
        QCOMPARE(texts({s.userName, s.password, s.level}), QStringLiteral("||"));
    }

    void changePasswordAndLevel()
    {
        Screen s;
        QVERIFY(s.addOperator(QStringLiteral("Dave"), QStringLiteral("old-one"),
                              QStringLiteral("Data Input")));
        QVERIFY(s.open());
        s.password->setText(QStringLiteral("left over"));
        typeAndLeave(s.userName, QStringLiteral("DAVE"), s.level);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.password->text(), QString()); // only a hash is stored
        QCOMPARE(s.level->currentText(), QStringLiteral("Data Input"));
        QCOMPARE(QApplication::focusWidget(), s.password);

        QCOMPARE(s.saving(), QStringList{"You must supply a password"});
        QCOMPARE(QApplication::focusWidget(), s.password);
        QVERIFY(s.logsIn(QStringLiteral("Dave"), QStringLiteral("old-one")));

        s.password->setText(QStringLiteral("new-one"));
        s.level->setEditText(QStringLiteral("Supervisor")); // typed, not from the list
        QCOMPARE(s.saving(), QStringList());
        QCOMPARE(s.operators(), 1);
        QCOMPARE(s.stored("user_name", QStringLiteral("dave")), QStringLiteral("Dave"));
        QCOMPARE(s.stored("security_level", QStringLiteral("Dave")), QStringLiteral("Supervisor"));
        QVERIFY(s.logsIn(QStringLiteral("Dave"), QStringLiteral("new-one")));
        QVERIFY(!s.logsIn(QStringLiteral("Dave"), QStringLiteral("old-one")));
    }

    void saveWithoutLeavingTheNameStillChangesTheOperator()
    {
        Screen s;
        QVERIFY(s.addOperator(QStringLiteral("Dave"), QStringLiteral("old-one"),
                              QStringLiteral("Boss")));
        QVERIFY(s.open());
        s.userName->setText(QStringLiteral("Dave"));
        s.password->setText(QStringLiteral("new-one"));
        s.level->setEditText(QStringLiteral("Boss"));
        s.save->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.operators(), 1);
        QVERIFY(s.logsIn(QStringLiteral("Dave"), QStringLiteral("new-one")));
    }

    void apostropheInName()
    {
        Screen s;
        QVERIFY(s.open());
        typeAndLeave(s.userName, QStringLiteral("O'Neil"), s.level);
        QCOMPARE(s.dialogs.texts(), QStringList{"New user"});
        s.password->setText(QStringLiteral("pw"));
        s.level->setCurrentIndex(0);
        s.save->trigger();
        QVERIFY(s.logsIn(QStringLiteral("O'Neil"), QStringLiteral("pw")));
        s.dialogs.clear();
        typeAndLeave(s.userName, QStringLiteral("o'neil"), s.level);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.level->currentText(), QStringLiteral("Data Input"));
    }

    void emptyFieldsOnLeaving()
    {
        Screen s;
        QVERIFY(s.open());
        focusOn(s.password);
        QCOMPARE(s.dialogs.texts(), QStringList{"You must supply a user name"});
        QCOMPARE(QApplication::focusWidget(), s.userName);

        s.dialogs.clear();
        typeAndLeave(s.userName, QStringLiteral("Sandra"), s.level);
        s.dialogs.clear();
        focusOn(s.level);
        QCOMPARE(s.dialogs.texts(), QStringList{"You must supply a password"});
        QCOMPARE(QApplication::focusWidget(), s.password);

        s.dialogs.clear();
        s.password->setText(QStringLiteral("pw"));
        focusOn(s.level);
        s.level->clearEditText();
        focusOn(s.password);
        QCOMPARE(s.dialogs.texts(), QStringList{"You must supply an access level"});
        QCOMPARE(QApplication::focusWidget(), s.level);
    }

    void saveChecksInOrder()
    {
        Screen s;
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.saving(), QStringList{"You must supply a user name"});
        s.userName->setText(QStringLiteral("X"));
        QCOMPARE(s.saving(), QStringList{"You must supply a password"});
        s.password->setText(QStringLiteral("pw"));
        QCOMPARE(s.saving(), QStringList{"You must supply an access level"});
        QCOMPARE(QApplication::focusWidget(), s.level);
        QCOMPARE(s.operators(), 0);
    }

    void operatorLookUp()
    {
        Screen s;
        QString error;
        QVERIFY(
            s.addOperator(QStringLiteral("Sandra"), QStringLiteral("pw"), QStringLiteral("Boss")));
        const auto found = velmora::findOperator(s.t.db(), QStringLiteral("sANDRA"), &error);
        QVERIFY(found);
        QCOMPARE(found->userName, QStringLiteral("Sandra"));
        QCOMPARE(found->securityLevel, QStringLiteral("Boss"));
        QVERIFY(!velmora::findOperator(s.t.db(), QStringLiteral("Nobody"), &error));
    }
};

QTEST_MAIN(TestFrmSecurity)
#include "test_frmsecurity.moc"
