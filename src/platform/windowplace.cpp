#include "windowplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velmora {

namespace {

// What the frame and the title bar of a window take beside its contents.
constexpr QSize kFrame(16, 48);

} // namespace

QSize withinScreen(const QWidget* near, QSize wanted)
{
    const QScreen* monitor = near ? near->screen() : QGuiApplication::primaryScreen();
    if (!monitor)
        return wanted;
    return wanted.boundedTo(monitor->availableGeometry().size() - kFrame);
}

void ownWindow(QWidget* window, QWidget* owner)
{
    // Only windows of the dialog kind carry their owner to the window manager
    // (WM_TRANSIENT_FOR); an ordinary top-level window can fall behind the main window.
    window->setParent(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
}

void bringForward(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace velmora
