#include "statusline.h"

#include <QMainWindow>
#include <QStatusBar>

namespace velmora {

void showStatus(QWidget* screen, const QString& text)
{
    for (QWidget* window = screen ? screen->window() : nullptr; window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
        if (auto* main = qobject_cast<QMainWindow*>(window)) {
            main->statusBar()->showMessage(text, kStatusLineMs);
            return;
        }
    }
}

} // namespace velmora
