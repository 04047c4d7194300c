#pragma once

class QWidget;

namespace velmora {

// Closes an open screen to changes while its database cannot be reached (a server out of
// reach), and opens it again: every field, list, button and menu entry of the window is
// disabled, all but its "Exit", so that what it shows and what was typed stay on screen
// while nothing can be typed, saved or started, and no field's enter or leave steps run on
// the way. `writable` true gives each back the state it had; the focus returns to where
// it was. Windows of the screen's own (a message box it shows) are left alone.
void setScreenWritable(QWidget* screen, bool writable);

} // namespace velmora
