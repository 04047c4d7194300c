#include "frmaudit_trail.h"

#include "data/auditquery.h"
#include "data/dates.h"
#include "data/fault.h"
#include "data/sql.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/lazyrows.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>

namespace velmora {

namespace {

QStringList headings()
{
    return {QObject::tr("Entry"), QObject::tr("When"), QObject::tr("Operator"),
            QObject::tr("Table"), QObject::tr("Key"),  QObject::tr("Before"),
            QObject::tr("After")};
}

// Fills `list` with the values `sql` reads, after an empty entry. The operators come from
// the operators' own table, not from the trail, which has no index on them: a name no longer
// there is typed.
void fillList(const QSqlDatabase& db, QComboBox* list, const QString& sql)
{
    list->addItem(QString());
    QSqlQuery query(db);
    if (!run(query, sql))
        return;
    while (query.next())
        list->addItem(query.value(0).toString());
}

} // namespace

frmaudit_trail::frmaudit_trail(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_from(dateField(lineEdit("txtfrom", tr("The first day, dd/mm/yyyy")))),
      m_to(dateField(lineEdit("txtto", tr("The last day, dd/mm/yyyy")))),
      m_operator(dropDown("txtoperator", tr("Select an operator or leave empty for all"))),
      m_table(dropDown("txttable", tr("Select a table or leave empty for all"))),
      m_key(lineEdit("txtkey", tr("A row's key, or a job's such as A51"))),
      m_model(new LazyTableModel(headings(), this)), m_grid(named(new QTableView, "grdaudit"))
{
    setObjectName(QStringLiteral("frmaudit_trail"));
    setWindowTitle(tr("Audit Trail"));
    addExit(menuBar(), this);
    fitWidth(m_from, 10);
    fitWidth(m_to, 10);
    fitColumn(m_operator, u"passwords", u"user_name");
    fitWidth(m_key, 20);

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&From"), m_from);
    addCaptioned(grid, 1, tr("&To"), m_to);
    addCaptioned(grid, 2, tr("&Operator"), m_operator);
    addCaptioned(grid, 3, tr("T&able"), m_table);
    addCaptioned(grid, 4, tr("&Key"), m_key);
    auto* show = named(new QPushButton(tr("&Show")), "cmdshow");
    grid->addWidget(show, 4, 2);
    readOnlyGrid(m_grid, m_model);
    addCsvPopup(m_grid, m_dialogs, m_db.databaseName());
    m_grid->setWordWrap(false);
    m_grid->setColumnWidth(1, 140);
    m_grid->setColumnWidth(5, 300);
    grid->addWidget(m_grid, 5, 0, 1, 4);
    grid->setRowStretch(5, 1);
    setCentralWidget(central);
    for (auto [from, to] : {std::pair<QWidget*, QWidget*>{m_from, m_to},
                            {m_to, m_operator},
                            {m_operator, m_table},
                            {m_table, m_key},
                            {m_key, show},
                            {show, m_grid}})
        setTabOrder(from, to);
    connect(show, &QPushButton::clicked, this, &frmaudit_trail::show_entries);
    connect(m_key, &QLineEdit::returnPressed, this, &frmaudit_trail::show_entries);
    connect(m_model, &LazyTableModel::fetchFailed, this, [this](const QString& error) {
        m_dialogs.information(this, databaseFault(m_db, error));
    });
    resize(1000, 560);
}

void frmaudit_trail::opening()
{
    fillList(m_db, m_operator, QStringLiteral("SELECT user_name FROM passwords ORDER BY 1"));
    // Read through the index on the table and key.
    fillList(m_db, m_table,
             QStringLiteral("SELECT DISTINCT table_name FROM audit_trail ORDER BY 1"));
    m_from->setFocus();
}

bool frmaudit_trail::show_entries()
{
    AuditFilter filter;
    for (auto [field, day] : {std::pair{m_from, &filter.from}, {m_to, &filter.to}}) {
        if (field->text().trimmed().isEmpty())
            continue;
        const auto date = parseUkDate(field->text());
        if (!date) {
            m_dialogs.information(this, tr("Enter the date as dd/mm/yyyy"));
            field->setFocus();
            return false;
        }
        *day = *date;
    }
    filter.operatorName = m_operator->currentText().trimmed();
    filter.table = m_table->currentText().trimmed();
    filter.key = m_key->text().trimmed();
    const AuditQuery audit = auditQuery(filter);
    auto rows = std::make_unique<StatementRows>(m_db, audit.sql, [](const QSqlQuery& row) {
        QStringList cells;
        for (int column = 0; column < kAuditColumns; ++column)
            cells << (column == 1 ? auditStamp(row.value(column).toString())
                                  : row.value(column).toString());
        return cells;
    });
    QString error;
    if (!rows->run(audit.values, &error) || !m_model->start(std::move(rows), &error)) {
        m_dialogs.information(this, databaseFault(m_db, error));
        return false;
    }
    showStatus(this, m_model->rowCount() == 0 ? tr("No entries found")
                                              : tr("Entries listed, oldest first"));
    return true;
}

} // namespace velmora
