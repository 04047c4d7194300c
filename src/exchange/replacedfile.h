#pragma once

#include <QFile>
#include <QString>

#include <vector>

namespace velmora::exchange {

// A file written beside its name and put in the place of any file there only once all of
// it is written, so that a write that fails leaves the old file as it was. Unlike
// QSaveFile it does not wait for the disk to confirm the write-out (fsync): a transfer
// file can be written again, and that wait was most of an export's time. Writes are
// gathered into large pieces.
class ReplacedFile
{
public:
    explicit ReplacedFile(const QString& path);
    // Removes the part written when it was never committed.
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    bool open(QString* error);
    // Room for `size` bytes (a record, at most 64 KiB) at the end of the file, to be filled
    // before the next call.
    char* reserve(qsizetype size);
    // Writes out what is gathered and puts the file in its place; false with the reason
    // in *error.
    bool commit(QString* error);

private:
    bool flush();

    QString m_path;
    QFile m_part;
    std::vector<char> m_gathered;
    qsizetype m_used = 0;
    bool m_failed = false;
    bool m_committed = false;
};

} // namespace velmora::exchange
