#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;

namespace velmora::exchange {

// Reads a file of fixed-length record slots one record at a time. A slot whose fields are
// all there counts as a whole record even when the unread bytes after them are missing;
// anything shorter at the end of the file is stray and is not read as a record.
class RecordFile
{
public:
    RecordFile(QIODevice& device, qsizetype fieldBytes, qsizetype slotBytes);

    // The next record's slot (at least the field bytes); nullopt at the end of the file
    // or when reading fails (then error() says why).
    std::optional<QByteArray> next();

    // The bytes at the end of the file that did not make a whole record.
    qsizetype strayBytes() const { return m_stray; }
    // Why reading failed; empty when it did not.
    QString error() const { return m_error; }

private:
    QIODevice& m_device;
    qsizetype m_fieldBytes;
    qsizetype m_slotBytes;
    qsizetype m_stray = 0;
    QString m_error;
    bool m_ended = false;
};

} // namespace velmora::exchange
