#include "app/board.h"
#include "app/frmmain.h"
#include "baseline.h"
#include "cases.h"
#include "data/dates.h"

#include <QCoreApplication>
#include <QObject>

#include <algorithm>
#include <memory>

namespace velmora::bench {

namespace {

// The same statement, prepared once, its rows read into the same board rows: the check
// that both sides read the same rows.
bool readBoardDirectly(sqlite3_stmt* statement, std::vector<BoardRow>* rows, QString* error)
{
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        rows->push_back({text(statement, 0), sqlite3_column_int64(statement, 1),
                         dateFromStored(text(statement, 3)), text(statement, 9),
                         text(statement, 2).left(5), text(statement, 4), text(statement, 5),
                         text(statement, 6), text(statement, 7), text(statement, 8)});
    }
    return finish(statement, result, error);
}

bool sameRows(const std::vector<BoardRow>& ours, const std::vector<BoardRow>& baseline)
{
    return std::equal(ours.begin(), ours.end(), baseline.begin(), baseline.end(),
                      [](const BoardRow& a, const BoardRow& b) {
                          return a.prefix == b.prefix && a.jobId == b.jobId && a.date == b.date &&
                                 a.status == b.status && a.time == b.time &&
                                 a.passenger == b.passenger && a.from == b.from && a.to == b.to &&
                                 a.vehicle == b.vehicle && a.driver == b.driver;
                      });
}

} // namespace

std::optional<Timed> setUpLoadBoard(Fixture& fixture, QString* error)
{
    const Statement statement =
        prepare(fixture.handle, boardStatement().toUtf8().constData(), error);
    if (!statement)
        return std::nullopt;

    // Both sides must read the same rows, or the comparison means nothing.
    std::vector<BoardRow> ours;
    std::vector<BoardRow> baseline;
    if (!readBoard(fixture.db, &ours, error) ||
        !readBoardDirectly(statement.get(), &baseline, error))
        return std::nullopt;
    if (!sameRows(ours, baseline)) {
        *error = QObject::tr("The board and the baseline read different rows (%1 and %2).")
                     .arg(ours.size())
                     .arg(baseline.size());
        return std::nullopt;
    }

    // The main window as the program shows it, its board refilled and painted each run.
    auto window = std::make_shared<frmmain>(fixture.db, fixture.dialogs);
    window->show();
    QCoreApplication::processEvents();

    Timed timed;
    timed.ours = [db = fixture.db](QString* reason) {
        std::vector<BoardRow> rows;
        return readBoard(db, &rows, reason);
    };
    timed.baseline = [statement, rows = std::make_shared<RawRows>()](QString* reason) {
        return rows->read(statement.get(), -1, reason);
    };
    timed.whole = [window](QString* reason) {
        if (!window->load_board()) {
            *reason = QObject::tr("The main window could not load its board.");
            return false;
        }
        QCoreApplication::processEvents();
        return true;
    };
    return timed;
}

} // namespace velmora::bench
