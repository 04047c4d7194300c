#pragma once

#include <QDate>
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
    QDate date; // its pick-up day, which chooses the VAT rate of its lines
};

} // namespace velmora
