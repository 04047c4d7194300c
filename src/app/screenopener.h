#pragma once

#include <QString>

class QWidget;

namespace velmora {

// Shows `screen` as a window of its own above `opener`; it is deleted when closed.
// A screen that cannot be used says so during its opening steps by putting `failure`
// into its hidden field named `flag` (txtload, frmload, txtfrm_load); such a screen is
// closed again at once, without a message of the opener's own. Returns whether the
// screen is open.
bool openScreen(QWidget* opener, QWidget* screen, const QString& flag = {},
                const QString& failure = {});

} // namespace velmora
