#pragma once

#include "dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace velmora {

// Dialogs for tests: every box is recorded instead of shown, and questions, inputs and
// file choosers take their answers from queues filled beforehand. A question asked with
// its queue empty is recorded as unanswered and gets No / Cancel / nothing.
class ScriptedDialogs final : public Dialogs
{
public:
    enum class Kind {
        Information,
        InformationList,
        Exclamation,
        Plain,
        Question,
        Input,
        Password,
        OpenFile,
        SaveFile
    };
    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
    };

    void information(QWidget* parent, const QString& text, const QString& title) override;
    void exclamation(QWidget* parent, const QString& text, const QString& title) override;
    void informationList(QWidget* parent, const QString& text, const QStringList& items,
                         const QString& title) override;
    void plain(QWidget* parent, const QString& text, const QString& title) override;
    Answer question(QWidget* parent, const QString& text, const QString& title,
                    Buttons buttons) override;
    std::optional<QString> input(QWidget* parent, const QString& prompt, const QString& title,
                                 const QString& proposed) override;
    std::optional<QString> password(QWidget* parent, const QString& prompt,
                                    const QString& title) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& proposed) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix, const QString& proposed) override;
    void setBusy(bool busy) override;
    void beep() override;

    // The texts of every box shown so far, in order.
    QStringList texts() const;
    // Forgets what was shown (the queues stay).
    void clear();

    QList<Shown> shown;
    QList<Buttons> questionButtons; // the buttons of each question asked, in order
    QList<QStringList> lists;       // the items of each list shown, in order
    QQueue<Answer> answers;
    QQueue<std::optional<QString>> inputs;
    QQueue<std::optional<QString>> passwords;
    QQueue<QString> files;
    int unanswered = 0;
    int busyDepth = 0;
    int busyCount = 0; // how many times the busy pointer was shown
    int beeps = 0;
};

} // namespace velmora
