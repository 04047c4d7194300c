#pragma once

#include <QString>

class QWidget;

namespace velmora {

// Says on the status line of the window `screen` belongs to what its last action did
// ("Job A55 added"); the line keeps it until the next one. A window built on
// QMainWindow uses its status bar; another (the job screen) its own QStatusBar
// named "statusline". The main window's line is its own: a screen never writes there.
void showStatus(QWidget* screen, const QString& text);

} // namespace velmora
