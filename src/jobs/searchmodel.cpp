#include "searchmodel.h"

#include "data/dates.h"

namespace velmora {

FoundJobsModel::FoundJobsModel(QSqlDatabase db, QObject* parent)
    : QAbstractTableModel(parent), m_finder(std::move(db))
{
}

bool FoundJobsModel::search(const SearchStatement& statement, QString* error)
{
    beginResetModel();
    m_rows.clear();
    const bool found = m_finder.start(statement, error) && m_finder.read(kBatch, &m_rows, error);
    if (!found)
        m_rows.clear();
    m_shown = static_cast<int>(m_rows.size());
    endResetModel();
    return found;
}

void FoundJobsModel::clear()
{
    beginResetModel();
    m_finder.finish();
    m_rows.clear();
    m_shown = 0;
    endResetModel();
}

FoundJob FoundJobsModel::job(int row) const { return m_rows.at(row); }

int FoundJobsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int FoundJobsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FoundJobsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shown)
        return {};
    const FoundJob job = m_rows.at(index.row());
    switch (index.column()) {
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

QVariant FoundJobsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Prefix:
        return tr("Prefix");
    case JobId:
        return tr("Job Id");
    case Time:
        return tr("Time");
    case Date:
        return tr("Date");
    case Passenger:
        return tr("Passenger Name");
    case JobType:
        return tr("Job Type");
    case Pickup:
        return tr("Pickup");
    case SetDown:
        return tr("Set Down");
    default:
        return {};
    }
}

bool FoundJobsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_finder.atEnd();
}

void FoundJobsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QString error;
    const bool read = m_finder.read(kBatch, &m_rows, &error);
    const int last = static_cast<int>(m_rows.size()) - 1;
    if (last >= m_shown) {
        beginInsertRows({}, m_shown, last);
        m_shown = last + 1;
        endInsertRows();
    }
    if (!read)
        Q_EMIT fetchFailed(error);
}

} // namespace velmora
