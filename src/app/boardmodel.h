#pragma once

#include "board.h"

#include <QAbstractTableModel>
#include <QDate>

#include <vector>

namespace velmora {

// The board of current jobs as a table model: eleven columns (status colour, job,
// date, status, time, passenger, from, to, vehicle, driver, hidden prefix) and always
// one empty row after the last job.
class BoardModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        StatusColour,
        Job,
        Date,
        Status,
        Time,
        Passenger,
        From,
        To,
        Vehicle,
        Driver,
        Prefix,
        ColumnCount
    };

    explicit BoardModel(QObject* parent = nullptr);

    // Headings and relative widths of the columns.
    static QString heading(int column);
    static int relativeWidth(int column);

    // Replaces the rows; colours are judged against `today`.
    void setRows(std::vector<BoardRow> rows, QDate today);
    void clear();
    const std::vector<BoardRow>& rows() const { return m_rows; }
    // Shows `status` on job row `row` in place, with its colour, until the next setRows().
    void setStatus(int row, const QString& status);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<BoardRow> m_rows;
    QDate m_today;
};

} // namespace velmora
