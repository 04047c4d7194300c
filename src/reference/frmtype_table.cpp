#include "frmtype_table.h"

#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/fieldsnapshot.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTreeWidget>

namespace velmora {

frmtype_table::frmtype_table(const TypeTable& table, QSqlDatabase db, Dialogs& dialogs,
                             QWidget* parent)
    : OpeningScreen(parent), m_table(table), m_db(std::move(db)), m_dialogs(dialogs),
      m_field(new QLineEdit), m_list(new QTreeWidget)
{
    setObjectName(QStringLiteral("frmtype_table"));
    setWindowTitle(m_table.caption);

    QAction* save = addEntry(menuBar(), QStringLiteral("&Save"), "mnusave");
    addExit(menuBar(), this);

    auto* label = new QLabel(m_table.label);
    label->setObjectName(QStringLiteral("lbltype"));
    label->setBuddy(m_field);
    m_field->setObjectName(m_table.fieldName);
    fitColumn(m_field, m_table.table, m_table.nameColumn);
    m_field->setToolTip(m_table.tip);

    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("ID"), m_table.heading});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    addCsvPopup(m_list, m_dialogs, m_db.databaseName());

    auto* central = new QWidget;
    auto* layout = new QGridLayout(central);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_field, 0, 1, Qt::AlignLeft);
    layout->addWidget(m_list, 1, 0, 1, 2);
    setCentralWidget(central);
    setTabOrder(m_field, m_list);
    m_field->setFocus();
    resize(420, 360);

    connect(save, &QAction::triggered, this, &frmtype_table::save);
    connect(m_field, &QLineEdit::returnPressed, this, &frmtype_table::save);
}

bool frmtype_table::fill_list()
{
    QString error;
    const auto entries = listTypes(m_db, m_table, &error);
    if (!entries) {
        m_dialogs.information(this, error);
        return false;
    }
    m_list->clear();
    if (entries->isEmpty()) {
        m_dialogs.information(this, m_table.emptyTableMessage);
        return false;
    }
    for (const TypeEntry& entry : *entries)
        m_list->addTopLevelItem(new QTreeWidgetItem({QString::number(entry.id), entry.name}));
    return true;
}

void frmtype_table::opening() { fill_list(); }

void frmtype_table::closeEvent(QCloseEvent* event)
{
    const QString typed = m_field->text();
    if (!mayLeave(m_dialogs, this, !typed.isEmpty(), tr("Add %1 to %2?").arg(typed, windowTitle()),
                  [this] { return save(); })) {
        event->ignore();
        return;
    }
    OpeningScreen::closeEvent(event);
}

bool frmtype_table::save()
{
    if (m_field->text().isEmpty()) {
        m_dialogs.information(this, m_table.emptyInputMessage);
        m_field->setFocus();
        return false;
    }
    QString error;
    if (!appendType(m_db, m_table, m_field->text(), &error)) {
        m_dialogs.information(this, error);
        m_field->setFocus();
        return false;
    }
    showStatus(this, tr("%1 added to %2").arg(m_field->text(), windowTitle()));
    fill_list();
    m_field->clear();
    m_field->setFocus();
    return true;
}

} // namespace velmora
