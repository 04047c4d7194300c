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

    // The next record's slot (at least the field bytes; missing bytes after them are
    // zero); nullopt at the end of the file or when reading fails (then error() says why).
    std::optional<QByteArray> next();

    // The bytes at the end of the file that did not make a whole record.
    qsizetype strayBytes() const { return m_stray; }
    // How many records the device holds from where reading began, counting a last slot
    // that holds its fields; 0 when its size is not known.
    qint64 total() const { return m_total; }
    // Why reading failed; empty when it did not.
    QString error() const { return m_error; }

private:
    QIODevice& m_device;
    qsizetype m_fieldBytes;
    qsizetype m_slotBytes;
    QByteArray m_slot;
    qsizetype m_stray = 0;
    qint64 m_total = 0;
    QString m_error;
    bool m_ended = false;
};

} // namespace velmora::exchange
