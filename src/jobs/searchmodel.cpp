#include "searchmodel.h"

#include "data/dates.h"

namespace velmora {

bool FoundJobsModel::Jobs::readMore(int count, QString* error)
{
    return finder.read(count, &rows, error);
}

QString FoundJobsModel::Jobs::text(qsizetype row, int column) const
{
    const FoundJob job = rows.at(row);
    switch (column) {
    case Prefix:
        return job.key.prefix;
    case JobId:
        return QString::number(job.key.number);
    case Time:
        return job.time;
    case Date:
        return ukDate(job.date);
    case Passenger:
        return job.passenger;
    case JobType:
        return job.vehicleType;
    case Pickup:
        return job.pickup;
    case SetDown:
        return job.drop;
    default:
        return {};
    }
}

void FoundJobsModel::Jobs::clear()
{
    finder.finish();
    rows.clear();
}

FoundJobsModel::FoundJobsModel(QSqlDatabase db, QObject* parent)
    : LazyTableModel({tr("Prefix"), tr("Job Id"), tr("Time"), tr("Date"), tr("Passenger Name"),
                      tr("Job Type"), tr("Pickup"), tr("Set Down")},
                     parent),
      m_jobs(std::move(db))
{
}

bool FoundJobsModel::search(const SearchStatement& statement, QString* error)
{
    const bool found = restart(
        &m_jobs,
        [this, &statement](QString* reason) {
            m_jobs.clear();
            return m_jobs.finder.start(statement, reason);
        },
        error);
    if (!found)
        clear();
    return found;
}

FoundJob FoundJobsModel::job(int row) const { return m_jobs.rows.at(row); }

} // namespace velmora
