#include "searchmodel.h"

#include "data/bytes.h"
#include "data/dates.h"

#include <charconv>
#include <iterator>
#include <optional>

namespace velmora {

bool FoundJobsModel::Jobs::readMore(int count, QString* error)
{
    return finder.read(count, &rows, error);
}

namespace {

// What the rows keep of a column shown as they keep it; nullopt for the number and the date.
std::optional<FoundRows::Text> keptText(int column)
{
    using Text = FoundRows::Text;
    switch (column) {
    case FoundJobsModel::Prefix:
        return Text::Prefix;
    case FoundJobsModel::Time:
        return Text::Time;
    case FoundJobsModel::Passenger:
        return Text::Passenger;
    case FoundJobsModel::JobType:
        return Text::VehicleType;
    case FoundJobsModel::Pickup:
        return Text::Pickup;
    case FoundJobsModel::SetDown:
        return Text::Drop;
    default:
        return std::nullopt;
    }
}

} // namespace

QString FoundJobsModel::Jobs::text(qsizetype row, int column) const
{
    // Each cell reads only its own column: saving the list reads every cell of every row.
    if (column == JobId)
        return QString::number(rows.number(row));
    if (column == Date)
        return ukDate(rows.date(row));
    const auto kept = keptText(column);
    return kept ? rows.text(row, *kept) : QString();
}

bool FoundJobsModel::Jobs::appendUtf8(qsizetype row, int column, QByteArray* out) const
{
    if (column == JobId) {
        char digits[24];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), rows.number(row));
        appendBytes(out, QByteArrayView(digits, written.ptr - digits));
    } else if (column == Date) {
        appendUkDate(out, rows.date(row));
    } else if (const auto kept = keptText(column)) {
        appendBytes(out, rows.utf8(row, *kept));
    } else {
        return false;
    }
    return true;
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
