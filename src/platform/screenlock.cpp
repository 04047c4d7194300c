#include "screenlock.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabBar>
#include <QTextEdit>

namespace velmora {

namespace {

// What a closed screen holds to open it again: a child of the screen, found by its name.
class ScreenLock final : public QObject
{
public:
    using QObject::QObject;

    QList<QPointer<QWidget>> widgets;
    QList<QPointer<QAction>> actions;
    QPointer<QWidget> focus;
};

const QString kLockName = QStringLiteral("velmoraScreenLock");

// The program's "&Exit" and "E&xit": the way out stays open.
bool isExit(QString caption) { return caption.remove(u'&') == QObject::tr("Exit"); }

bool takesInput(const QWidget* widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return !isExit(button->text());
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTabBar*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget);
}

void close(QWidget* screen)
{
    auto* lock = new ScreenLock(screen);
    lock->setObjectName(kLockName);
    // The focus leaves the fields for the window itself first, as when another window is
    // activated: no field's leave steps run, and disabling moves it no further.
    lock->focus = screen->focusWidget();
    screen->setFocus(Qt::ActiveWindowFocusReason);
    for (QMenuBar* bar : screen->findChildren<QMenuBar*>()) {
        if (bar->window() != screen)
            continue;
        for (QAction* action : bar->actions()) {
            if (action->isEnabled() && !isExit(action->text())) {
                action->setEnabled(false);
                lock->actions.append(action);
            }
        }
    }
    for (QWidget* widget : screen->findChildren<QWidget*>()) {
        if (widget->window() == screen && widget->isEnabled() && takesInput(widget)) {
            widget->setEnabled(false);
            lock->widgets.append(widget);
        }
    }
}

void open(ScreenLock* lock)
{
    for (const QPointer<QAction>& action : std::as_const(lock->actions)) {
        if (action)
            action->setEnabled(true);
    }
    for (const QPointer<QWidget>& widget : std::as_const(lock->widgets)) {
        if (widget)
            widget->setEnabled(true);
    }
    if (lock->focus && lock->focus->isEnabled())
        lock->focus->setFocus(Qt::ActiveWindowFocusReason);
    delete lock;
}

} // namespace

void setScreenWritable(QWidget* screen, bool writable)
{
    // No other child bears the name.
    auto* lock = static_cast<ScreenLock*>(
        screen->findChild<QObject*>(kLockName, Qt::FindDirectChildrenOnly));
    if (writable && lock)
        open(lock);
    else if (!writable && !lock)
        close(screen);
}

} // namespace velmora
