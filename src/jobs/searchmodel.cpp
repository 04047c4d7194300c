#include "searchmodel.h"

#include "data/dates.h"

namespace velmora {

bool FoundJobsModel::Jobs::readMore(int count, QString* error)
{
    return finder.read(count, &rows, error);
}

QString FoundJobsModel::Jobs::text(qsizetype row, int column) const
{
    // Each cell reads only its own column: saving the list reads every cell of every row.
    using Text = FoundRows::Text;
    switch (column) {
    case Prefix:
        return rows.text(row, Text::Prefix);
    case JobId:
        return QString::number(rows.number(row));
    case Time:
        return rows.text(row, Text::Time);
    case Date:
        return ukDate(rows.date(row));
    case Passenger:
        return rows.text(row, Text::Passenger);
    case JobType:
        return rows.text(row, Text::VehicleType);
    case Pickup:
        return rows.text(row, Text::Pickup);
    case SetDown:
        return rows.text(row, Text::Drop);
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
