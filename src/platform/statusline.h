#pragma once

#include <QString>

class QWidget;

namespace velmora {

// Says on the main window's status bar what the last action of `screen` did ("Job A55
// added"); the line clears itself after a few seconds. `screen` is any widget of a
// window owned by the main window, or of the main window itself; elsewhere (a screen
// shown on its own, as in tests) nothing is shown.
void showStatus(QWidget* screen, const QString& text);

// How long a status line stays, in milliseconds.
constexpr int kStatusLineMs = 6000;

} // namespace velmora
