#pragma once

#include "data/dialect.h"
#include "jobkey.h"

#include <QGroupBox>
#include <QSqlDatabase>

class QLineEdit;
class QModelIndex;
class QTableView;

namespace velmora {

class Dialogs;
class FoundJobsModel;

// The panel "Search For Previous Jobs": criteria, "&Go", "&Clear", "&Exit" and the list
// of the jobs found, from which a double-click (or Enter) chooses one. The list reads
// its rows from the search as it is scrolled.
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
    void search();
    void clearAll();
    void choose(const QModelIndex& index);

    Dialogs& m_dialogs;
    QLineEdit* m_customer;
    QLineEdit* m_date;
    QLineEdit* m_driver;
    QLineEdit* m_account;
    QLineEdit* m_pickup;
    QLineEdit* m_drop;
    FoundJobsModel* m_found;
    QTableView* m_list;
    Engine m_engine; // the statements are written for
};

} // namespace velmora
