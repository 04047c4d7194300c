#include "searchpanel.h"

#include "data/dates.h"
#include "platform/dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace velmora {

namespace {

enum Column { Prefix, JobId };

QPushButton* button(const char* name, const QString& caption)
{
    auto* push = new QPushButton(caption);
    push->setObjectName(QString::fromLatin1(name));
    return push;
}

} // namespace

SearchPanel::SearchPanel(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QGroupBox(tr("Search For Previous Jobs"), parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_customer(new QLineEdit), m_date(new QLineEdit), m_driver(new QLineEdit),
      m_account(new QLineEdit), m_pickup(new QLineEdit), m_drop(new QLineEdit),
      m_list(new QTreeWidget)
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
    auto* exit = button("cmdexitse", tr("&Exit"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(go);
    buttons->addWidget(clear);
    buttons->addWidget(exit);
    buttons->addStretch();

    m_list->setObjectName(QStringLiteral("List_search"));
    m_list->setToolTip(tr("Double click left mouse button to select an entry"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("Prefix"), tr("Job Id"), tr("Time"), tr("Date"),
                             tr("Passenger Name"), tr("Job Type"), tr("Pickup"), tr("Set Down")});

    auto* layout = new QGridLayout(this);
    layout->addLayout(grid, 0, 0);
    layout->addLayout(buttons, 1, 0);
    layout->addWidget(m_list, 2, 0);

    connect(go, &QPushButton::clicked, this, &SearchPanel::search);
    for (const auto& field : fields)
        connect(field.edit, &QLineEdit::returnPressed, this, &SearchPanel::search);
    connect(clear, &QPushButton::clicked, this, &SearchPanel::clearAll);
    connect(exit, &QPushButton::clicked, this, &SearchPanel::closed);
    connect(m_list, &QTreeWidget::itemActivated, this, &SearchPanel::choose);
}

void SearchPanel::clearResults()
{
    m_list->clear();
}

SearchCriteria SearchPanel::criteria() const
{
    return {m_customer->text(), m_date->text(),   m_driver->text(),
            m_account->text(),  m_pickup->text(), m_drop->text()};
}

void SearchPanel::search()
{
    m_list->clear();
    const auto statement = searchStatement(criteria());
    if (!statement) {
        m_dialogs.information(this, tr("Please input the pick up date as day/month/year, "
                                       "e.g. 25/12/2026"));
        m_date->setFocus();
        return;
    }
    QString error;
    std::optional<QList<FoundJob>> jobs;
    {
        BusyPointer busy(m_dialogs);
        jobs = findJobs(m_db, *statement, &error);
    }
    if (!jobs) {
        m_dialogs.information(this, error);
        return;
    }
    if (jobs->isEmpty()) {
        m_dialogs.information(this, tr("No jobs matching search criteria"));
        return;
    }
    for (const FoundJob& job : std::as_const(*jobs))
        m_list->addTopLevelItem(new QTreeWidgetItem(
            {job.key.prefix, QString::number(job.key.number), job.time, ukDate(job.date),
             job.passenger, job.vehicleType, job.pickup, job.drop}));
    m_list->setCurrentItem(m_list->topLevelItem(0));
    m_list->setFocus();
}

void SearchPanel::clearAll()
{
    m_list->clear();
    for (QLineEdit* edit : {m_customer, m_date, m_driver, m_account, m_pickup, m_drop})
        edit->clear();
    Q_EMIT cleared();
}

void SearchPanel::choose(QTreeWidgetItem* item)
{
    Q_EMIT jobChosen({item->text(Prefix), item->text(JobId).toLongLong()});
}

} // namespace velmora
