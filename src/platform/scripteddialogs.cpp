#include "scripteddialogs.h"

namespace velmora {

void ScriptedDialogs::information(QWidget*, const QString& text, const QString& title)
{
    shown.append({Kind::Information, title, text});
}

void ScriptedDialogs::exclamation(QWidget*, const QString& text, const QString& title)
{
    shown.append({Kind::Exclamation, title, text});
}

void ScriptedDialogs::informationList(QWidget*, const QString& text, const QStringList& items,
                                      const QString& title)
{
    shown.append({Kind::InformationList, title, text});
    lists.append(items);
}

void ScriptedDialogs::plain(QWidget*, const QString& text, const QString& title)
{
    shown.append({Kind::Plain, title, text});
}

Dialogs::Answer ScriptedDialogs::question(QWidget*, const QString& text, const QString& title,
                                          Buttons buttons)
{
    shown.append({Kind::Question, title, text});
    questionButtons.append(buttons);
    if (!answers.isEmpty())
        return answers.dequeue();
    ++unanswered;
    return buttons == Buttons::YesNoCancel || buttons == Buttons::OkCancel ? Answer::Cancel
                                                                           : Answer::No;
}

std::optional<QString> ScriptedDialogs::input(QWidget*, const QString& prompt, const QString& title,
                                              const QString&)
{
    shown.append({Kind::Input, title, prompt});
    if (!inputs.isEmpty())
        return inputs.dequeue();
    ++unanswered;
    return std::nullopt;
}

std::optional<QString> ScriptedDialogs::password(QWidget*, const QString& prompt,
                                                 const QString& title)
{
    shown.append({Kind::Password, title, prompt});
    if (!passwords.isEmpty())
        return passwords.dequeue();
    ++unanswered;
    return std::nullopt;
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& title, const QString&,
                                      const QString&)
{
    shown.append({Kind::OpenFile, title, QString()});
    if (!files.isEmpty())
        return files.dequeue();
    ++unanswered;
    return {};
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& title, const QString&,
                                      const QString&, const QString&)
{
    shown.append({Kind::SaveFile, title, QString()});
    if (!files.isEmpty())
        return files.dequeue();
    ++unanswered;
    return {};
}

void ScriptedDialogs::setBusy(bool busy)
{
    busyDepth += busy ? 1 : -1;
    if (busy)
        ++busyCount;
}

void ScriptedDialogs::beep() { ++beeps; }

QStringList ScriptedDialogs::texts() const
{
    QStringList all;
    for (const Shown& box : shown)
        all.append(box.text);
    return all;
}

void ScriptedDialogs::clear()
{
    shown.clear();
    questionButtons.clear();
    lists.clear();
}

} // namespace velmora
