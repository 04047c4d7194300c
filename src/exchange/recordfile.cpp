#include "recordfile.h"

#include <QIODevice>
#include <QObject>

namespace velmora::exchange {

RecordFile::RecordFile(QIODevice& device, qsizetype fieldBytes, qsizetype slotBytes)
    : m_device(device), m_fieldBytes(fieldBytes), m_slotBytes(slotBytes)
{
}

std::optional<QByteArray> RecordFile::next()
{
    if (m_ended)
        return std::nullopt;
    QByteArray slot(m_slotBytes, '\0');
    qsizetype filled = 0;
    while (filled < m_slotBytes) {
        const qint64 got = m_device.read(slot.data() + filled, m_slotBytes - filled);
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
        return slot;
    m_ended = true;
    if (filled >= m_fieldBytes)
        return slot;
    m_stray = filled;
    return std::nullopt;
}

} // namespace velmora::exchange
