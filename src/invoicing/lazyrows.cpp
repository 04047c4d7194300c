#include "lazyrows.h"

#include <QSqlError>

namespace velmora {

StatementRows::StatementRows(const QSqlDatabase& db, const QString& sql, Cells cells)
    : m_running(std::in_place, db, sql), m_cells(std::move(cells))
{
}

bool StatementRows::run(const QVariantList& values, QString* error)
{
    if (m_running->run(values, error))
        return true;
    m_running.reset();
    return false;
}

bool StatementRows::read(int count, QList<QStringList>* rows, QString* error)
{
    for (int done = 0; m_running && done < count; ++done) {
        QSqlQuery& query = m_running->query();
        if (!query.next()) {
            const QSqlError failure = query.lastError();
            m_running.reset();
            if (failure.type() == QSqlError::NoError)
                return true;
            *error = failure.text();
            return false;
        }
        rows->append(m_cells(query));
    }
    return true;
}

LazyTableModel::LazyTableModel(QStringList headings, QObject* parent)
    : QAbstractTableModel(parent), m_headings(std::move(headings))
{
}

LazyTableModel::~LazyTableModel() = default;

bool LazyTableModel::start(std::unique_ptr<RowSource> source, QString* error)
{
    beginResetModel();
    m_rows.clear();
    m_source = std::move(source);
    const bool read = m_source->read(kBatch, &m_rows, error);
    endResetModel();
    return read;
}

void LazyTableModel::clear()
{
    beginResetModel();
    m_source.reset();
    m_rows.clear();
    endResetModel();
}

QString LazyTableModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).value(column);
}

int LazyTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LazyTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant LazyTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return text(index.row(), index.column());
}

QVariant LazyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headings.value(section);
}

bool LazyTableModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_source && !m_source->atEnd();
}

void LazyTableModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QList<QStringList> more;
    QString error;
    const bool read = m_source->read(kBatch, &more, &error);
    if (!more.isEmpty()) {
        const int first = static_cast<int>(m_rows.size());
        beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
        m_rows.append(more);
        endInsertRows();
    }
    if (!read)
        Q_EMIT fetchFailed(error);
}

} // namespace velmora
