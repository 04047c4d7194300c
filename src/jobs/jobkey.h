#pragma once

#include <QString>

namespace velmora {

// A job's name: its prefix and its number. The number alone does not name a job, as
// jobs brought in from another installation may share a number under another prefix.
struct JobKey
{
    QString prefix;
    qint64 number = 0;
};

// The job a screen works on, and the account it had when it was loaded (0 for none).
struct CurrentJob
{
    JobKey key;
    qint64 loadedAccount = 0;
};

} // namespace velmora
