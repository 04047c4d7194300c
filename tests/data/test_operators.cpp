#include "data/operators.h"
#include "testdatabase.h"

#include <QTest>

using velmora::LoginCheck;
using velmora::test::TestDatabase;

class TestOperators : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passwordsAreStoredAsSaltedHashes()
    {
        TestDatabase t;
        QString error;
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Sandra"), QStringLiteral("Secret1"),
                                     QStringLiteral("Boss"), &error));
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Dave"), QStringLiteral("Secret1"),
                                     QStringLiteral("Data Input"), &error));
        const QString sandra =
            t.value(QStringLiteral("select Password from passwords where user_name = 'sandra'"))
                .toString();
        const QString dave =
            t.value(QStringLiteral("select Password from passwords where user_name = 'dave'"))
                .toString();
        QVERIFY(!sandra.contains(QLatin1String("Secret1")));
        QVERIFY(sandra.startsWith(QLatin1String("$argon2id$")));
        QVERIFY(sandra != dave); // salted
    }

    void loginMatchesNameInAnyCaseAndPasswordExactly()
    {
        TestDatabase t;
        QString error;
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Sandra"), QStringLiteral("Secret1"),
                                     QStringLiteral("Boss"), &error));
        const LoginCheck ok =
            velmora::checkLogin(t.db(), QStringLiteral("SANDRA"), QStringLiteral("Secret1"));
        QCOMPARE(ok.result, LoginCheck::Result::Accepted);
        QCOMPARE(ok.securityLevel, QStringLiteral("Boss"));
        QCOMPARE(
            velmora::checkLogin(t.db(), QStringLiteral("sandra"), QStringLiteral("secret1")).result,
            LoginCheck::Result::Refused);
        QCOMPARE(
            velmora::checkLogin(t.db(), QStringLiteral("Nobody"), QStringLiteral("Secret1")).result,
            LoginCheck::Result::Refused);
        QCOMPARE(velmora::checkLogin(t.db(), QStringLiteral("O'Neil"), QStringLiteral("x")).result,
                 LoginCheck::Result::Refused);
    }

    void passwordRules_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("spaces") << QStringLiteral("   ") << false;
        QTest::newRow("tab and space") << QStringLiteral("\t ") << false;
        QTest::newRow("spaces around a letter") << QStringLiteral(" x ") << true;
        QTest::newRow("at the limit")
            << QString(velmora::kPasswordMaxLength, QLatin1Char('p')) << true;
        QTest::newRow("over the limit")
            << QString(velmora::kPasswordMaxLength + 1, QLatin1Char('p')) << false;
        // 1,025 code units as typed, 1,024 once composed
        QTest::newRow("composed to the limit")
            << QString(velmora::kPasswordMaxLength - 1, QLatin1Char('p')) +
                   QStringLiteral("e\u0301")
            << true;
    }
    void passwordRules()
    {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        TestDatabase t;
        QString error;
        QCOMPARE(velmora::passwordProblem(password).isEmpty(), accepted);
        QCOMPARE(velmora::saveOperator(t.db(), QStringLiteral("Sandra"), password,
                                       QStringLiteral("Boss"), &error),
                 accepted);
        QCOMPARE(t.count(QStringLiteral("select count(*) from passwords")), accepted ? 1 : 0);
    }

    void passwordsAreComposedBeforeHashing()
    {
        TestDatabase t;
        QString error;
        const QString decomposed = QStringLiteral("Cafe\u0301");
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Sandra"), decomposed,
                                     QStringLiteral("Boss"), &error));
        QCOMPARE(velmora::checkLogin(t.db(), QStringLiteral("Sandra"), QStringLiteral("Caf\u00e9"))
                     .result,
                 LoginCheck::Result::Accepted);
        QCOMPARE(
            velmora::checkLogin(t.db(), QStringLiteral("Sandra"), QStringLiteral("Cafe")).result,
            LoginCheck::Result::Refused);
    }

    void oneRowPerName()
    {
        TestDatabase t;
        QString error;
        QVERIFY(velmora::addOperator(t.db(), QStringLiteral("Sandra"), QStringLiteral("a"),
                                     QStringLiteral("Boss"), &error));
        QVERIFY(!velmora::addOperator(t.db(), QStringLiteral("SANDRA"), QStringLiteral("b"),
                                      QStringLiteral("Boss"), &error));
    }
};

QTEST_GUILESS_MAIN(TestOperators)
#include "test_operators.moc"
