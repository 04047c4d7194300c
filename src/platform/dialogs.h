#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace velmora {

class WorkProgress;

// The title of the program's ordinary message boxes.
QString applicationTitle();

// Everything a screen asks of the operator outside its own fields goes through this
// seam: the program shows real boxes, the command line writes to the terminal, and
// tests script the answers and read back every message.
class Dialogs
{
public:
    // YesNoDefaultNo: Yes and No with No the default, for work that cannot be undone.
    enum class Buttons { YesNo, YesNoCancel, OkCancel, YesNoDefaultNo };
    enum class Answer { Yes, No, Ok, Cancel };

    virtual ~Dialogs() = default;

    // An information box with an OK button.
    virtual void information(QWidget* parent, const QString& text,
                             const QString& title = applicationTitle()) = 0;
    // An exclamation (warning) box with an OK button.
    virtual void exclamation(QWidget* parent, const QString& text,
                             const QString& title = applicationTitle()) = 0;
    // An information box whose `text` heads a scrollable list of `items`, one message
    // each, that the operator can save to a text file; for many messages at once.
    virtual void informationList(QWidget* parent, const QString& text, const QStringList& items,
                                 const QString& title = applicationTitle()) = 0;
    // A box without an icon and with an OK button.
    virtual void plain(QWidget* parent, const QString& text,
                       const QString& title = applicationTitle()) = 0;
    // A question box; returns the button pressed (closing it counts as No or Cancel).
    virtual Answer question(QWidget* parent, const QString& text,
                            const QString& title = applicationTitle(),
                            Buttons buttons = Buttons::YesNo) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<QString> input(QWidget* parent, const QString& prompt,
                                         const QString& title = applicationTitle(),
                                         const QString& proposed = {}) = 0;
    // A password box, what is typed hidden; nullopt when cancelled or when there is no
    // way to ask (a command run without a terminal).
    virtual std::optional<QString> password(QWidget* parent, const QString& prompt,
                                            const QString& title = applicationTitle()) = 0;
    // File choosers: `filter` in Qt's form ("Text Files (*.txt)"); empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& proposed) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix, const QString& proposed) = 0;
    // Shows the progress of long work on the screen's thread over `parent`, `heading` above
    // the counts, for the life of the object returned; the operator can ask to stop it.
    // By default nothing is shown and nothing stops the work.
    virtual std::unique_ptr<WorkProgress> progress(QWidget* parent, const QString& title,
                                                   const QString& heading);
    // Shows or ends the busy pointer; calls nest.
    virtual void setBusy(bool busy) = 0;
    virtual void beep() = 0;
};

// Shows the busy pointer for the life of the object.
class BusyPointer
{
public:
    explicit BusyPointer(Dialogs& dialogs) : m_dialogs(dialogs) { m_dialogs.setBusy(true); }
    ~BusyPointer() { m_dialogs.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Dialogs& m_dialogs;
};

} // namespace velmora
