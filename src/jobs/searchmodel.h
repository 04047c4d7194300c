#pragma once

#include "foundrows.h"
#include "jobsearch.h"

#include <QAbstractTableModel>

namespace velmora {

// The jobs a search found, as the result list shows them: "Prefix", "Job Id", "Time",
// "Date", "Passenger Name", "Job Type", "Pickup", "Set Down". Rows are read from the
// search's statement as the list needs them, a batch at a time, so that a search finding
// every job in the file shows its first rows at once.
class FoundJobsModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Prefix, JobId, Time, Date, Passenger, JobType, Pickup, SetDown, ColumnCount };

    // Rows read at a time.
    static constexpr int kBatch = 256;

    explicit FoundJobsModel(QSqlDatabase db, QObject* parent = nullptr);

    // Shows the jobs `statement` finds, reading the first batch; false with the driver's
    // text in *error, leaving the model empty.
    bool search(const SearchStatement& statement, QString* error);
    // Empties the model and ends its search.
    void clear();
    // The job of row `row`.
    FoundJob job(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // Reading more rows failed with the driver's text `error`; the rows read stay.
    void fetchFailed(const QString& error);

private:
    JobFinder m_finder;
    FoundRows m_rows;
    int m_shown = 0; // the rows the views know of: a batch is read before it is announced
};

} // namespace velmora
