#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace velmora::cli {

// A new file built under a staging name beside its target and moved into place only when
// it is whole, so that the target, killed at any moment, either does not exist or is
// complete. The staging file is removed again when the build fails, when the object goes
// uncommitted and when the process is interrupted or terminated; what a killed run leaves
// (the staging file and the lock) the next run for the same target removes.
class StagedFile
{
public:
    explicit StagedFile(QString target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Takes the target's lock, removes a killed run's leftovers and refuses a target that
    // exists. False with the reason in *error.
    bool begin(QString* error);
    // Where to build the file.
    QString stagingPath() const { return m_staging; }
    // Moves the finished staging file to the target, never over an existing file. False
    // with the reason in *error; the staging file is then removed.
    bool commit(QString* error);

    // The staging file and lock of `target`, named here so that tests can plant leftovers.
    static QString stagingPathFor(const QString& target);
    static QString lockPathFor(const QString& target);

private:
    void removeStaging() const;

    QString m_target;
    QString m_staging;
    QLockFile m_lock;
    bool m_begun = false;
};

} // namespace velmora::cli
