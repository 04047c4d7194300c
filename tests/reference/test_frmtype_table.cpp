#include "platform/scripteddialogs.h"
#include "reference/frmtype_table.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using velmora::frmtype_table;
using velmora::ScriptedDialogs;
using velmora::TypeTable;
using velmora::test::TestDatabase;

namespace {

const TypeTable& instance(int which)
{
    switch (which) {
    case 0:
        return TypeTable::vehicleTypes();
    case 1:
        return TypeTable::paymentTypes();
    case 2:
        return TypeTable::addressTypes();
    default:
        return TypeTable::incomeExpenseTypes();
    }
}

// The rows of a type table as "id|name", in id order.
QStringList rows(TestDatabase& database, const TypeTable& table)
{
    return database.rows(QStringLiteral("select %1, %2 from %3 order by %1")
                             .arg(table.idColumn, table.nameColumn, table.table));
}

// The list's entries as "id|name", in list order.
QStringList listed(const QTreeWidget* list)
{
    QStringList all;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        all.append(list->topLevelItem(i)->text(0) + u'|' + list->topLevelItem(i)->text(1));
    return all;
}

void addRow(TestDatabase& database, const TypeTable& table, const QString& name)
{
    database.exec(
        QStringLiteral("insert into %1 (%2) values (?)").arg(table.table, table.nameColumn),
        {name});
}

} // namespace

class TestFrmTypeTable : public QObject
{
    Q_OBJECT

private:
    // A screen on one instance with its widgets found by name, as the operator sees them.
    struct Screen
    {
        Screen(TestDatabase& database, const TypeTable& table, ScriptedDialogs& dialogs)
            : window(table, database.db(), dialogs)
        {
            field = window.findChild<QLineEdit*>(table.fieldName);
            list = window.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
            save = window.findChild<QAction*>(QStringLiteral("mnusave"));
            exit = window.findChild<QAction*>(QStringLiteral("mnuexit"));
            QVERIFY(field && list && save && exit);
        }
        void saveAs(const QString& name)
        {
            field->setText(name);
            save->trigger();
        }
        frmtype_table window;
        QLineEdit* field = nullptr;
        QTreeWidget* list = nullptr;
        QAction* save = nullptr;
        QAction* exit = nullptr;
    };

    void addInstances()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("emptyTable");
        QTest::addColumn<QString>("emptyInput");
        QTest::newRow("vehicle types") << 0 << "Maintain Vehicle Types"
                                       << "txtcar_type"
                                       << "Vehicle Type"
                                       << "Enter vehicle type"
                                       << "Vehicle Type"
                                       << "No vehicle types recorded"
                                       << "Please input a vehicle type before pressing save";
        QTest::newRow("payment types") << 1 << "Payment Types"
                                       << "txtpay_type"
                                       << "Payment Type"
                                       << "Enter payment type"
                                       << "Payment Description"
                                       << "No payment types recorded"
                                       << "You must supply a payment type before pressing new";
        QTest::newRow("address types") << 2 << "Maintain Address Types"
                                       << "txtaddress_type"
                                       << "Address Type"
                                       << "Enter address type"
                                       << "Address Type"
                                       << "No address types recorded"
                                       << "You must supply an address type before pressing new";
        QTest::newRow("income and expense types")
            << 3 << "Maintain Income And Expenditure Types"
            << "txtpaymenttype"
            << "Income Expenditure Description"
            << "Enter income / expenditure description"
            << "Income / Expence Description"
            << "No Income / Expenditure types recorded"
            << "Please supply a payment type before pressing save";
    }

