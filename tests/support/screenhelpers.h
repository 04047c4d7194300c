#pragma once

#include "platform/menupath.h"
#include "platform/scripteddialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
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
inline void focusOn(QWidget* field) { field->setFocus(Qt::TabFocusReason); }

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

// The entries of a drop-down's list, in order.
inline QStringList items(const QComboBox* list)
{
    QStringList all;
    for (int i = 0; i < list->count(); ++i)
        all << list->itemText(i);
    return all;
}

// Forgets the boxes `dialogs` showed so far, triggers `action` and gives the boxes it showed.
inline QStringList shownBy(ScriptedDialogs& dialogs, QAction* action)
{
    dialogs.clear();
    action->trigger();
    return dialogs.texts();
}

// The texts of `fields` (a drop-down's current text), joined by "|".
inline QString texts(std::initializer_list<const QWidget*> fields)
{
    QStringList all;
    for (const QWidget* field : fields) {
        if (const auto* box = qobject_cast<const QComboBox*>(field))
            all << box->currentText();
        else
            all << qobject_cast<const QLineEdit*>(field)->text();
    }
    return all.join(u'|');
}

// The texts of the captions of `window`, without their access-key marks; with `shownOnly`,
// only those the operator can see.
inline QStringList captions(const QWidget& window, bool shownOnly = false)
{
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!shownOnly || label->isVisible())
            texts << label->text().remove(u'&');
    }
    return texts;
}

// The caption of `field` (the label whose buddy it is), or null when it has none.
inline QLabel* captionOf(const QWidget& window, const QWidget* field)
{
    QLabel* found = nullptr;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy() == field)
            found = label;
    }
    return found;
}

using velmora::menuEntry;

} // namespace velmora::test
