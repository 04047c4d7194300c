#include "frmoperational_costs.h"

#include "data/costline.h"
#include "data/dates.h"
#include "data/fault.h"
#include "data/readonly.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>

namespace velmora {

namespace {

enum Column { Id, Date, Amount, Description };

// The costs as the list shows them: dates dd/MM/yyyy, amounts 1,234.50 on the right.
// Rows are fetched as the list scrolls.
class CostsModel final : public QSqlQueryModel
{
public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const QVariant value = QSqlQueryModel::data(index, Qt::DisplayRole);
        if (role == Qt::TextAlignmentRole && index.column() == Amount)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return QSqlQueryModel::data(index, role);
        if (index.column() == Date)
            return ukDate(dateFromStored(value.toString()));
        if (index.column() == Amount)
            return Money::fromVariant(value).toString();
        return value;
    }
};

} // namespace

frmoperational_costs::frmoperational_costs(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_date(dateField(lineEdit("txtopcost_date", tr("The day of the cost, dd/mm/yyyy")))),
      m_amount(lineEdit("txtopcost_gross", tr("The amount of the cost"))),
      m_description(lineEdit("txtopcost_description", tr("What the cost was for"))),
      m_list(named(new QTableView, "grdopcosts", tr("Choose a cost to change or delete"))),
      m_shown(this), m_model(new CostsModel(this))
{
    setObjectName(QStringLiteral("frmoperational_costs"));
    setWindowTitle(tr("Operational Costs"));

    QMenu* file = menuBar()->addMenu(tr("&File"));
    const auto entry = [this, file](const QString& caption, const char* name, auto action) {
        connect(addEntry(file, caption, name), &QAction::triggered, this, action);
    };
    entry(tr("&Add"), "mnuadd", &frmoperational_costs::addCost);
    entry(tr("&Update"), "mnuupdate", &frmoperational_costs::updateCost);
    entry(tr("&Delete"), "mnudelete", &frmoperational_costs::deleteCost);
    entry(tr("&Clear"), "mnuclear", &frmoperational_costs::clear);
    addExit(file, this);

    m_date->setMaxLength(10);
    m_date->setPlaceholderText(QStringLiteral("dd/mm/yyyy"));
    m_amount->setMaxLength(15);
    m_description->setMaxLength(kOpCostDescriptionWidth);
    readOnlyGrid(m_list, m_model);
    addCsvPopup(m_list, m_dialogs, m_db.databaseName());

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&Date"), m_date);
    addCaptioned(grid, 1, tr("&Amount"), m_amount);
    addCaptioned(grid, 2, tr("D&escription"), m_description);
    auto* listLabel = new QLabel(tr("C&osts"));
    listLabel->setBuddy(m_list);
    grid->addWidget(listLabel, 3, 0, 1, 2);
    grid->addWidget(m_list, 4, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 300);
    setCentralWidget(central);
    setTabOrder(m_date, m_amount);
    setTabOrder(m_amount, m_description);
    setTabOrder(m_description, m_list);
    m_date->setFocus();
    resize(520, 460);
}

void frmoperational_costs::opening()
{
    refresh();
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmoperational_costs::rowChosen);
    m_shown.take();
}

void frmoperational_costs::closeEvent(QCloseEvent* event)
{
    if (!mayLeave(m_dialogs, this, m_shown.differs(), tr("Save the operational cost?"),
                  [this] { return m_chosen == 0 ? addCost() : updateCost(); })) {
        event->ignore();
        return;
    }
    OpeningScreen::closeEvent(event);
}

void frmoperational_costs::refresh()
{
    m_model->setQuery(operationalCostsQuery(), m_db);
    if (m_model->lastError().isValid()) {
        m_dialogs.information(this, databaseFault(m_db, failureText(m_model->lastError())));
        return;
    }
    m_model->setHeaderData(Date, Qt::Horizontal, tr("Date"));
    m_model->setHeaderData(Amount, Qt::Horizontal, tr("Amount"));
    m_model->setHeaderData(Description, Qt::Horizontal, tr("Description"));
    m_list->hideColumn(Id);
}

void frmoperational_costs::rowChosen()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    QString error;
    const qint64 id = m_model->record(current.row()).value(Id).toLongLong();
    const auto cost = findOperationalCost(m_db, id, &error);
    if (!cost) {
        m_dialogs.information(this, error.isEmpty() ? tr("The cost is no longer on file.") : error);
        return;
    }
    m_chosen = id;
    m_date->setText(ukDate(cost->date));
    m_amount->setText(cost->amount.toPlainString());
    m_description->setText(cost->description);
    m_shown.take();
}

std::optional<OperationalCost> frmoperational_costs::fields(qint64 id)
{
    const auto refuse = [this](QLineEdit* field, const QString& message) {
        m_dialogs.information(this, message);
        field->setFocus();
        field->selectAll();
        return std::nullopt;
    };
    const auto date = parseUkDate(m_date->text().trimmed());
    if (!date)
        return refuse(m_date, tr("Enter the date of the cost as dd/mm/yyyy"));
    const auto amount = parseLineAmount(m_amount->text());
    if (!amount)
        return refuse(m_amount, tr("Enter the amount of the cost, such as 1,234.50"));
    return OperationalCost{id, *date, *amount, m_description->text().trimmed()};
}

bool frmoperational_costs::store(OperationalCost cost, const QString& done)
{
    QString error;
    if (!saveOperationalCost(m_db, &cost, &error)) {
        m_dialogs.information(this, error);
        return false;
    }
    showStatus(this, done.arg(cost.amount.toString(), ukDate(cost.date)));
    refresh();
    clear();
    return true;
}

bool frmoperational_costs::addCost()
{
    const auto cost = fields(0);
    return cost && store(*cost, tr("Operational cost of %1 on %2 added"));
}

bool frmoperational_costs::updateCost()
{
    if (m_chosen == 0) {
        m_dialogs.information(this, tr("Choose the cost to change in the list first"));
        m_list->setFocus();
        return false;
    }
    const auto cost = fields(m_chosen);
    return cost && store(*cost, tr("Operational cost of %1 on %2 changed"));
}

bool frmoperational_costs::deleteCost()
{
    if (m_chosen == 0) {
        m_dialogs.information(this, tr("Choose the cost to delete in the list first"));
        m_list->setFocus();
        return false;
    }
    const QString what = tr("%1 on %2").arg(m_amount->text(), m_date->text());
    if (m_dialogs.question(this, tr("Delete the operational cost of %1?").arg(what)) !=
        Dialogs::Answer::Yes)
        return false;
    QString error;
    if (!deleteOperationalCost(m_db, m_chosen, &error)) {
        m_dialogs.information(this, error);
        return false;
    }
    showStatus(this, tr("Operational cost of %1 deleted").arg(what));
    refresh();
    clear();
    return true;
}

void frmoperational_costs::clear()
{
    m_chosen = 0;
    m_date->clear();
    m_amount->clear();
    m_description->clear();
    m_list->clearSelection();
    m_date->setFocus();
    m_shown.take();
}

} // namespace velmora
