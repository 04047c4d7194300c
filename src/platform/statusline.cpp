#include "statusline.h"

#include <QMainWindow>
#include <QStatusBar>

namespace velmora {

namespace {

const char* const kLastAction = "velmoraLastAction";

// Shows `text` on `line` and keeps it there: a menu's hint shown while the operator moves
// through a menu clears the line when the menu closes (as a save from the menu bar does),
// and the last action's words are then put back.
void showOn(QStatusBar* line, const QString& text)
{
    if (!line->property(kLastAction).isValid()) {
        QObject::connect(line, &QStatusBar::messageChanged, line, [line](const QString& now) {
            const QString last = line->property(kLastAction).toString();
            if (now.isEmpty() && !last.isEmpty())
                line->showMessage(last);
        });
    }
    line->setProperty(kLastAction, text);
    line->showMessage(text);
}

} // namespace

void showStatus(QWidget* screen, const QString& text)
{
    QWidget* window = screen ? screen->window() : nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(window))
        showOn(main->statusBar(), text);
    else if (auto* line =
                 window ? window->findChild<QStatusBar*>(QStringLiteral("statusline")) : nullptr)
        showOn(line, text);
}

} // namespace velmora
