#include "dialogs.h"

namespace velmora {

QString applicationTitle() { return QStringLiteral("Velmora Application"); }

} // namespace velmora
