#include "frminvoice_prints.h"

#include "nextinvoice.h"
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
      m_jobSheets(lineEdit("txtdriver", tr("Enter number of driver sheet copies required."))),
      m_nextInvoice(lineEdit("txtnext_invoice",
                             tr("The number the next invoice run gives its first invoice")))
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
    m_nextInvoice->setMaxLength(18);
    fitWidth(m_nextInvoice, 12);
    addCaptioned(grid, 2, tr("&Next Invoice Number"), m_nextInvoice);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    setCentralWidget(central);
    setTabOrder(m_invoices, m_jobSheets);
    setTabOrder(m_jobSheets, m_nextInvoice);
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
    const std::optional<InvoiceNumbering> numbering = readInvoiceNumbering(m_db, &error);
    if (!numbering) {
        m_dialogs.information(this, error);
        return;
    }
    m_shownNext = QString::number(numbering->next);
    m_nextInvoice->setText(m_shownNext);
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
    bool isNumber = false;
    const qint64 next = m_nextInvoice->text().trimmed().toLongLong(&isNumber);
    const bool nextChanged = m_nextInvoice->text().trimmed() != m_shownNext;
    if (nextChanged && !isNumber) {
        m_dialogs.information(this, tr("The next invoice number must be a whole number"));
        m_nextInvoice->setFocus();
        m_nextInvoice->selectAll();
        return;
    }
    QString error;
    if (!savePrintCopies(m_db, copies, &error)) {
        m_dialogs.information(this, error);
        return;
    }
    if (nextChanged && !setNextInvoiceNumber(m_db, next, &error)) {
        m_dialogs.information(this, error);
        m_nextInvoice->setFocus();
        m_nextInvoice->selectAll();
        return;
    }
    if (nextChanged)
        m_shownNext = QString::number(next);
    showStatus(this, tr("Print settings saved: %1 invoice copies, %2 job sheet copies; the "
                        "next invoice is number %3")
                         .arg(copies.invoices)
                         .arg(copies.jobSheets)
                         .arg(m_shownNext));
}

} // namespace velmora
