#include "foundrows.h"

namespace velmora {

void FoundRows::append(const QList<FoundJob>& jobs)
{
    for (const FoundJob& job : jobs)
        append(job);
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

void FoundRows::clear()
{
    std::deque<Row>().swap(m_rows);
    m_texts = {};
    m_shared = {};
    m_sharedIndex = {};
}

void FoundRows::append(const FoundJob& job)
{
    Row row{job.key.number,         job.date,         m_texts.size(),         {},
            shared(job.key.prefix), shared(job.time), shared(job.vehicleType)};
    int which = 0;
    for (const QString* text : {&job.passenger, &job.pickup, &job.drop}) {
        const QByteArray utf8 = text->toUtf8();
        m_texts.append(utf8);
        row.lengths[which++] = static_cast<quint32>(utf8.size());
    }
    m_rows.push_back(row);
}

quint32 FoundRows::shared(const QString& text)
{
    const auto found = m_sharedIndex.constFind(text);
    if (found != m_sharedIndex.cend())
        return *found;
    const auto index = static_cast<quint32>(m_shared.size());
    m_shared.append(text);
    m_sharedIndex.insert(text, index);
    return index;
}

QString FoundRows::text(const Row& row, int which) const
{
    qsizetype start = row.texts;
    for (int before = 0; before < which; ++before)
        start += row.lengths[before];
    return QString::fromUtf8(m_texts.constData() + start, row.lengths[which]);
}

} // namespace velmora
