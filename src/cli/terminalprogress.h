#pragma once

#include "firm/firmgenerator.h"

namespace velmora::cli {

// Shows a generation's progress on one line of standard error, in whole per cent of each
// stage, when standard error is a terminal; shows nothing (an empty function) otherwise.
firm::FirmProgress terminalProgress();

} // namespace velmora::cli
