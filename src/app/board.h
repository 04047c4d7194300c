#pragma once

#include <QColor>
#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace velmora {

// One outstanding job as the board shows it.
struct BoardRow
{
    QString prefix;
    qint64 jobId = 0;
    QDate date;
    QString status;
    QString time; // hours and minutes, "HH:MM"
    QString passenger;
    QString from;
    QString to;
    QString vehicle;
    QString driver; // empty when the job's driver no longer exists
    // The driver is barred, or the driver's or vehicle's documents run out before the day.
    bool unfitDriver = false;
};

// The colour of a job's status cell: orange on board, blue just completed, otherwise
// red for a future job and green for one due today or earlier.
QColor statusColour(const QString& status, QDate date, QDate today);

// The statement readBoard() runs.
const QString& boardStatement();

// Reads every job not completed, in pick-up order (date, then time). Jobs whose vehicle
// type no longer exists are left out; any other column left empty (a missing driver, a
// job saved without a time) shows empty. On a database error returns false with the
// reason in *error; the rows read before it stay in *rows.
bool readBoard(const QSqlDatabase& db, std::vector<BoardRow>* rows, QString* error);

} // namespace velmora
