#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

class QWidget;

namespace velmora::screenshots {

// One picture of the manual: the file it is saved as, the menu entry of the main window
// that opens its screen (empty for the main window itself), and what to do on the screen
// before it is taken.
struct Shot
{
    QString file;
    QString menuPath;
    std::function<void(QSqlDatabase& db, QWidget* screen)> prepare;
};

// The pictures the manual shows, in its order (the login window is taken on its own).
const QList<Shot>& manualShots();

// Fills `db` (a new, empty database) with the demonstration firm, its account jobs
// invoiced; false with the reason in *error.
bool fillDemoDesk(QSqlDatabase& db, QString* error);

// Takes every picture into `folder` on a main window over `db`, and the login window;
// false with the screen that could not be opened or the file that could not be written in
// *error. `done` is told each file written.
bool takeShots(QSqlDatabase& db, const QString& folder, QString* error,
               const std::function<void(const QString& file)>& done = {});

} // namespace velmora::screenshots
