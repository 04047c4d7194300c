#pragma once

#include "platform/windowplace.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

namespace velmora {

// Shows `screen` as a window owned by the window of `opener` (ownWindow()), centred on it; the
// screen is deleted when closed. A screen is open once: when a window of the same screen
// (same class, name and caption) is already open, that one is brought forward and
// `screen` is discarded before it runs its opening steps.
// A screen that cannot be used says so during its opening steps by putting `failure`
// into its hidden field named `flag` (txtload, frmload, txtfrm_load); such a screen is
// closed again at once, without a message of the opener's own. Returns whether the
// screen (or the copy already open) is open.
bool openScreen(QWidget* opener, QWidget* screen, const QString& flag = {},
                const QString& failure = {});

// The same for a screen that should not even be built when a copy is open: `make` is
// called only when no window of the class `className` is open.
bool openScreen(QWidget* opener, const char* className, const std::function<QWidget*()>& make,
                const QString& flag = {}, const QString& failure = {});

// The screens open in windows of `opener`'s main window, each opened by openScreen().
QList<QWidget*> openScreens(QWidget* opener);

// The open window of `opener`'s main window that shows a screen of class `Screen`.
template <typename Screen> Screen* openCopy(QWidget* opener);

namespace detail {
QWidget* openWindowOf(QWidget* opener, const char* className, const QString& key = {});
} // namespace detail

template <typename Screen> Screen* openCopy(QWidget* opener)
{
    return static_cast<Screen*>(detail::openWindowOf(opener, Screen::staticMetaObject.className()));
}

} // namespace velmora
