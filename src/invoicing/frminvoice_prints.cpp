#include "frminvoice_prints.h"

#include "platform/dialogs.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"
#include "printcopies.h"

#include <QAction>
#include <QGridLayout>
#include <QLineEdit>
#include <QMenuBar>

namespace velmora {

frminvoice_prints::frminvoice_prints(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_invoices(lineEdit("txtinvoice", tr("Enter number ofinvoice copies required"))),
      m_jobSheets(lineEdit("txtdriver", tr("Enter number of driver sheet copies required.")))
{
    setObjectName(QStringLiteral("frminvoice_prints"));
    setWindowTitle(tr("Set Invoice Print Parameters"));
    connect(addEntry(menuBar(), tr("&Save"), "mnusave"), &QAction::triggered, this,
            &frminvoice_prints::save);
    addExit(menuBar(), this);

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    for (QLineEdit* field : {m_invoices, m_jobSheets}) {
        field->setMaxLength(2);
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    }
    addCaptioned(grid, 0, tr("&Invoice Copies"), m_invoices);
    addCaptioned(grid, 1, tr("&Work Sheet Copies"), m_jobSheets);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    setCentralWidget(central);
    setTabOrder(m_invoices, m_jobSheets);
    m_invoices->setFocus();
}

void frminvoice_prints::opening()
{
    QString error;
    const std::optional<PrintCopies> copies = loadPrintCopies(m_db, &error);
    if (!copies) {
        m_dialogs.information(this, error);
        return;
    }
    m_invoices->setText(QString::number(copies->invoices));
    m_jobSheets->setText(QString::number(copies->jobSheets));
}

void frminvoice_prints::save()
{
    PrintCopies copies;
    for (const auto& [field, target] :
         {std::pair{m_invoices, &copies.invoices}, std::pair{m_jobSheets, &copies.jobSheets}}) {
        const std::optional<int> typed = parseCopies(field->text());
        if (!typed) {
            m_dialogs.information(this, tr("Copies must be a whole number from 0 to 99"));
            field->setFocus();
            field->selectAll();
            return;
        }
        *target = *typed;
    }
    QString error;
    if (!savePrintCopies(m_db, copies, &error)) {
        m_dialogs.information(this, error);
        return;
    }
    showStatus(this, tr("Print settings saved: %1 invoice copies, %2 job sheet copies")
                         .arg(copies.invoices)
                         .arg(copies.jobSheets));
}

} // namespace velmora
