#include "boardmodel.h"

#include "data/dates.h"

#include <QBrush>

#include <array>

namespace velmora {

namespace {

struct ColumnInfo
{
    const char* heading;
    int width; // in the proportions of the original board
};

constexpr std::array<ColumnInfo, BoardModel::ColumnCount> kColumns = {{
    {"", 200},
    {"Job", 500},
    {"Date", 900},
    {"Status", 550},
    {"Time", 800},
    {"Passenger", 1850},
    {"From", 1850},
    {"To", 1850},
    {"Vehicle", 800},
    {"Driver", 1400},
    {"", 0},
}};

} // namespace

BoardModel::BoardModel(QObject* parent) : QAbstractTableModel(parent) {}

QString BoardModel::heading(int column) { return QString::fromLatin1(kColumns.at(column).heading); }

int BoardModel::relativeWidth(int column) { return kColumns.at(column).width; }

void BoardModel::setRows(std::vector<BoardRow> rows, QDate today)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_today = today;
    endResetModel();
}

void BoardModel::clear() { setRows({}, m_today); }

void BoardModel::setStatus(int row, const QString& status)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    m_rows[static_cast<std::size_t>(row)].status = status;
    Q_EMIT dataChanged(index(row, StatusColour), index(row, Status));
}

int BoardModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size()) + 1;
}

int BoardModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BoardModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
        return {};
    const BoardRow& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::BackgroundRole && index.column() == StatusColour)
        return QBrush(statusColour(row.status, row.date, m_today));
    if (row.unfitDriver && index.column() == Driver) {
        if (role == Qt::BackgroundRole)
            return QBrush(QColor(255, 190, 190));
        if (role == Qt::ToolTipRole)
            return tr("The driver is barred, or a badge, licence, plate or insurance runs out "
                      "before the job's day");
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Job:
        return QString::number(row.jobId);
    case Date:
        return ukDate(row.date);
    case Status:
        return row.status;
    case Time:
        return row.time;
    case Passenger:
        return row.passenger;
    case From:
        return row.from;
    case To:
        return row.to;
    case Vehicle:
        return row.vehicle;
    case Driver:
        return row.driver;
    case Prefix:
        return row.prefix;
    default:
        return {};
    }
}

QVariant BoardModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return heading(section);
}

} // namespace velmora
