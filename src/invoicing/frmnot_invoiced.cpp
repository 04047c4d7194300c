#include "frmnot_invoiced.h"

#include "data/fault.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/lazyrows.h"
#include "platform/screenparts.h"
#include "worklists.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QTreeView>

namespace velmora {

frmnot_invoiced::frmnot_invoiced(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_model(new LazyTableModel(notInvoicedHeadings(), this)),
      m_list(named(new QTreeView, "ListView1"))
{
    setObjectName(QStringLiteral("frmnot_invoiced"));
    setWindowTitle(tr("Accounts With Jobs Not Invoiced"));
    addExit(menuBar(), this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setModel(m_model);
    addCsvPopup(m_list, m_dialogs, m_db.databaseName());
    m_list->setColumnWidth(0, 70);
    m_list->setColumnWidth(1, 260);
    m_list->setColumnWidth(2, 200);
    connect(m_model, &LazyTableModel::fetchFailed, this, [this](const QString& error) {
        m_dialogs.information(this, databaseFault(m_db, error));
    });
    setCentralWidget(m_list);
    resize(680, 480);
}

void frmnot_invoiced::opening()
{
    QString error;
    auto rows = jobsNotInvoiced(m_db, &error);
    if (!rows || !m_model->start(std::move(rows), &error)) {
        m_dialogs.information(this, error);
        return;
    }
    if (m_model->rowCount() == 0) {
        m_dialogs.plain(this, tr("All jobs invoiced"), QStringLiteral("Velmora"));
        return;
    }
    m_list->setCurrentIndex(m_model->index(0, 0));
    m_list->setFocus();
}

} // namespace velmora
