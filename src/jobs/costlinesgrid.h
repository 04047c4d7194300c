#pragma once

#include "costlineform.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLineEdit;

namespace velmora {

// The seven receipt or payment lines of the job screen as a grid of fields. The fields
// of line n (1 to 7) are named after their column with n added: txttype1, txtcost1, ...
// on the receipt side, txtpayment1, txtpaycost1, ... on the payment side.
class CostLinesGrid final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kLines = 7;
    enum Field { Type, Description, Cost, Percent, Discount, Vat, VatValue, Net, FieldCount };

    explicit CostLinesGrid(CostSide side, QWidget* parent = nullptr);

    // Lines are indexed from 0.
    CostLineTexts line(int index) const;
    void setLine(int index, const CostLineTexts& texts);
    void clearLines();
    // Replaces the line's type list with `types` and empties its type.
    void setTypeList(int index, const QStringList& types);
    QWidget* field(int index, Field which) const;

Q_SIGNALS:
    void descriptionDoubleClicked(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row
    {
        QComboBox* type;
        std::array<QLineEdit*, FieldCount> edits; // null at Type
    };

    std::array<Row, kLines> m_rows;
};

} // namespace velmora
