#include "boardactions.h"

#include "boardmodel.h"
#include "boardview.h"
#include "data/expiry.h"
#include "frmmain.h"
#include "jobs/frmjob_management.h"
#include "jobstatus.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/reportengine.h"
#include "platform/statusline.h"
#include "screenopener.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace velmora {

namespace {

const QString kSupportMessage =
    QStringLiteral("An error has occurred, please contact system support");

// The program's name, the title the platform gives boxes that name none.
QString programTitle() { return QStringLiteral("Velmora"); }

QString jobName(const JobKey& key) { return key.prefix + QString::number(key.number); }

bool opensMenu(const QKeyEvent* key)
{
    return (key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier) ||
           (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
}

} // namespace

BoardActions::BoardActions(frmmain& window, BoardView* view, QSqlDatabase db, Dialogs& dialogs)
    : QObject(&window), m_window(window), m_view(view), m_db(std::move(db)), m_dialogs(dialogs),
      m_menu(new QMenu(view))
{
    buildMenu();
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    connect(m_view, &QAbstractItemView::activated, this, &BoardActions::maintainJob);
}

void BoardActions::setWritable(bool writable) { m_menu->setEnabled(writable); }

void BoardActions::buildMenu()
{
    m_menu->setObjectName(QStringLiteral("Mypopup2"));
    const auto add = [this](QMenu* menu, const QString& caption, void (BoardActions::*action)()) {
        connect(menu->addAction(caption), &QAction::triggered, this, action);
    };
    add(m_menu, tr("&Maintain Job Details"), &BoardActions::maintainJob);
    add(m_menu, tr("&Create Paging Board"), &BoardActions::createPagingBoard);
    QMenu* status = m_menu->addMenu(tr("&Update Booking Status"));
    add(status, tr("&Passenger On Board"), &BoardActions::passengerOnBoard);
    add(status, tr("&Reset Passenger On Board"), &BoardActions::resetPassengerOnBoard);
    add(status, tr("&Job Completed"), &BoardActions::jobCompleted);
    // "&Reset Passenger On Board" keeps R; this entry takes the free C.
    add(status, tr("Re-set Job &Complete"), &BoardActions::resetJobComplete);
    addSaveAsCsv(m_menu, m_view, m_dialogs, m_db.databaseName());
}

bool BoardActions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && opensMenu(static_cast<QKeyEvent*>(event))) {
        popupAtCurrentRow();
        return true;
    }
    if (event->type() != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    if (menuEvent->reason() != QContextMenuEvent::Mouse) {
        // The platform may follow the Menu key press with this event: one menu is enough.
        if (!m_menu->isVisible())
            popupAtCurrentRow();
        return true;
    }
    const QPoint at = watched == m_view ? m_view->viewport()->mapFrom(m_view, menuEvent->pos())
                                        : menuEvent->pos();
    const QModelIndex index = m_view->indexAt(at);
    if (index.isValid())
        m_view->setCurrentIndex(index);
    m_menu->popup(m_view->viewport()->mapToGlobal(at));
    return true;
}

void BoardActions::popupAtCurrentRow()
{
    if (!m_view->currentIndex().isValid() && m_view->model() && m_view->model()->rowCount() > 0)
        m_view->setCurrentIndex(m_view->model()->index(0, BoardModel::Job));
    const QRect cell = m_view->visualRect(m_view->currentIndex());
    const QPoint at =
        cell.isValid() ? QPoint(cell.left() + cell.width() / 2, cell.bottom()) : QPoint(0, 0);
    m_menu->popup(m_view->viewport()->mapToGlobal(at));
    m_menu->setActiveAction(m_menu->actions().value(0));
}

std::optional<std::pair<int, JobKey>> BoardActions::currentJob() const
{
    const int row = m_view->currentIndex().row();
    const auto& rows = m_window.board()->rows();
    if (row < 0 || row >= static_cast<int>(rows.size()) || rows[row].jobId <= 0)
        return std::nullopt;
    return std::pair{row, JobKey{rows[row].prefix, rows[row].jobId}};
}

void BoardActions::maintainJob()
{
    const auto job = currentJob();
    if (!job || !m_menu->isEnabled())
        return;
    if (auto* open = openCopy<frmjob_management>(&m_window)) {
        bringForward(open);
        open->selectJob(job->second);
        return;
    }
    frmjob_management* screen = m_window.jobScreen();
    screen->presetJob(job->second);
    openScreen(&m_window, screen);
}

