#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

namespace velmora {

// What a file the program writes must never take the place of, and whether it may replace
// an existing file.
struct OutputRules
{
    QString database;     // the open database: it and its -journal, -wal and -shm files
    QStringList guarded;  // further files kept from being written over (a report's file)
    bool replace = false; // an existing ordinary file may be replaced (--force, or asked)
};

// Why `path` may not be written under `rules`, naming the file; empty when it may. Files
// are compared by identity (through links, other spellings and hard links). Refused
// besides: a report definition file (*.rpt), a folder, a device, a pipe or anything else
// that is not an ordinary file, a link to nothing, a folder that does not exist, and an
// existing file unless `rules.replace`.
QString outputRefusal(const QString& path, const OutputRules& rules);

// A file written under a temporary name beside its target and put in its place only when
// complete, so that a kill, a full disk or an error leaves the old file or nothing. The
// temporary file is removed when the object goes uncommitted; what a killed writer left
// beside the same target is removed by the next one. A link is written through: the file
// it points at is replaced.
class OutputFile
{
public:
    OutputFile(const QString& path, OutputRules rules);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the rules and opens the temporary file; false with the reason in *error.
    bool open(QString* error);
    // The temporary file to write; a writer that closes it must have checked its writes.
    QFile& file() { return m_part; }
    // Puts the written file in its place after checking the rules again; false with the
    // reason (a write that failed, a full disk) in *error, the temporary file removed.
    bool commit(QString* error);

    // The temporary file's name for `target` written by the process `pid`.
    static QString partPathFor(const QString& target, qint64 pid);

private:
    void discard();

    QString m_path;
    OutputRules m_rules;
    QString m_target;
    QFile m_part;
    bool m_committed = false;
};

// Removes the files in `folder` whose name is `prefix` followed by the id of a process
// that no longer runs (and by SQLite's "-journal", "-wal" or "-shm"): what killed writers
// left.
void removeLeftovers(const QString& folder, const QString& prefix);

} // namespace velmora
