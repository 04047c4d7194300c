#include "screenopener.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace velmora {

namespace {

// Marks an open screen with what makes two screens the same screen.
const char* const kScreenKey = "velmoraScreenKey";

QString screenKey(const QWidget* screen)
{
    return screen->objectName() + u'|' + screen->windowTitle();
}

QWidget* ownerOf(QWidget* opener) { return opener ? opener->window() : nullptr; }

// Puts `screen` in the middle of `owner`, kept on the owner's monitor and no larger than it.
void centre(QWidget* screen, const QWidget* owner)
{
    const QScreen* monitor = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect room = monitor ? monitor->availableGeometry() : QRect();
    screen->resize(withinScreen(owner, screen->size()));
    QRect frame = screen->frameGeometry();
    frame.moveCenter(owner ? owner->frameGeometry().center() : room.center());
    if (room.isValid()) {
        frame.moveLeft(std::clamp(frame.left(), room.left(),
                                  std::max(room.left(), room.right() - frame.width())));
        frame.moveTop(std::clamp(frame.top(), room.top(),
                                 std::max(room.top(), room.bottom() - frame.height())));
    }
    screen->move(frame.topLeft());
}

bool show(QWidget* owner, QWidget* screen, const QString& flag, const QString& failure)
{
    ownWindow(screen, owner);
    screen->setAttribute(Qt::WA_DeleteOnClose);
    screen->setProperty(kScreenKey, screenKey(screen));
    centre(screen, owner);
    screen->show();
    if (flag.isEmpty())
        return true;
    const auto* field = screen->findChild<QLineEdit*>(flag);
    if (field && field->text() == failure) {
        screen->close();
        return false;
    }
    return true;
}

} // namespace

namespace detail {

QWidget* openWindowOf(QWidget* opener, const char* className, const QString& key)
{
    QWidget* owner = ownerOf(opener);
    if (!owner)
        return nullptr;
    for (QWidget* window : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!window->isWindow() || !window->isVisible() ||
            qstrcmp(window->metaObject()->className(), className) != 0)
            continue;
        if (key.isEmpty() || window->property(kScreenKey).toString() == key)
            return window;
    }
    return nullptr;
}

} // namespace detail

QList<QWidget*> openScreens(QWidget* opener)
{
    QList<QWidget*> screens;
    if (QWidget* owner = ownerOf(opener)) {
        for (QWidget* window : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (window->isWindow() && window->isVisible() && window->property(kScreenKey).isValid())
                screens.append(window);
        }
    }
    return screens;
}

bool openScreen(QWidget* opener, QWidget* screen, const QString& flag, const QString& failure)
{
    QWidget* owner = ownerOf(opener);
    if (QWidget* open =
            detail::openWindowOf(owner, screen->metaObject()->className(), screenKey(screen))) {
        delete screen;
        bringForward(open);
        return true;
    }
    return show(owner, screen, flag, failure);
}

bool openScreen(QWidget* opener, const char* className, const std::function<QWidget*()>& make,
                const QString& flag, const QString& failure)
{
    QWidget* owner = ownerOf(opener);
    if (QWidget* open = detail::openWindowOf(owner, className)) {
        bringForward(open);
        return true;
    }
    return show(owner, make(), flag, failure);
}

} // namespace velmora
