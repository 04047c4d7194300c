#pragma once

#include "foundrows.h"
#include "jobsearch.h"
#include "platform/lazyrows.h"

namespace velmora {

// The jobs a search found, as the result list shows them: "Prefix", "Job Id", "Time",
// "Date", "Passenger Name", "Job Type", "Pickup", "Set Down". Rows are read from the
// search's statement as the list needs them, a batch at a time, so that a search finding
// every job in the file shows its first rows at once.
class FoundJobsModel final : public LazyTableModel
{
    Q_OBJECT

public:
    enum Column { Prefix, JobId, Time, Date, Passenger, JobType, Pickup, SetDown, ColumnCount };

    explicit FoundJobsModel(QSqlDatabase db, QObject* parent = nullptr);

    // Shows the jobs `statement` finds, reading the first batch; false with the driver's
    // text in *error, leaving the model empty.
    bool search(const SearchStatement& statement, QString* error);
    // The job of row `row`.
    FoundJob job(int row) const;

private:
    // The jobs of the running search, kept compactly; its statements are kept from one
    // search to the next.
    class Jobs final : public LazyRows
    {
    public:
        explicit Jobs(QSqlDatabase db) : finder(std::move(db)) {}
        bool readMore(int count, QString* error) override;
        bool atEnd() const override { return finder.atEnd(); }
        qsizetype size() const override { return rows.size(); }
        QString text(qsizetype row, int column) const override;
        bool appendUtf8(qsizetype row, int column, QByteArray* out) const override;
        void clear() override;

        JobFinder finder;
        FoundRows rows;
    };

    Jobs m_jobs;
};

} // namespace velmora
