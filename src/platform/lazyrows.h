#pragma once

#include "data/batchedquery.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

// Where a lazy list's rows come from: a statement left open between batches, read a
// batch at a time.
class RowSource
{
public:
    virtual ~RowSource() = default;
    // Appends about `count` more rows (each its cells' texts) to *rows; at the last one
    // the source ends. False with the driver's text in *error, which also ends it.
    virtual bool read(int count, QList<QStringList>* rows, QString* error) = 0;
    // True once every row is read, or the source failed.
    virtual bool atEnd() const = 0;
};

// The rows of one statement, each turned into its cells by a function of the row, read a
// batch at a time on either engine (BatchedQuery).
class StatementRows final : public RowSource
{
public:
    using Cells = std::function<QStringList(const QSqlQuery& row)>;

    StatementRows(const QSqlDatabase& db, const QString& sql, Cells cells);
    // Runs the statement with `values`; false with the driver's text in *error.
    bool run(const QVariantList& values, QString* error);
    bool read(int count, QList<QStringList>* rows, QString* error) override;
    bool atEnd() const override { return !m_running; }

private:
    BatchedQuery m_query;
    bool m_running = false;
    Cells m_cells;
};

// The rows a lazy grid shows, read a batch at a time and kept as the store sees fit.
class LazyRows
{
public:
    virtual ~LazyRows() = default;
    // Reads about `count` more rows; at the last one the rows end. False with the driver's
    // text in *error, which also ends them.
    virtual bool readMore(int count, QString* error) = 0;
    // True once every row is read, or the reading failed or was never started.
    virtual bool atEnd() const = 0;
    // The rows read so far.
    virtual qsizetype size() const = 0;
    // The text of a cell of a row read.
    virtual QString text(qsizetype row, int column) const = 0;
    // Appends the same text to *out in UTF-8 when the store can without making a text of it
    // first; false, nothing appended, when it cannot.
    virtual bool appendUtf8(qsizetype /*row*/, int /*column*/, QByteArray* /*out*/) const
    {
        return false;
    }
    // Forgets every row and ends the reading, releasing its hold on the file.
    virtual void clear() = 0;
};

// A read-only grid whose rows are read as the view scrolls to them, so that a list of any
// length opens at once: from a RowSource, or from a store of rows of a subclass's own.
class LazyTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Rows read at a time.
    static constexpr int kBatch = 256;

    explicit LazyTableModel(QStringList headings, QObject* parent = nullptr);
    ~LazyTableModel() override;

    // Shows the rows of `source`, reading its first batch; false with the driver's text in
    // *error, the rows read so far staying.
    bool start(std::unique_ptr<RowSource> source, QString* error);
    // Empties the grid and ends its reading, releasing its hold on the file.
    void clear();
    // The text of a cell; empty outside the rows read.
    QString text(int row, int column) const;
    // Appends the text of a cell to *out in UTF-8 when its rows can (LazyRows::appendUtf8()).
    bool appendUtf8(int row, int column, QByteArray* out) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // Reading more rows failed with the driver's text `error`; the rows read stay.
    void fetchFailed(const QString& error);

protected:
    // Shows `rows` (kept by the caller, which outlives this model's use of them): runs
    // `begin` when given (which empties them and starts their reading afresh) and reads the
    // first batch. False with the driver's text in *error, the rows read so far staying.
    bool restart(LazyRows* rows, const std::function<bool(QString* error)>& begin, QString* error);

private:
    QStringList m_headings;
    std::unique_ptr<LazyRows> m_owned; // the rows of a RowSource
    LazyRows* m_rows = nullptr;
    int m_shown = 0; // the rows the views know of: a batch is read before it is announced
};

} // namespace velmora
