#include "frmbackup.h"

#include "data/backup.h"
#include "invoiceremoval.h"
#include "platform/dialogs.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

frmbackup::frmbackup(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_invoice(lineEdit("txtinvoice", tr("Invoices numbered below this one are removed."))),
      m_jobs(lineEdit("txtjobs")), m_costs(lineEdit("txtcosts")), m_headers(lineEdit("txtheader")),
      m_lines(lineEdit("txtlines")), m_copy(named(new QLabel, "lblcopy"))
{
    setObjectName(QStringLiteral("frmbackup"));
    setWindowTitle(tr("Backup / Archive Functions"));
    m_invoice->setMaxLength(10);

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&Invoice Number"), m_invoice);
    auto* removeButton = named(new QPushButton(tr("&Remove")), "Command1",
                               tr("Remove the invoices below the number, with their jobs and "
                                  "costs."));
    grid->addWidget(removeButton, 0, 2);
    int row = 1;
    for (const auto& [caption, box] :
         {std::pair{tr("Jobs Removed"), m_jobs}, std::pair{tr("Costs Removed"), m_costs},
          std::pair{tr("Invoice Headers Removed"), m_headers},
          std::pair{tr("Invoice Lines Removed"), m_lines}}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        m_results << addCaptioned(grid, row++, caption, box) << box;
    }
    m_copy->setWordWrap(true);
    m_copy->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_copy, row++, 0, 1, 3);
    m_results << m_copy;
    auto* exit = named(new QPushButton(tr("&Exit")), "cmdexit1");
    grid->addWidget(exit, row, 2);
    grid->setRowStretch(row + 1, 1);
    setCentralWidget(central);
    for (QWidget* widget : m_results)
        widget->setVisible(false);

    connect(removeButton, &QPushButton::clicked, this, &frmbackup::remove);
    connect(m_invoice, &QLineEdit::returnPressed, this, &frmbackup::remove);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    setTabOrder(m_invoice, removeButton);
    setTabOrder(removeButton, exit);
    m_invoice->setFocus();
}

void frmbackup::refuse(const QString& text)
{
    m_dialogs.information(this, text);
    m_invoice->setFocus();
}

void frmbackup::remove()
{
    if (m_invoice->text().isEmpty()) {
        m_dialogs.plain(this, tr("You must supply an Invoice Number "));
        m_invoice->setFocus();
        return;
    }
    const std::optional<qint64> firstKept = exchange::parseInvoiceNumber(m_invoice->text());
    if (!firstKept) {
        refuse(tr("The invoice number must be a whole number."));
        return;
    }
    QString error;
    const auto counts = exchange::countOldInvoices(m_db, *firstKept, &error);
    if (!counts) {
        refuse(error);
        return;
    }
    if (counts->headers == 0 && counts->lines == 0) {
        showCounts({}, {});
        return;
    }
    if (!confirmed(*firstKept, *counts))
        return;
    std::optional<exchange::RemovalCounts> removed;
    std::optional<QString> copy;
    {
        BusyPointer busy(m_dialogs);
        copy = writeSafetyCopy(m_db, &error);
        if (copy)
            removed = exchange::removeOldInvoices(m_db, *firstKept, &error);
    }
    if (!copy) {
        refuse(tr("Nothing was removed, because the database could not be copied first: %1")
                   .arg(error));
        return;
    }
    if (!removed) {
        refuse(tr("The invoices could not be removed: %1\nNothing has been removed.").arg(error));
        return;
    }
    showCounts(*removed, *copy);
    Q_EMIT jobsChanged();
    showStatus(this, tr("%1 invoices below number %2 removed with their jobs and costs")
                         .arg(removed->headers)
                         .arg(*firstKept));
}

bool frmbackup::confirmed(qint64 firstKept, const exchange::RemovalCounts& counts)
{
    const QString text = tr("Every invoice numbered below %1 will be removed for good:\n\n"
                            "%2 invoices with %3 invoice lines,\n%4 jobs and %5 cost lines.\n\n"
                            "A copy of the database is saved first. Remove them?")
                             .arg(firstKept)
                             .arg(counts.headers)
                             .arg(counts.lines)
                             .arg(counts.jobs)
                             .arg(counts.costs);
    return m_dialogs.question(this, text, applicationTitle(), Dialogs::Buttons::YesNoDefaultNo) ==
           Dialogs::Answer::Yes;
}

void frmbackup::showCounts(const exchange::RemovalCounts& counts, const QString& copy)
{
    m_jobs->setText(QString::number(counts.jobs));
    m_costs->setText(QString::number(counts.costs));
    m_headers->setText(QString::number(counts.headers));
    m_lines->setText(QString::number(counts.lines));
    m_copy->setText(copy.isEmpty() ? QString()
                                   : tr("The database as it was before is saved as %1.")
                                         .arg(QDir::toNativeSeparators(copy)));
    for (QWidget* widget : m_results)
        widget->setVisible(true);
}

} // namespace velmora
