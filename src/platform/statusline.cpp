#include "statusline.h"

#include <QMainWindow>
#include <QStatusBar>

namespace velmora {

void showStatus(QWidget* screen, const QString& text)
{
    QWidget* window = screen ? screen->window() : nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(window))
        main->statusBar()->showMessage(text);
    else if (auto* line =
                 window ? window->findChild<QStatusBar*>(QStringLiteral("statusline")) : nullptr)
        line->showMessage(text);
}

} // namespace velmora
