#pragma once

#include "jobkey.h"
#include "jobsearch.h"

#include <QGroupBox>
#include <QSqlDatabase>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {

class Dialogs;

// The panel "Search For Previous Jobs": criteria, "&Go", "&Clear", "&Exit" and the list
// of the jobs found, from which a double-click (or Enter) chooses one.
class SearchPanel final : public QGroupBox
{
    Q_OBJECT

public:
    SearchPanel(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    void clearResults();

Q_SIGNALS:
    void jobChosen(const velmora::JobKey& key);
    // "&Exit" was pressed.
    void closed();
    // "&Clear" emptied the criteria and the list.
    void cleared();

private:
    SearchCriteria criteria() const;
    void search();
    void clearAll();
    void choose(QTreeWidgetItem* item);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_customer;
    QLineEdit* m_date;
    QLineEdit* m_driver;
    QLineEdit* m_account;
    QLineEdit* m_pickup;
    QLineEdit* m_drop;
    QTreeWidget* m_list;
};

} // namespace velmora
