#pragma once

#include "jobs/frmjob_management.h"
#include "platform/scripteddialogs.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// A job screen on a test database, with its fields found by name and typed into as the
// operator would.
struct JobScreen
{
    explicit JobScreen(velmora::test::TestDatabase& t) : screen(t.db(), dialogs) {}

    // Shows the screen (running its opening steps) as the active window.
    bool open() { return velmora::test::activate(screen); }

    template <typename T = QWidget> T* find(const QString& name)
    {
        return velmora::test::child<T>(screen, name);
    }
    QLineEdit* edit(const QString& name) { return find<QLineEdit>(name); }
    QComboBox* combo(const QString& name) { return find<QComboBox>(name); }
    QString text(const QString& name)
    {
        if (auto* box = screen.findChild<QComboBox*>(name))
            return box->currentText();
        return edit(name)->text();
    }
    void press(const QString& name) { find<QPushButton>(name)->click(); }

    // Puts the focus in `name`, replaces its text by typing `text`, and leaves it with Tab.
    void fill(const QString& name, const QString& text)
    {
        QWidget* field = find(name);
        field->setFocus();
        QLineEdit* line = qobject_cast<QLineEdit*>(field);
        if (!line)
            line = qobject_cast<QComboBox*>(field)->lineEdit();
        line->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    QString focused() const
    {
        QWidget* widget = QApplication::focusWidget();
        return widget ? widget->objectName() : QString();
    }

    velmora::ScriptedDialogs dialogs;
    velmora::frmjob_management screen;
};
