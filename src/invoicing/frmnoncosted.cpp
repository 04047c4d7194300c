#include "frmnoncosted.h"

#include "data/fault.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/lazyrows.h"
#include "platform/screenparts.h"
#include "worklists.h"

#include <QAction>
#include <QMenuBar>
#include <QTableView>

namespace velmora {

frmnoncosted::frmnoncosted(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_model(new LazyTableModel(noncostedHeadings(), this)),
      m_grid(named(new QTableView, "MSFlexGrid2"))
{
    setObjectName(QStringLiteral("frmnoncosted"));
    setWindowTitle(tr("Jobs Marked As Complete But Have No Costs Associated With Them"));
    connect(addEntry(menuBar(), tr("&Refresh"), "mnuref"), &QAction::triggered, this,
            &frmnoncosted::refresh);
    addExit(menuBar(), this);

    readOnlyGrid(m_grid, m_model);
    m_grid->setWordWrap(false);
    m_grid->setColumnWidth(NoncostedBlank, 12);
    m_grid->setColumnWidth(NoncostedPassenger, 160);
    m_grid->setColumnWidth(NoncostedFrom, 200);
    m_grid->setColumnWidth(NoncostedTo, 200);
    m_grid->setColumnHidden(NoncostedPrefix, true);
    m_grid->setColumnHidden(NoncostedNumber, true);
    m_grid->setToolTip(tr("Double-click a job, or press Enter, to open it for costing"));
    connect(m_grid, &QAbstractItemView::activated, this, &frmnoncosted::pick);
    addCsvPopup(m_grid, m_dialogs, m_db.databaseName());
    connect(m_model, &LazyTableModel::fetchFailed, this, [this](const QString& error) {
        m_dialogs.information(this, databaseFault(m_db, error));
    });
    setCentralWidget(m_grid);
    resize(1040, 520);
}

void frmnoncosted::refresh()
{
    QString error;
    auto rows = jobsWithoutCosts(m_db, &error);
    if (!rows || !m_model->start(std::move(rows), &error)) {
        m_dialogs.information(this, error);
        return;
    }
    if (m_model->rowCount() == 0) {
        m_dialogs.information(this, tr("No jobs to report on"));
        return;
    }
    m_grid->setCurrentIndex(m_model->index(0, NoncostedJob));
    m_grid->setFocus();
}

void frmnoncosted::pick(const QModelIndex& index)
{
    if (!index.isValid() || m_model->text(index.row(), NoncostedJob).isEmpty())
        return;
    Q_EMIT jobChosen(m_model->text(index.row(), NoncostedPrefix),
                     m_model->text(index.row(), NoncostedNumber).toLongLong());
}

} // namespace velmora
