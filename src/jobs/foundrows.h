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
    void append(const QList<FoundJob>& jobs);
    FoundJob at(qsizetype row) const;
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

    void append(const FoundJob& job);
    quint32 shared(const QString& text);
    QString text(const Row& row, int which) const;

    std::deque<Row> m_rows;
    QByteArray m_texts;
    QStringList m_shared;
    QHash<QString, quint32> m_sharedIndex;
};

} // namespace velmora
