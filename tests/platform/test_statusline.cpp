#include "platform/statusline.h"
#include "screenhelpers.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>

class TestStatusLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A save chosen from the menu bar says what it did, and a menu's hint passing over the
    // line afterwards does not wipe it.
    void theLastActionOutlastsMenuHints()
    {
        QMainWindow window;
        window.setCentralWidget(new QWidget);
        QAction* save = window.menuBar()->addAction(QStringLiteral("&Save"));
        connect(save, &QAction::triggered, &window,
                [&window] { velmora::showStatus(&window, QStringLiteral("User bob saved")); });
        QVERIFY(velmora::test::activate(window));

        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(window.statusBar()->currentMessage(), QStringLiteral("User bob saved"));
        QStatusTipEvent hint(QStringLiteral("Saves the user"));
        QCoreApplication::sendEvent(&window, &hint);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Saves the user"));
        QStatusTipEvent gone{QString()};
        QCoreApplication::sendEvent(&window, &gone);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("User bob saved"));

        velmora::showStatus(&window, QStringLiteral("User carol saved"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("User carol saved"));
    }
};

QTEST_MAIN(TestStatusLine)
#include "test_statusline.moc"
