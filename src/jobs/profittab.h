#pragma once

#include "data/money.h"

#include <QWidget>

#include <optional>

class QLineEdit;

namespace velmora {

// The "Profitability" tab: the job's total receipts, total payments and their difference.
class ProfitTab final : public QWidget
{
    Q_OBJECT

public:
    explicit ProfitTab(QWidget* parent = nullptr);

    // Shows the totals; a side without lines shows empty, and the profit is shown once
    // either side has lines.
    void showTotals(std::optional<Money> receipts, std::optional<Money> payments);

Q_SIGNALS:
    void exitRequested();

private:
    QLineEdit* m_receipts;
    QLineEdit* m_payments;
    QLineEdit* m_profit;
};

} // namespace velmora
