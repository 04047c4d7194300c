#pragma once

#include "jobs/jobkey.h"

#include <QObject>
#include <QSqlDatabase>

#include <optional>

class QMenu;

namespace velmora {

class BoardView;
class Dialogs;
class frmmain;

// The actions on one job of the board: the pop-up menu "Mypopup2", opened by a right
// click on the board or from the keyboard (the Menu key or Shift+F10, at the current
// row), and the work of its entries on the row that holds the board's current cell.
// Enter or a double-click on a row opens its job. Each action says on the status bar
// what it did.
class BoardActions final : public QObject
{
    Q_OBJECT

public:
    BoardActions(frmmain& window, BoardView* view, QSqlDatabase db, Dialogs& dialogs);

    QMenu* menu() const { return m_menu; }
    // While false (a server out of reach) the actions do nothing: the board is only shown.
    void setWritable(bool writable);

    // "&Maintain Job Details": opens the job screen on the row's job.
    void maintainJob();
    // "&Create Paging Board": prints "pageboard.rpt" bearing the row's passenger.
    void createPagingBoard();
    // "&Passenger On Board": marks the job "P" and turns its row orange at once.
    void passengerOnBoard();
    // "&Reset Passenger On Board": marks the job "B" and rebuilds the board.
    void resetPassengerOnBoard();
    // "&Job Completed": marks the job "C"; it leaves the board as it is rebuilt.
    void jobCompleted();
    // "&Re-set Job Complete": asks for a job number and marks that job "P".
    void resetJobComplete();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    // Opens the pop-up menu at the current row (the first row when there is none).
    void popupAtCurrentRow();
    // The current row's index and job; nullopt when the row holds no job.
    std::optional<std::pair<int, JobKey>> currentJob() const;
    // Writes the status; shows the reason when it cannot. True when the job was marked.
    bool writeStatus(const JobKey& key, const QString& status, bool inTransaction);
    // Asks first when the job's driver is barred or a document has run out; true to go on.
    bool dispatchAgreed(const JobKey& key);
    void tellDone(const QString& text);
    void rebuild(const QString& failure);

    frmmain& m_window;
    BoardView* m_view;
    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QMenu* m_menu;
};

} // namespace velmora
