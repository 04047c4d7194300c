#include "frmemail_invoices.h"

#include "data/money.h"
#include "mail/invoicemail.h"
#include "mailscreen.h"
#include "platform/csvsave.h"
#include "platform/dialogs.h"
#include "platform/lazyrows.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

namespace velmora {

namespace {

// The digits of the largest invoice number the program keeps (a 64-bit number).
constexpr int kNumberLength = 18;

// The rows of a list already read whole: an e-mail run's invoices are few.
class ListedRows final : public RowSource
{
public:
    explicit ListedRows(QList<QStringList> rows) : m_rows(std::move(rows)) {}
    bool read(int /*count*/, QList<QStringList>* rows, QString* /*error*/) override
    {
        rows->append(std::exchange(m_rows, {}));
        m_read = true;
        return true;
    }
    bool atEnd() const override { return m_read; }

private:
    QList<QStringList> m_rows;
    bool m_read = false;
};

QStringList row(const MailedInvoice& invoice, const QString& sendTo)
{
    return {QString::number(invoice.invoice), invoice.account,
            Money::fromStored(invoice.amount).toString(), sendTo};
}

} // namespace

frmemail_invoices::frmemail_invoices(QSqlDatabase db, Dialogs& dialogs, KeyStore& keys,
                                     QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs), m_keys(keys),
      m_from(lineEdit("txtfrom_invoice", tr("The first invoice number; empty: the invoices "
                                            "of the last run"))),
      m_to(lineEdit("txtto_invoice", tr("The last invoice number"))),
      m_list(named(new QPushButton(tr("&List Invoices")), "cmdlist")),
      m_model(
          new LazyTableModel({tr("Invoice"), tr("Account"), tr("Amount"), tr("Send To")}, this)),
      m_invoices(named(new QTreeView, "ListView1")),
      m_send(named(new QPushButton(tr("&Send")), "cmdsend",
                   tr("E-mail the invoices listed that have an address")))
{
    setObjectName(QStringLiteral("frmemail_invoices"));
    setWindowTitle(tr("E-mail Invoices"));
    addExit(menuBar(), this);
    for (QLineEdit* field : {m_from, m_to}) {
        fitWidth(field, kNumberLength);
        connect(field, &QLineEdit::returnPressed, this, &frmemail_invoices::list);
    }
    m_invoices->setRootIsDecorated(false);
    m_invoices->setUniformRowHeights(true);
    m_invoices->setModel(m_model);
    addCsvPopup(m_invoices, m_dialogs, m_db.databaseName());
    m_invoices->setColumnWidth(0, 70);
    m_invoices->setColumnWidth(1, 220);
    m_invoices->setColumnWidth(2, 90);
    connect(m_list, &QPushButton::clicked, this, &frmemail_invoices::list);
    connect(m_send, &QPushButton::clicked, this, &frmemail_invoices::send);

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&From Invoice"), m_from);
    addCaptioned(grid, 1, tr("&To Invoice"), m_to);
    grid->addWidget(m_list, 1, 2);
    grid->addWidget(m_invoices, 2, 0, 1, 3);
    grid->addWidget(m_send, 3, 2);
    grid->setRowStretch(2, 1);
    setCentralWidget(central);
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_list);
    setTabOrder(m_list, m_invoices);
    setTabOrder(m_invoices, m_send);
    resize(640, 420);
}

void frmemail_invoices::opening()
{
    list();
    m_from->setFocus();
}

std::optional<InvoiceMailRange> frmemail_invoices::range()
{
    InvoiceMailRange range;
    for (auto [field, number] : {std::pair{m_from, &range.from}, std::pair{m_to, &range.to}}) {
        const QString text = field->text().trimmed();
        if (text.isEmpty())
            continue;
        bool ok = false;
        *number = text.toLongLong(&ok);
        if (!ok || **number <= 0) {
            m_dialogs.information(this, tr("%1 is not an invoice number").arg(text));
            field->setFocus();
            return std::nullopt;
        }
    }
    return range;
}

void frmemail_invoices::list()
{
    const auto chosen = range();
    if (!chosen)
        return;
    QString error;
    QList<MailedInvoice> toSend;
    const auto listed = invoicesToMail(m_db, *chosen, &toSend, &error);
    QList<QStringList> rows;
    if (listed) {
        for (const MailedInvoice& invoice : toSend)
            rows << row(invoice, invoice.address);
        for (const MailedInvoice& invoice : listed->withoutAddress)
            rows << row(invoice, tr("(no e-mail address: print it)"));
        for (const MailedInvoice& invoice : listed->unsure)
            rows << row(invoice, tr("(being sent when a run stopped: check whether it arrived)"));
    }
    if (!listed || !m_model->start(std::make_unique<ListedRows>(std::move(rows)), &error)) {
        m_dialogs.information(this, error);
        return;
    }
    showStatus(this,
               tr("%1 to send, %2 to print").arg(toSend.size()).arg(listed->withoutAddress.size()));
}

void frmemail_invoices::send()
{
    const auto chosen = range();
    if (!chosen)
        return;
    const auto result = sendFromScreen(
        this, m_db, m_dialogs, m_keys, tr("E-mail Invoices"), tr("Sending the invoices"),
        [this, &chosen](const MailSettings& settings, MailTransport& transport,
                        WorkProgress& progress, QString* error) {
            return emailInvoices(m_db, *chosen, settings, transport, progress, error);
        });
    if (!result)
        return;
    list();
    tellMailRun(this, m_dialogs, *result);
}

} // namespace velmora
