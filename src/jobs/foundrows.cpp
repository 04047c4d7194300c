#include "foundrows.h"

namespace velmora {

void FoundRows::append(const QList<FoundJob>& jobs)
{
    for (const FoundJob& job : jobs) {
        const QByteArray prefix = job.key.prefix.toUtf8();
        const QByteArray time = job.time.toUtf8();
        const QByteArray passenger = job.passenger.toUtf8();
        const QByteArray vehicleType = job.vehicleType.toUtf8();
        const QByteArray pickup = job.pickup.toUtf8();
        const QByteArray drop = job.drop.toUtf8();
        append(Bytes{prefix, job.key.number, time, job.date, passenger, vehicleType, pickup, drop});
    }
}

FoundJob FoundRows::at(qsizetype row) const
{
    const Row& found = m_rows.at(static_cast<std::size_t>(row));
    return {{m_shared.at(found.prefix), found.number},
            m_shared.at(found.time),
            found.date,
            text(found, 0),
            m_shared.at(found.vehicleType),
            text(found, 1),
            text(found, 2)};
}

QString FoundRows::text(qsizetype row, Text which) const
{
    // The shared texts are kept as text too; the others are read from their bytes.
    const Row& found = m_rows.at(static_cast<std::size_t>(row));
    switch (which) {
    case Text::Prefix:
        return m_shared.at(found.prefix);
    case Text::Time:
        return m_shared.at(found.time);
    case Text::VehicleType:
        return m_shared.at(found.vehicleType);
    default:
        return QString::fromUtf8(utf8(row, which));
    }
}

QByteArrayView FoundRows::utf8(qsizetype row, Text which) const
{
    const Row& found = m_rows.at(static_cast<std::size_t>(row));
    switch (which) {
    case Text::Prefix:
        return m_sharedBytes.at(found.prefix);
    case Text::Time:
        return m_sharedBytes.at(found.time);
    case Text::Passenger:
        return bytes(found, 0);
    case Text::VehicleType:
        return m_sharedBytes.at(found.vehicleType);
    case Text::Pickup:
        return bytes(found, 1);
    case Text::Drop:
        return bytes(found, 2);
    }
    return {};
}

void FoundRows::clear()
{
    std::deque<Row>().swap(m_rows);
    m_texts = {};
    m_shared = {};
    m_sharedBytes = {};
    m_sharedIndex = {};
}

void FoundRows::append(const Bytes& job)
{
    Row row{job.number,         job.date,         m_texts.size(),         {},
            shared(job.prefix), shared(job.time), shared(job.vehicleType)};
    int which = 0;
    for (const QByteArrayView text : {job.passenger, job.pickup, job.drop}) {
        m_texts.append(text);
        row.lengths[which++] = static_cast<quint32>(text.size());
    }
    m_rows.push_back(row);
}

quint32 FoundRows::shared(QByteArrayView text)
{
    // Looked up without a copy: only a text not seen before is kept.
    const auto found = m_sharedIndex.constFind(QByteArray::fromRawData(text.data(), text.size()));
    if (found != m_sharedIndex.cend())
        return *found;
    const auto index = static_cast<quint32>(m_shared.size());
    m_shared.append(QString::fromUtf8(text));
    m_sharedBytes.append(text.toByteArray());
    m_sharedIndex.insert(text.toByteArray(), index);
    return index;
}

QString FoundRows::text(const Row& row, int which) const
{
    return QString::fromUtf8(bytes(row, which));
}

QByteArrayView FoundRows::bytes(const Row& row, int which) const
{
    qsizetype start = row.texts;
    for (int before = 0; before < which; ++before)
        start += row.lengths[before];
    return {m_texts.constData() + start, row.lengths[which]};
}

} // namespace velmora
