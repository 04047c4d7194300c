#pragma once

#include <QString>

class QAction;
class QMenuBar;

namespace velmora {

// The entry at `path` ("Menu/Submenu/Entry", by caption with its access-key marks) of a
// menu bar, or null.
QAction* menuEntry(const QMenuBar* bar, const QString& path);

} // namespace velmora
