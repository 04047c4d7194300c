#include "recordfile.h"

#include <QIODevice>
#include <QObject>

#include <cstring>

namespace velmora::exchange {

RecordFile::RecordFile(QIODevice& device, qsizetype fieldBytes, qsizetype slotBytes)
    : m_device(device), m_fieldBytes(fieldBytes), m_slotBytes(slotBytes)
{
    if (!device.isSequential()) {
        const qint64 bytes = device.size() - device.pos();
        m_total = bytes / slotBytes + (bytes % slotBytes >= fieldBytes ? 1 : 0);
    }
}

std::optional<QByteArray> RecordFile::next()
{
    if (m_ended)
        return std::nullopt;
    // The slot is read into the same bytes each time; a caller that keeps a record keeps
    // a copy.
    m_slot.resize(m_slotBytes);
    char* slot = m_slot.data();
    qsizetype filled = 0;
    while (filled < m_slotBytes) {
        const qint64 got = m_device.read(slot + filled, m_slotBytes - filled);
        if (got < 0) {
            m_error = QObject::tr("The file could not be read: %1").arg(m_device.errorString());
            m_ended = true;
            return std::nullopt;
        }
        if (got == 0)
            break;
        filled += qsizetype(got);
    }
    if (filled == m_slotBytes)
        return m_slot;
    m_ended = true;
    if (filled >= m_fieldBytes) {
        std::memset(slot + filled, 0, std::size_t(m_slotBytes - filled));
        return m_slot;
    }
    m_stray = filled;
    return std::nullopt;
}

} // namespace velmora::exchange
