#pragma once

#include <QtGlobal>

namespace velmora {

// The progress of long work that runs on the screen's own thread while the operator waits
// (an import): how far it has come, and whether the operator has asked to stop it.
class WorkProgress
{
public:
    virtual ~WorkProgress() = default;
    // `done` of `total` steps are done (`total` 0 when not known); false once the operator
    // has asked to stop.
    virtual bool advance(qint64 done, qint64 total) = 0;
};

// Progress shown nowhere, that never asks to stop.
class NoProgress final : public WorkProgress
{
public:
    bool advance(qint64, qint64) override { return true; }
};

} // namespace velmora
