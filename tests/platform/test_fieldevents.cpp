#include "platform/fieldevents.h"
#include "screenhelpers.h"

#include <QFocusEvent>
#include <QVBoxLayout>

using velmora::FieldEvents;
using velmora::test::focusOn;

namespace {

// A window of three fields whose handlers count how often they run.
struct Fields
{
    Fields()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QLineEdit* field : {a, b, c})
            layout->addWidget(field);
        for (QLineEdit* field : {a, b, c}) {
            events->onEnter(field, [this, field] { entered << field; });
            events->onLeave(field, [this, field] { left << field; });
        }
    }

    QWidget window;
    FieldEvents* events = new FieldEvents(&window);
    QLineEdit* a = new QLineEdit;
    QLineEdit* b = new QLineEdit;
    QLineEdit* c = new QLineEdit;
    QList<QLineEdit*> entered;
    QList<QLineEdit*> left;
};

} // namespace

class TestFieldEvents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leavingRunsEveryTimeTextChangedOrNot()
    {
        Fields f;
        QVERIFY(velmora::test::activate(f.window));
        focusOn(f.c);
        f.left.clear();
        f.entered.clear();
        focusOn(f.a);
        focusOn(f.b);
        focusOn(f.a);
        focusOn(f.b);
        QCOMPARE(f.left, (QList<QLineEdit*>{f.c, f.a, f.b, f.a}));
        QCOMPARE(f.entered, (QList<QLineEdit*>{f.a, f.b, f.a, f.b}));
    }

    void returnFocusLeavesQuietlyButEnters()
    {
        Fields f;
        QVERIFY(velmora::test::activate(f.window));
        focusOn(f.a);
        f.left.clear();
        f.entered.clear();
        f.events->returnFocus(f.c);
        QCOMPARE(f.left, QList<QLineEdit*>());
        QCOMPARE(f.entered, QList<QLineEdit*>{f.c});
    }

    void focusMovedWhileAHandlerRunsDoesNotCountAsLeaving()
    {
        Fields f;
        f.events->onLeave(f.a, [&f] {
            f.left << f.a;
            f.c->setFocus(Qt::TabFocusReason);
        });
        QVERIFY(velmora::test::activate(f.window));
        focusOn(f.a);
        f.left.clear();
        focusOn(f.b);
        QCOMPARE(f.left, QList<QLineEdit*>{f.a});
        QCOMPARE(QApplication::focusWidget(), f.c);
    }

    void messageBoxesDropDownsAndOtherWindowsDoNotCount_data()
    {
        QTest::addColumn<Qt::FocusReason>("reason");
        QTest::addColumn<bool>("counts");
        QTest::newRow("another window") << Qt::ActiveWindowFocusReason << false;
        QTest::newRow("drop-down") << Qt::PopupFocusReason << false;
        QTest::newRow("tab") << Qt::TabFocusReason << true;
    }
    void messageBoxesDropDownsAndOtherWindowsDoNotCount()
    {
        QFETCH(Qt::FocusReason, reason);
        QFETCH(bool, counts);
        Fields f;
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(f.a, &out);
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(f.b, &in);
        QCOMPARE(f.left.size(), counts ? 1 : 0);
        QCOMPARE(f.entered.size(), counts ? 1 : 0);
    }
};

QTEST_MAIN(TestFieldEvents)
#include "test_fieldevents.moc"
