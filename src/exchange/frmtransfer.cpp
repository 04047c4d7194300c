#include "frmtransfer.h"

#include "data/backup.h"
#include "platform/dialogs.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"
#include "platform/workprogress.h"
#include "transfer.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace velmora {

namespace {

const QString kFilter = QStringLiteral("Text Files (*.txt)");

// The proposed file `name` in the program's own folder.
QString proposedPath(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

} // namespace

frmtransfer::frmtransfer(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmtransfer"));
    setWindowTitle(tr("Export And Clear Tables"));
    connect(addEntry(menuBar(), tr("&Exit"), "mnuexi"), &QAction::triggered, this, &QWidget::close);

    auto* jobs = named(new QPushButton(tr("Import &Jobs ")), "cmdtransfer",
                       tr("Import the jobs of another office's transfer file."));
    auto* costs = named(new QPushButton(tr("&Import Costs")), "Command1",
                        tr("Import the cost lines of another office's transfer file."));
    auto* accounts = named(new QPushButton(tr("&Transfer Companies")), "Command2",
                           tr("Write every account to a transfer file for another office."));
    connect(jobs, &QPushButton::clicked, this, [this] {
        importFile(tr("Import jobs from transfer file"), QStringLiteral("Jobs.txt"),
                   &exchange::import_job_transfer);
    });
    connect(costs, &QPushButton::clicked, this, [this] {
        importFile(tr("Import costs from transfer file"), QStringLiteral("Costs.txt"),
                   &exchange::import_cost_transfer);
    });
    connect(accounts, &QPushButton::clicked, this, &frmtransfer::exportAccounts);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    for (QPushButton* button : {jobs, costs, accounts}) {
        button->setMinimumWidth(220);
        layout->addWidget(button);
    }
    layout->addStretch();
    setCentralWidget(central);
    setTabOrder(jobs, costs);
    setTabOrder(costs, accounts);
    jobs->setFocus();
    // As large as its three buttons and its status line need, not a window's default.
    statusBar();
    adjustSize();
}

void frmtransfer::cancelled()
{
    m_dialogs.beep();
    m_dialogs.information(this, tr("The import operation was cancelled.") + QStringLiteral("\r\n"),
                          tr("Export file"));
}

void frmtransfer::importFile(const QString& title, const QString& proposed, Import import)
{
    const QString path = m_dialogs.openFileName(this, title, kFilter, proposedPath(proposed));
    if (path.isEmpty()) {
        cancelled();
        return;
    }
    // No copy is made for a file that cannot be imported.
    if (const QString problem = exchange::transferFileProblem(path); !problem.isEmpty()) {
        m_dialogs.information(this, problem);
        return;
    }
    exchange::TransferOutcome outcome;
    QString copy;
    {
        BusyPointer busy(m_dialogs);
        QString error;
        const std::optional<QString> written = writeSafetyCopy(m_db, &error);
        if (!written) {
            m_dialogs.information(this, tr("Nothing was imported, because the database could "
                                           "not be copied first: %1")
                                            .arg(error));
            return;
        }
        copy = *written;
        const std::unique_ptr<WorkProgress> progress = m_dialogs.progress(
            this, windowTitle(), tr("Importing %1").arg(QDir::toNativeSeparators(path)));
        outcome = import(m_db, path, [&progress](qint64 done, qint64 total) {
            return progress->advance(done, total);
        });
    }
    report(outcome, copy);
    if (!outcome.completed)
        return;
    showStatus(this, tr("%1 added, %2 updated, %3 rejected from %4")
                         .arg(outcome.added)
                         .arg(outcome.updated)
                         .arg(outcome.rejected)
                         .arg(QDir::toNativeSeparators(path)));
    if (outcome.added + outcome.updated > 0)
        Q_EMIT jobsChanged();
}

void frmtransfer::exportAccounts()
{
    const QString path =
        m_dialogs.saveFileName(this, tr("Export Accounts To Transfer File"), kFilter,
                               QStringLiteral("txt"), proposedPath(QStringLiteral("Accounts.txt")));
    if (path.isEmpty()) {
        cancelled();
        return;
    }
    exchange::TransferOutcome outcome;
    {
        BusyPointer busy(m_dialogs);
        // The save dialog asked before an existing file is replaced.
        outcome = exchange::export_account_transfer(m_db, path, true);
    }
    report(outcome, {});
    if (outcome.completed)
        showStatus(this, tr("%1 accounts written to %2")
                             .arg(outcome.written)
                             .arg(QDir::toNativeSeparators(path)));
}

void frmtransfer::report(const exchange::TransferOutcome& outcome, const QString& copy)
{
    if (!outcome.completed) {
        m_dialogs.information(this, outcome.message);
        return;
    }
    m_dialogs.beep();
    QString text = outcome.message;
    if (!copy.isEmpty())
        text += tr("The database as it was before is saved as %1.")
                    .arg(QDir::toNativeSeparators(copy)) +
                QStringLiteral("\r\n");
    if (outcome.rejections.isEmpty())
        m_dialogs.information(this, text);
    else
        m_dialogs.informationList(this, text, outcome.rejections);
}

} // namespace velmora
