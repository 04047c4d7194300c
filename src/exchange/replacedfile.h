#pragma once

#include "data/outputfile.h"

#include <QString>

#include <vector>

namespace velmora::exchange {

// A transfer file written through an OutputFile (beside its name, put in place only once
// all of it is written, never over what `rules` guard). Unlike QSaveFile it does not wait
// for the disk to confirm the write-out (fsync): a transfer file can be written again, and
// that wait was most of an export's time. Writes are gathered into large pieces.
class ReplacedFile
{
public:
    ReplacedFile(const QString& path, OutputRules rules);

    bool open(QString* error);
    // Room for `size` bytes (a record, at most 64 KiB) at the end of the file, to be filled
    // before the next call.
    char* reserve(qsizetype size);
    // Writes out what is gathered and puts the file in its place; false with the reason
    // in *error.
    bool commit(QString* error);

private:
    void flush();

    QString m_path;
    OutputFile m_file;
    std::vector<char> m_gathered;
    qsizetype m_used = 0;
    bool m_failed = false;
};

} // namespace velmora::exchange
