#include "profittab.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

ProfitTab::ProfitTab(QWidget* parent)
    : QWidget(parent), m_receipts(new QLineEdit), m_payments(new QLineEdit), m_profit(new QLineEdit)
{
    setObjectName(QStringLiteral("Profitability"));
    auto* form = new QFormLayout;
    const struct
    {
        QLineEdit* edit;
        const char* name;
        QString label;
    } fields[] = {{m_receipts, "txttotalreceipt", tr("Total Receipts")},
                  {m_payments, "txtTotalPayments", tr("Total Payments")},
                  {m_profit, "txtproloss", tr("Profit / Loss")}};
    for (const auto& field : fields) {
        field.edit->setObjectName(QString::fromLatin1(field.name));
        field.edit->setToolTip(tr("Calculated by computer"));
        field.edit->setReadOnly(true);
        field.edit->setAlignment(Qt::AlignRight);
        form->addRow(field.label, field.edit);
    }
    auto* exit = new QPushButton(tr("&Exit"));
    exit->setObjectName(QStringLiteral("cmndexit3"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
    connect(exit, &QPushButton::clicked, this, &ProfitTab::exitRequested);
}

void ProfitTab::showTotals(std::optional<Money> receipts, std::optional<Money> payments)
{
    m_receipts->setText(receipts ? receipts->toString() : QString());
    m_payments->setText(payments ? payments->toString() : QString());
    const bool any = receipts || payments;
    m_profit->setText(any ? (receipts.value_or(Money()) - payments.value_or(Money())).toString()
                          : QString());
}

} // namespace velmora
