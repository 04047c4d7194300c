#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// Copies the open database `db` to a new file at `target` with SQLite's online backup,
// which takes a consistent copy while the connection stays open (and while another program
// holds the write lock); a server database is copied whole into a new SQLite file as
// copyFirm() copies it, read in one snapshot. The copy is written beside the target under a
// temporary name and takes the target's name only when whole. Refuses a target that exists or that
// outputRefusal() refuses. False with the reason in *error.
bool backupDatabase(const QSqlDatabase& db, const QString& target, QString* error);

// How many safety copies are kept beside a database.
constexpr int kSafetyCopiesKept = 10;

// Writes a safety copy of `db` beside its file, named after the file's stem and `now` to
// the millisecond ("taxi-20261206-233000-125.backup.mdb", a count added for another copy
// of the same moment; a server database's copies are named after the database and go in
// the folder where an installed program keeps its file, ~/.local/share/velmora), and removes all
// but the newest kSafetyCopiesKept copies whose whole name is of that pattern, never the one just
// made. What killed copies left is removed first. Returns the copy's path; an empty text for a
// database without a file (in memory); nullopt with the reason in *error when the copy could not be
// made.
std::optional<QString> writeSafetyCopy(const QSqlDatabase& db, QString* error,
                                       const QDateTime& now = QDateTime::currentDateTime());

} // namespace velmora
