#include "lazyrows.h"

#include <QSqlError>

namespace velmora {

StatementRows::StatementRows(const QSqlDatabase& db, const QString& sql, Cells cells)
    : m_query(db, sql), m_cells(std::move(cells))
{
}

bool StatementRows::run(const QVariantList& values, QString* error)
{
    m_running = m_query.run(values, error);
    return m_running;
}

bool StatementRows::read(int count, QList<QStringList>* rows, QString* error)
{
    for (int done = 0; m_running && done < count; ++done) {
        QString failure;
        if (!m_query.next(&failure)) {
            m_running = false;
            if (failure.isEmpty())
                return true;
            *error = failure;
            return false;
        }
        rows->append(m_cells(m_query.row()));
    }
    return true;
}

namespace {

// The rows of a RowSource, each kept as its cells' texts.
class SourcedRows final : public LazyRows
{
public:
    explicit SourcedRows(std::unique_ptr<RowSource> source) : m_source(std::move(source)) {}

    bool readMore(int count, QString* error) override
    {
        return !m_source || m_source->read(count, &m_rows, error);
    }
    bool atEnd() const override { return !m_source || m_source->atEnd(); }
    qsizetype size() const override { return m_rows.size(); }
    QString text(qsizetype row, int column) const override { return m_rows.at(row).value(column); }
    void clear() override
    {
        m_source.reset();
        m_rows.clear();
    }

private:
    std::unique_ptr<RowSource> m_source;
    QList<QStringList> m_rows;
};

} // namespace

LazyTableModel::LazyTableModel(QStringList headings, QObject* parent)
    : QAbstractTableModel(parent), m_headings(std::move(headings))
{
}

LazyTableModel::~LazyTableModel() = default;

bool LazyTableModel::start(std::unique_ptr<RowSource> source, QString* error)
{
    auto rows = std::make_unique<SourcedRows>(std::move(source));
    LazyRows* shown = rows.get();
    // The rows shown before are let go only once the views have forgotten them.
    const bool read = restart(shown, {}, error);
    m_owned = std::move(rows);
    return read;
}

bool LazyTableModel::restart(LazyRows* rows, const std::function<bool(QString* error)>& begin,
                             QString* error)
{
    beginResetModel();
    if (m_rows && m_rows != rows)
        m_rows->clear();
    m_rows = rows;
    const bool read = (!begin || begin(error)) && m_rows->readMore(kBatch, error);
    m_shown = static_cast<int>(m_rows->size());
    endResetModel();
    return read;
}

void LazyTableModel::clear()
{
    beginResetModel();
    if (m_rows)
        m_rows->clear();
    m_shown = 0;
    endResetModel();
}

QString LazyTableModel::text(int row, int column) const
{
    if (row < 0 || row >= m_shown)
        return {};
    return m_rows->text(row, column);
}

bool LazyTableModel::appendUtf8(int row, int column, QByteArray* out) const
{
    return row >= 0 && row < m_shown && m_rows->appendUtf8(row, column, out);
}

int LazyTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
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
    return !parent.isValid() && m_rows && !m_rows->atEnd();
}

void LazyTableModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QString error;
    const bool read = m_rows->readMore(kBatch, &error);
    const int last = static_cast<int>(m_rows->size()) - 1;
    if (last >= m_shown) {
        beginInsertRows({}, m_shown, last);
        m_shown = last + 1;
        endInsertRows();
    }
    if (!read)
        Q_EMIT fetchFailed(error);
}

} // namespace velmora
