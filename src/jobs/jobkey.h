#pragma once

#include <QDate>
#include <QString>

#include <optional>

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
    // The job the screen shows, loaded or just added: its receipt and payment lines are
    // saved to it and to no other. None after Clear, after a job could not be found, and
    // once the prefix or number field is changed until the next Select.
    std::optional<JobKey> shown;
    QDate date;                    // its pick-up day, which chooses the VAT rate of its lines
    std::optional<qint64> invoice; // the invoice the shown job is on, once invoiced
    qint64 version = 0;            // the shown job's row version as loaded or last saved
};

inline bool operator==(const JobKey& a, const JobKey& b)
{
    return a.prefix == b.prefix && a.number == b.number;
}

} // namespace velmora
