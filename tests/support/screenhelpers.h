#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace velmora::test {

// The child of `window` with this objectName; a missing one ends the test run.
template <typename T> T* child(const QWidget& window, const QString& name)
{
    auto* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no child %s", qPrintable(name));
    return found;
}

// Shows `window` and makes it the active window, so that focus moves as it does for the
// operator. False when the window did not become active.
inline bool activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Moves the focus into `field` as a Tab press would, running its enter handler and the
// leave handler of the field the focus comes from.
inline void focusOn(QWidget* field)
{
    field->setFocus(Qt::TabFocusReason);
}

// Enters `field`, replaces its text with `text` and leaves it for `next`.
inline void typeAndLeave(QLineEdit* field, const QString& text, QWidget* next)
{
    focusOn(field);
    field->setText(text);
    focusOn(next);
}
inline void typeAndLeave(QComboBox* field, const QString& text, QWidget* next)
{
    focusOn(field);
    field->setEditText(text);
    focusOn(next);
}

// Picks the list entry with this text, as a click in the drop-down would.
inline bool pick(QComboBox* list, const QString& entry)
{
    const int index = list->findText(entry);
    if (index < 0)
        return false;
    list->setCurrentIndex(index);
    emit list->activated(index);
    return true;
}

} // namespace velmora::test