void BoardActions::createPagingBoard()
{
    const auto job = currentJob();
    if (!job)
        return;
    const QString passenger = m_window.board()->rows()[job->first].passenger;
    if (passenger.isEmpty())
        return;
    QString error;
    if (!setPagingName(m_db, passenger, &error)) {
        m_dialogs.information(&m_window, error);
        return;
    }
    if (printReport(m_window.reports(), m_dialogs, &m_window, QStringLiteral("pageboard.rpt"),
                    ReportEngine::Printer)) {
        m_dialogs.plain(&m_window, tr("Paging Board Printed"), programTitle());
        tellDone(tr("Paging board printed for %1").arg(passenger));
    }
}

bool BoardActions::writeStatus(const JobKey& key, const QString& status, bool inTransaction)
{
    QString error;
    const auto found = setJobStatus(m_db, key, status, inTransaction, &error);
    if (!found)
        m_dialogs.information(&m_window, error);
    return found.value_or(false);
}

void BoardActions::tellDone(const QString& text) { showStatus(&m_window, text); }

void BoardActions::rebuild(const QString& failure)
{
    // The cursor stays on its row: after a job leaves the board, on the job that followed.
    const QModelIndex current = m_view->currentIndex();
    if (!m_window.load_board())
        m_dialogs.information(&m_window, failure + m_window.boardFault());
    const int rows = m_view->model() ? m_view->model()->rowCount() : 0;
    if (current.isValid() && rows > 0)
        m_view->setCurrentIndex(
            m_view->model()->index(std::min(current.row(), rows - 1), current.column()));
}

void BoardActions::passengerOnBoard()
{
    const auto job = currentJob();
    if (!job || !dispatchAgreed(job->second))
        return;
    const QString before = m_window.board()->rows()[job->first].status;
    m_window.board()->setStatus(job->first, QStringLiteral("P"));
    if (writeStatus(job->second, QStringLiteral("P"), true))
        tellDone(tr("Job %1: passenger on board").arg(jobName(job->second)));
    else // the board shows what the file holds
        m_window.board()->setStatus(job->first, before);
    m_view->viewport()->update();
}

bool BoardActions::dispatchAgreed(const JobKey& key)
{
    QString error;
    const auto concerns = jobConcerns(m_db, key.prefix, key.number, &error);
    if (!concerns) {
        m_dialogs.information(m_view, error);
        return false;
    }
    return concerns->isEmpty() ||
           m_dialogs.question(m_view,
                              concerns->join(u'\n') +
                                  tr("\n\nDispatch job %1 all the same?").arg(jobName(key))) ==
               Dialogs::Answer::Yes;
}

void BoardActions::resetPassengerOnBoard()
{
    const auto job = currentJob();
    const bool marked = job && writeStatus(job->second, QStringLiteral("B"), true);
    m_view->viewport()->update();
    rebuild(kSupportMessage);
    if (marked)
        tellDone(tr("Job %1: booked again, passenger not on board").arg(jobName(job->second)));
}

void BoardActions::jobCompleted()
{
    const auto job = currentJob();
    bool marked = false;
    if (job) {
        m_window.board()->setStatus(job->first, QStringLiteral("C"));
        marked = writeStatus(job->second, QStringLiteral("C"), false);
    }
    rebuild(tr("Error on getting data for grid, contact system support"));
    if (marked)
        tellDone(tr("Job %1 completed").arg(jobName(job->second)));
}

void BoardActions::resetJobComplete()
{
    const auto answer = m_dialogs.input(&m_window, tr("Please supply job number "), programTitle());
    bool isNumber = false;
    const qint64 number = answer ? answer->trimmed().toLongLong(&isNumber) : 0;
    if (!isNumber || number <= 0)
        return;
    QString error;
    const auto prefixes = prefixesOfJob(m_db, number, &error);
    if (!prefixes) {
        m_dialogs.information(&m_window, error);
        return;
    }
    QString prefix = prefixes->value(0);
    if (prefixes->size() > 1) {
        const auto chosen =
            m_dialogs.input(&m_window,
                            tr("Job %1 exists with prefixes %2. Please supply the job prefix ")
                                .arg(number)
                                .arg(prefixes->join(QStringLiteral(", "))),
                            programTitle(), prefix);
        prefix = chosen ? chosen->trimmed().toUpper() : QString();
        if (!prefixes->contains(prefix, Qt::CaseInsensitive))
            return;
    }
    if (prefix.isEmpty())
        return;
    const bool marked = writeStatus({prefix, number}, QStringLiteral("P"), false);
    rebuild(kSupportMessage);
    if (marked)
        tellDone(tr("Job %1 back on the board: passenger on board").arg(jobName({prefix, number})));
}

} // namespace velmora
