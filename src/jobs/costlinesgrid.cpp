#include "costlinesgrid.h"

#include "data/columnwidths.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace velmora {

namespace {

struct Column
{
    const char* name;
    const char* label;
    const char* tip;
};

using Columns = std::array<Column, CostLinesGrid::FieldCount>;

const Columns kReceiptColumns = {{
    {"txttype", "Receipt Type", "Select receipt type from drop down list"},
    {"txtdescription", "Description Of Receipt", "Enter additional details of receipt type"},
    {"txtcost", "Cost Excl Vat", "Enter cost excluding vat"},
    {"txtdiscount", "Disc %", "Enter discount percentage"},
    {"txtdisc", "Disc Value", "Calculated by computer"},
    {"txtvat", "Vat Vat Y/N", "Enter Y if receipt attracts VAT"},
    {"txtvatcost", "Vat Value", "Value calculated by computer"},
    {"txtnetcost", "Net Cost Incl Vat", "Value calculated by computer"},
}};

const Columns kPaymentColumns = {{
    {"txtpayment", "Payment Type", "Select payment type from drop down list"},
    {"txtpaydesc", "Payment Description", "Additional details of payment type"},
    {"txtpaycost", "Cost Excl Vat", "Payment cost excluding vat"},
    {"txtpaydisc", "Disc %", "Enter discount percentage"},
    {"txtpaymentdisc", "Discount Value", "Calculated by computer"},
    {"txtpayvat", "Vat Y/N", "Enter Y if payment vatable"},
    {"txtpayvatcost", "Vat Value", "Calculated by computer"},
    {"txtpaynet", "Net Cost Incl Vat", "Calculated by computer"},
}};

bool computed(int field)
{
    return field == CostLinesGrid::Discount || field == CostLinesGrid::VatValue ||
           field == CostLinesGrid::Net;
}

// What each typed field accepts: amounts, percentages from 0 to 100, one VAT letter.
QValidator* validatorFor(int field, QObject* parent)
{
    const char* pattern = nullptr;
    if (field == CostLinesGrid::Cost)
        pattern = R"(-?[\d,]{0,13}(\.\d{0,2})?)";
    else if (field == CostLinesGrid::Percent)
        pattern = R"(100(\.0*)?|\d{0,2}(\.\d*)?)";
    else if (field == CostLinesGrid::Vat)
        pattern = "[A-Za-z]?";
    if (!pattern)
        return nullptr;
    return new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(pattern)),
                                           parent);
}

} // namespace

CostLinesGrid::CostLinesGrid(CostSide side, QWidget* parent) : QWidget(parent)
{
    const Columns& columns = side == CostSide::Receipt ? kReceiptColumns : kPaymentColumns;
    auto* grid = new QGridLayout(this);
    for (int field = 0; field < FieldCount; ++field) {
        auto* heading = new QLabel(tr(columns[field].label));
        // Figures and their headings line up on the right.
        if (field != Type && field != Description && field != Vat)
            heading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(heading, 0, field);
    }
    QWidget* previous = nullptr;
    for (int index = 0; index < kLines; ++index) {
        Row& row = m_rows[index];
        row.edits.fill(nullptr);
        for (int field = 0; field < FieldCount; ++field) {
            QWidget* widget = nullptr;
            if (field == Type) {
                row.type = new QComboBox;
                row.type->setEditable(true);
                row.type->setInsertPolicy(QComboBox::NoInsert);
                widget = row.type;
            } else {
                auto* edit = new QLineEdit;
                edit->setValidator(validatorFor(field, edit));
                edit->setReadOnly(computed(field));
                if (field == Description)
                    edit->setMaxLength(columnWidth(u"Costs", u"description"));
                else if (field != Vat)
                    edit->setAlignment(Qt::AlignRight);
                if (field == Vat)
                    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(u'W') * 3);
                edit->setFocusPolicy(computed(field) ? Qt::NoFocus : Qt::StrongFocus);
                row.edits[field] = edit;
                widget = edit;
            }
            widget->setObjectName(QString::fromLatin1(columns[field].name) +
                                  QString::number(index + 1));
            widget->setToolTip(tr(columns[field].tip));
            grid->addWidget(widget, index + 1, field);
            if (!computed(field)) {
                if (previous)
                    setTabOrder(previous, widget);
                previous = widget;
            }
        }
        row.edits[Description]->installEventFilter(this);
        // A receipt's flag counts in either case, so it is shown in capitals as typed; a
        // payment's counts only when typed as "Y", so it is left as typed.
        if (side == CostSide::Receipt)
            connect(
                row.edits[Vat], &QLineEdit::textEdited, row.edits[Vat],
                [edit = row.edits[Vat]](const QString& text) { edit->setText(text.toUpper()); });
    }
    for (int field = 0; field < FieldCount; ++field)
        grid->setColumnStretch(field, field == Type || field == Description ? 3 : 2);
    grid->setColumnStretch(Vat, 0);
}

CostLineTexts CostLinesGrid::line(int index) const
{
    const Row& row = m_rows.at(index);
    return {row.type->currentText(),     row.edits[Description]->text(), row.edits[Cost]->text(),
            row.edits[Percent]->text(),  row.edits[Discount]->text(),    row.edits[Vat]->text(),
            row.edits[VatValue]->text(), row.edits[Net]->text()};
}

void CostLinesGrid::setLine(int index, const CostLineTexts& texts)
{
    Row& row = m_rows.at(index);
    row.type->setEditText(texts.type);
    row.edits[Description]->setText(texts.description);
    row.edits[Cost]->setText(texts.cost);
    row.edits[Percent]->setText(texts.percent);
    row.edits[Discount]->setText(texts.discount);
    row.edits[Vat]->setText(texts.vat);
    row.edits[VatValue]->setText(texts.vatValue);
    row.edits[Net]->setText(texts.net);
}

void CostLinesGrid::clearLines()
{
    for (int index = 0; index < kLines; ++index)
        setLine(index, {});
}

void CostLinesGrid::setTypeList(int index, const QStringList& types)
{
    QComboBox* type = m_rows.at(index).type;
    type->clear();
    type->addItems(types);
    type->setCurrentIndex(-1);
    type->setEditText(QString());
}

QWidget* CostLinesGrid::field(int index, Field which) const
{
    const Row& row = m_rows.at(index);
    return which == Type ? static_cast<QWidget*>(row.type) : row.edits[which];
}

bool CostLinesGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int index = 0; index < kLines; ++index) {
            if (m_rows[index].edits[Description] == watched)
                Q_EMIT descriptionDoubleClicked(index);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora
