#include "searchpanel.h"

#include "data/fault.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "searchmodel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace velmora {

namespace {

QPushButton* button(const char* name, const QString& caption)
{
    auto* push = new QPushButton(caption);
    push->setObjectName(QString::fromLatin1(name));
    return push;
}

// The result list: whole rows, chosen by a double-click or Enter, never edited.
void setUpList(QTableView* list, FoundJobsModel* model)
{
    list->setObjectName(QStringLiteral("List_search"));
    list->setToolTip(SearchPanel::tr("Double click left mouse button to select an entry"));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setModel(model);
}

} // namespace

SearchPanel::SearchPanel(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QGroupBox(tr("Search For Previous Jobs"), parent), m_dialogs(dialogs),
      m_customer(new QLineEdit), m_date(new QLineEdit), m_driver(new QLineEdit),
      m_account(new QLineEdit), m_pickup(new QLineEdit), m_drop(new QLineEdit),
      m_found(new FoundJobsModel(db, this)), m_list(new QTableView), m_engine(engineOf(db))
{
    setObjectName(QStringLiteral("searchpanel"));
    auto* grid = new QGridLayout;
    const struct
    {
        QLineEdit* edit;
        const char* name;
        QString label;
        QString tip;
    } fields[] = {
        {m_customer, "txtscustomer", tr("Customer"), tr("Enter customer name")},
        {m_date, "txtsdate", tr("Pick Up Date"), tr("Enter Pick Up Date")},
        {m_driver, "txtsdriver", tr("Driver/ Call Sign"), tr("Enter driver name")},
        {m_account, "txtsaccount", tr("Account Name"), tr("Enter account name")},
        {m_pickup, "txtpuppoint", tr("Pick Up Point"), tr("Enter pick up point")},
        {m_drop, "txtdpoint", tr("Drop Off Point"), tr("Enter drop point")},
    };
    int row = 0;
    for (const auto& field : fields) {
        field.edit->setObjectName(QString::fromLatin1(field.name));
        field.edit->setToolTip(field.tip);
        auto* label = new QLabel(field.label);
        label->setBuddy(field.edit);
        grid->addWidget(label, row / 2, (row % 2) * 2);
        grid->addWidget(field.edit, row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    setFocusProxy(m_customer);

    auto* go = button("cmdsearchgo", tr("&Go"));
    auto* clear = button("cmdclear", tr("&Clear"));
    // The job screen's own "&Exit" stays beside this panel, so this one takes X.
    auto* exit = button("cmdexitse", tr("E&xit"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(go);
    buttons->addWidget(clear);
    buttons->addWidget(exit);
    buttons->addStretch();

    setUpList(m_list, m_found);

    auto* layout = new QGridLayout(this);
    layout->addLayout(grid, 0, 0);
    layout->addLayout(buttons, 1, 0);
    layout->addWidget(m_list, 2, 0);

    connect(go, &QPushButton::clicked, this, &SearchPanel::search);
    for (const auto& field : fields)
        connect(field.edit, &QLineEdit::returnPressed, this, &SearchPanel::search);
    connect(clear, &QPushButton::clicked, this, &SearchPanel::clearAll);
    connect(exit, &QPushButton::clicked, this, &SearchPanel::closed);
    connect(m_list, &QTableView::activated, this, &SearchPanel::choose);
    addCsvPopup(m_list, m_dialogs, db.databaseName());
    connect(m_found, &FoundJobsModel::fetchFailed, this, [this, db](const QString& error) {
        m_dialogs.information(this, databaseFault(db, error));
    });
}

void SearchPanel::clearResults() { m_found->clear(); }

void SearchPanel::search()
{
    m_found->clear();
    const auto statement = searchStatement({m_customer->text(), m_date->text(), m_driver->text(),
                                            m_account->text(), m_pickup->text(), m_drop->text()},
                                           m_engine);
    if (!statement) {
        m_dialogs.information(this, tr("Please input the pick up date as day/month/year, "
                                       "e.g. 25/12/2026"));
        m_date->setFocus();
        return;
    }
    QString error;
    bool found = false;
    {
        BusyPointer busy(m_dialogs);
        found = m_found->search(*statement, &error);
    }
    if (!found) {
        m_dialogs.information(this, error);
        return;
    }
    if (m_found->rowCount() == 0) {
        m_dialogs.information(this, tr("No jobs matching search criteria"));
        return;
    }
    m_list->resizeColumnsToContents();
    m_list->setCurrentIndex(m_found->index(0, 0));
    m_list->setFocus();
}

void SearchPanel::clearAll()
{
    m_found->clear();
    for (QLineEdit* edit : {m_customer, m_date, m_driver, m_account, m_pickup, m_drop})
        edit->clear();
    Q_EMIT cleared();
}

void SearchPanel::choose(const QModelIndex& index)
{
    Q_EMIT jobChosen(m_found->job(index.row()).key);
}

} // namespace velmora