private slots:
    void wording_data() { addInstances(); }
    void wording()
    {
        QFETCH(int, which);
        QFETCH(QString, caption);
        QFETCH(QString, fieldName);
        QFETCH(QString, label);
        QFETCH(QString, tip);
        QFETCH(QString, heading);
        TestDatabase database;
        ScriptedDialogs dialogs;
        frmtype_table window(instance(which), database.db(), dialogs);

        QCOMPARE(window.windowTitle(), caption);
        auto* field = window.findChild<QLineEdit*>(fieldName);
        QVERIFY(field);
        QCOMPARE(field->toolTip(), tip);
        QLabel* buddyLabel = velmora::test::captionOf(window, field);
        QVERIFY(buddyLabel);
        QCOMPARE(buddyLabel->text(), label);
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        QVERIFY(list);
        QCOMPARE(list->columnCount(), 2);
        QCOMPARE(list->headerItem()->text(1), heading);
        auto* save = window.findChild<QAction*>(QStringLiteral("mnusave"));
        auto* exit = window.findChild<QAction*>(QStringLiteral("mnuexit"));
        QVERIFY(save && exit);
        QCOMPARE(save->text(), QStringLiteral("&Save"));
        QCOMPARE(exit->text(), QStringLiteral("&Exit"));
    }

    void emptyTableThenFirstSave_data() { addInstances(); }
    void emptyTableThenFirstSave()
    {
        QFETCH(int, which);
        QFETCH(QString, emptyTable);
        TestDatabase database;
        ScriptedDialogs dialogs;
        Screen screen(database, instance(which), dialogs);

        screen.window.show();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].kind, ScriptedDialogs::Kind::Information);
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Velmora Application"));
        QCOMPARE(dialogs.shown[0].text, emptyTable);
        QCOMPARE(screen.list->topLevelItemCount(), 0);

        dialogs.clear();
        screen.saveAs(QStringLiteral("Saloon Car"));
        QCOMPARE(dialogs.texts(), QStringList());
        const QStringList stored = rows(database, instance(which));
        QCOMPARE(stored.size(), 1);
        QVERIFY(stored[0].endsWith(QStringLiteral("|Saloon Car")));
        QCOMPARE(listed(screen.list), stored);
        QCOMPARE(screen.field->text(), QString());
    }

    void saveWithEmptyField_data() { addInstances(); }
    void saveWithEmptyField()
    {
        QFETCH(int, which);
        QFETCH(QString, emptyInput);
        TestDatabase database;
        addRow(database, instance(which), QStringLiteral("Account"));
        ScriptedDialogs dialogs;
        Screen screen(database, instance(which), dialogs);
        screen.window.show();
        QCOMPARE(dialogs.texts(), QStringList());
        const QStringList before = listed(screen.list);

        screen.saveAs(QString());
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].kind, ScriptedDialogs::Kind::Information);
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Velmora Application"));
        QCOMPARE(dialogs.shown[0].text, emptyInput);
        QCOMPARE(rows(database, instance(which)).size(), 1);
        QCOMPARE(listed(screen.list), before);
    }

    void sameNameTwice_data() { addInstances(); }
    void sameNameTwice()
    {
        QFETCH(int, which);
        TestDatabase database;
        ScriptedDialogs dialogs;
        Screen screen(database, instance(which), dialogs);
        screen.window.show();
        dialogs.clear();

        screen.saveAs(QStringLiteral("Credit Note"));
        screen.saveAs(QStringLiteral("Credit Note"));
        QCOMPARE(dialogs.texts(), QStringList());
        const QStringList stored = rows(database, instance(which));
        QCOMPARE(stored.size(), 2);
        QVERIFY(stored[0] != stored[1]);
        QCOMPARE(stored[0].section(u'|', 1), QStringLiteral("Credit Note"));
        QCOMPARE(stored[1].section(u'|', 1), QStringLiteral("Credit Note"));
        QCOMPARE(listed(screen.list), stored);
    }

    void listShowsIdAndName_data() { addInstances(); }
    void listShowsIdAndName()
    {
        QFETCH(int, which);
        TestDatabase database;
        addRow(database, instance(which), QStringLiteral("Saloon Car"));
        addRow(database, instance(which), QStringLiteral("Estate"));
        database.exec(QStringLiteral("delete from %1 where %2 = ?")
                          .arg(instance(which).table, instance(which).nameColumn),
                      {QStringLiteral("Saloon Car")});
        addRow(database, instance(which), QStringLiteral("Minibus"));
        ScriptedDialogs dialogs;
        Screen screen(database, instance(which), dialogs);

        screen.window.show();
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(listed(screen.list), (QStringList{"2|Estate", "3|Minibus"}));
    }

    void nameSavedAsTyped_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("name");
        for (int which = 0; which < 4; ++which) {
            const QByteArray table = instance(which).table.toLatin1();
            QTest::newRow(table + " apostrophe") << which << "O'Brien Coaches";
            QTest::newRow(table + " spaces and case") << which << "  estate CAR ";
            QTest::newRow(table + " quotes") << which << "\"Exec\" -- ; drop table jobs";
        }
    }
    void nameSavedAsTyped()
    {
        QFETCH(int, which);
        QFETCH(QString, name);
        TestDatabase database;
        ScriptedDialogs dialogs;
        Screen screen(database, instance(which), dialogs);
        screen.window.show();
        dialogs.clear();

        screen.saveAs(name);
        QCOMPARE(dialogs.texts(), QStringList());
        const QStringList stored = rows(database, instance(which));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].section(u'|', 1), name);
        QCOMPARE(screen.list->topLevelItem(0)->text(1), name);
        QCOMPARE(screen.field->text(), QString());
    }

    void returnInFieldSaves()
    {
        TestDatabase database;
        ScriptedDialogs dialogs;
        Screen screen(database, TypeTable::paymentTypes(), dialogs);
        screen.window.show();
        dialogs.clear();

        QTest::keyClicks(screen.field, QStringLiteral("Cash"));
        QTest::keyClick(screen.field, Qt::Key_Return);
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(rows(database, TypeTable::paymentTypes()), QStringList{"1|Cash"});
        QCOMPARE(listed(screen.list), QStringList{"1|Cash"});
        QCOMPARE(screen.field->text(), QString());
    }

    void focusStartsInFieldAndTabsToList()
    {
        TestDatabase database;
        ScriptedDialogs dialogs;
        Screen screen(database, TypeTable::vehicleTypes(), dialogs);
        QVERIFY(velmora::test::activate(screen.window));
        QCOMPARE(QApplication::focusWidget(), screen.field);
        QTest::keyClick(screen.field, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), screen.list);
    }

    void databaseErrorOnSaveLeavesScreen()
    {
        TestDatabase database;
        addRow(database, TypeTable::addressTypes(), QStringLiteral("Home"));
        ScriptedDialogs dialogs;
        Screen screen(database, TypeTable::addressTypes(), dialogs);
        screen.window.show();
        dialogs.clear();
        database.exec(QStringLiteral("drop table address_types"));

        screen.saveAs(QStringLiteral("Work"));
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].kind, ScriptedDialogs::Kind::Information);
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Velmora Application"));
        QVERIFY2(dialogs.shown[0].text.contains(QStringLiteral("no such table")),
                 qPrintable(dialogs.shown[0].text));
        QCOMPARE(listed(screen.list), QStringList{"1|Home"});
        QCOMPARE(screen.field->text(), QStringLiteral("Work"));
    }

    void databaseErrorOnOpen()
    {
        TestDatabase database;
        database.exec(QStringLiteral("drop table receipt_types"));
        ScriptedDialogs dialogs;
        Screen screen(database, TypeTable::incomeExpenseTypes(), dialogs);

        screen.window.show();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].kind, ScriptedDialogs::Kind::Information);
        QVERIFY2(dialogs.shown[0].text.contains(QStringLiteral("no such table")),
                 qPrintable(dialogs.shown[0].text));
        QCOMPARE(screen.list->topLevelItemCount(), 0);
    }

    void exitClosesScreen()
    {
        TestDatabase database;
        ScriptedDialogs dialogs;
        Screen screen(database, TypeTable::vehicleTypes(), dialogs);
        screen.window.show();
        QVERIFY(screen.window.isVisible());

        screen.exit->trigger();
        QVERIFY(!screen.window.isVisible());
    }
};

QTEST_MAIN(TestFrmTypeTable)
#include "test_frmtype_table.moc"
