#pragma once

#include <QSize>

class QWidget;

namespace velmora {

// `wanted`, made no larger than the room the desktop leaves on the monitor of `near`
// (the primary monitor when `near` is null), frame and title bar allowed for.
QSize withinScreen(const QWidget* near, QSize wanted);

// Makes `window` a window owned by `owner` in a way the window manager honours (a
// transient window: it stays in front of its owner and is never hidden behind it),
// with the title bar buttons of an ordinary window.
void ownWindow(QWidget* window, QWidget* owner);

// Raises `window`, restores it when minimised and gives it the keyboard.
void bringForward(QWidget* window);

} // namespace velmora
