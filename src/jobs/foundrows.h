#pragma once

#include "jobsearch.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <deque>

namespace velmora {

// The jobs a search found, held compactly so that a list scrolled through every job of
// a large file stays small: each prefix, time and vehicle type once, the other texts as
// UTF-8 in one block, no allocation of its own for a row.
class FoundRows
{
public:
    // One job as its columns' UTF-8 bytes, as a statement gives them.
    struct Bytes
    {
        QByteArrayView prefix;
        qint64 number = 0;
        QByteArrayView time;
        QDate date;
        QByteArrayView passenger;
        QByteArrayView vehicleType;
        QByteArrayView pickup;
        QByteArrayView drop;
    };

    void append(const QList<FoundJob>& jobs);
    void append(const Bytes& job);
    FoundJob at(qsizetype row) const;
    // The texts of a row, each of which can be read alone.
    enum class Text { Prefix, Time, Passenger, VehicleType, Pickup, Drop };
    QString text(qsizetype row, Text which) const;
    // The same as the UTF-8 bytes kept, valid until rows are added or forgotten.
    QByteArrayView utf8(qsizetype row, Text which) const;
    qint64 number(qsizetype row) const { return m_rows.at(static_cast<std::size_t>(row)).number; }
    QDate date(qsizetype row) const { return m_rows.at(static_cast<std::size_t>(row)).date; }
    qsizetype size() const { return static_cast<qsizetype>(m_rows.size()); }
    // Forgets every row and gives back their memory.
    void clear();

private:
    struct Row
    {
        qint64 number;
        QDate date;
        qsizetype texts; // where the passenger, pick-up and drop begin in m_texts
        quint32 lengths[3];
        quint32 prefix;
        quint32 time;
        quint32 vehicleType;
    };

    quint32 shared(QByteArrayView text);
    QString text(const Row& row, int which) const;
    QByteArrayView bytes(const Row& row, int which) const;

    std::deque<Row> m_rows;
    QByteArray m_texts;
    QStringList m_shared;
    QList<QByteArray> m_sharedBytes;
    QHash<QByteArray, quint32> m_sharedIndex;
};

} // namespace velmora
