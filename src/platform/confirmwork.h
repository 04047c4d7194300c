#pragma once

#include "data/workcount.h"

#include <QString>

class QWidget;

namespace velmora {

class Dialogs;

// Asks `question`, its %1 the jobs and its %2 the owners of `count`, before work that
// cannot be undone, with No as the default. True when the operator answers Yes, or when
// there is no job to ask about (the work then says itself that there is nothing to do).
bool confirmWork(Dialogs& dialogs, QWidget* parent, const WorkCount& count,
                 const QString& question);

} // namespace velmora
