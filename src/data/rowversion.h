#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>

namespace velmora {

// Jobs, accounts, drivers and vehicles each carry a row version, counted up by every
// change of the row, and the moment of that change. A screen remembers the version it
// read and saves only over that version, so that a save never overwrites what another
// desk saved meanwhile; no lock is held while the screen is open.

// The assignments that count a change of a row: bind changeStamp() for its one value.
QString versionBump();
// The moment stamped on a change made now on `db`, as stored ("yyyy-MM-dd HH:mm:ss"): the
// moment the audit trail's entries bear (a generated firm's own days), else the time now.
QVariant changeStamp(const QSqlDatabase& db);

// What a save of one row found.
enum class RowSave { Saved, Missing, ChangedElsewhere };

// A row of `table` as a screen read it: how `where` (with `?` for each of `key`) finds it
// and how the operator knows it ("Job A51", "Vehicle AB12 CDE").
struct ReadRow
{
    QString table;
    QString where;
    QVariantList key;
    QString name;
};

// Updates the row `row` with `sets` (assignments of `values` in order) and counts its
// version up, when `version` is given only while the row is still at that version.
// ChangedElsewhere with "Job A51 was changed at another desk at 14:32; your changes were
// not saved" in *error when it is not, Missing when there is no such row; nullopt with the
// driver's text in *error when the update failed.
std::optional<RowSave> saveRow(const QSqlDatabase& db, const ReadRow& row, const QString& sets,
                               QVariantList values, std::optional<qint64> version, QString* error);

} // namespace velmora
