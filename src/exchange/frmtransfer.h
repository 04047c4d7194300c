#pragma once

#include "transfer.h"

#include <QMainWindow>
#include <QSqlDatabase>

namespace velmora {

class Dialogs;

// "Export And Clear Tables": imports the jobs and the cost lines of another installation's
// transfer files and writes the accounts to a transfer file for it. Before an import the
// database is copied beside its file; rejected records are listed together at the end.
class frmtransfer final : public QMainWindow
{
    Q_OBJECT

public:
    frmtransfer(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

Q_SIGNALS:
    // An import added or updated jobs, so the board of current jobs is out of date.
    void jobsChanged();

private:
    using Import = exchange::TransferOutcome (*)(const QSqlDatabase&, const QString&,
                                                 const exchange::TransferProgress&);

    void importFile(const QString& title, const QString& proposed, Import import);
    void exportAccounts();
    void cancelled();
    // Shows a routine's outcome, naming the safety copy taken before it when there is one.
    void report(const exchange::TransferOutcome& outcome, const QString& copy);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
};

} // namespace velmora
