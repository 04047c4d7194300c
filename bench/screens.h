#pragma once

#include <QString>

namespace velmora {
class ScriptedDialogs;
}

namespace velmora::bench {

// True when the screens showed no box since the last call; otherwise false with the
// boxes' texts in *reason. Forgets the boxes either way.
bool noBoxShown(ScriptedDialogs& dialogs, QString* reason);

} // namespace velmora::bench
