#include "costtab.h"

#include "costlinesgrid.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/screenparts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

CostTab::CostTab(CostSide side, QSqlDatabase db, Dialogs& dialogs, FieldEvents& events,
                 const CurrentJob& job, const JobLists& lists, QWidget* parent)
    : QWidget(parent), m_side(side), m_db(std::move(db)), m_dialogs(dialogs), m_events(events),
      m_job(job), m_lists(lists), m_grid(new CostLinesGrid(side)), m_totalField(new QLineEdit),
      m_totalLabel(new QLabel(tr("Toal Cost Incl Vat")))
{
    const bool receipts = side == CostSide::Receipt;
    setObjectName(receipts ? QStringLiteral("Receipts") : QStringLiteral("Payments"));
    m_totalField->setObjectName(receipts ? QStringLiteral("txtreceiptsnet")
                                         : QStringLiteral("txttotal_cost"));
    m_totalField->setToolTip(
        words("Total value of receipts as calculated by computer", "Calculated by computer"));
    m_totalField->setReadOnly(true);
    m_totalField->setAlignment(Qt::AlignRight);
    m_totalField->setFocusPolicy(Qt::NoFocus);
    m_totalLabel->setBuddy(m_totalField);
    auto* save = named(new QPushButton(tr("&Save")), words("cmdreceiptsave", "cmdpaysave"),
                       words("Press to save receipt details", "Press to save payment details."));
    auto* exit = named(new QPushButton(tr("&Exit")), words("cmdexit", "cmndexit2"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_totalLabel);
    bottom->addWidget(m_totalField);
    bottom->addStretch();
    bottom->addWidget(save);
    bottom->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(bottom);
    layout->addStretch();

    for (int index = 0; index < CostLinesGrid::kLines; ++index)
        watchLine(index);
    connect(m_grid, &CostLinesGrid::descriptionDoubleClicked, this, &CostTab::deleteLine);
    connect(save, &QPushButton::clicked, this, &CostTab::save);
    connect(exit, &QPushButton::clicked, this, &CostTab::exitRequested);
}

QString CostTab::words(const char* receipt, const char* payment) const
{
    return tr(m_side == CostSide::Receipt ? receipt : payment);
}

void CostTab::watchLine(int index)
{
    const auto field = [this, index](CostLinesGrid::Field which) {
        return m_grid->field(index, which);
    };
    m_events.onLeave(field(CostLinesGrid::Type), [this, index] { typeLeft(index); });
    // "None" is selected on the way in, so that a type typed there replaces it.
    m_events.onEnter(field(CostLinesGrid::Type), [type = field(CostLinesGrid::Type)] {
        auto* box = static_cast<QComboBox*>(type);
        if (box->currentText() == unusedType())
            box->lineEdit()->selectAll();
    });
    m_events.onLeave(field(CostLinesGrid::Description), [this, index] {
        edit(index, [](CostLineTexts& line) { leaveDescription(line); });
    });
    m_events.onLeave(field(CostLinesGrid::Cost), [this, index] { costLeft(index); });
    m_events.onLeave(field(CostLinesGrid::Percent), [this, index] {
        edit(index, [this](CostLineTexts& line) {
            if (lineInUse(line))
                showDiscount(line, m_side);
        });
    });
    m_events.onLeave(field(CostLinesGrid::Vat), [this, index] {
        edit(index, [this](CostLineTexts& line) {
            if (lineInUse(line))
                leaveVat(line, m_side, m_lists.vatRegistered, vatRate());
        });
    });
}

template <typename Change> void CostTab::edit(int index, Change change)
{
    CostLineTexts line = m_grid->line(index);
    change(line);
    m_grid->setLine(index, line);
}

void CostTab::typeLeft(int index)
{
    CostLineTexts line = m_grid->line(index);
    if (line.type.isEmpty()) {
        line.type = unusedType();
        m_grid->setLine(index, line);
    }
    for (int earlier = 0; earlier < index; ++earlier) {
        if (m_grid->line(earlier).type.compare(line.type, Qt::CaseInsensitive) != 0)
            continue;
        m_dialogs.information(
            this, words("You can only input a receipt type once per job, this type has been "
                        "used in poition ",
                        "You can only input a payment type once per job, this type has been "
                        "used in poition ") +
                      QString::number(earlier + 1));
        m_events.returnFocus(m_grid->field(earlier, CostLinesGrid::Type));
        line.type.clear();
        m_grid->setLine(index, line);
        return;
    }
}

void CostTab::costLeft(int index)
{
    CostLineTexts line = m_grid->line(index);
    if (!leaveCost(line, m_side)) {
        m_dialogs.information(this, unreadableCostMessage(line, tr("You must supply a cost")));
        m_events.returnFocus(m_grid->field(index, CostLinesGrid::Cost));
        return;
    }
    m_grid->setLine(index, line);
}

void CostTab::clearLines()
{
    m_grid->clearLines();
    keepLines();
}

void CostTab::offerAllTypes()
{
    QStringList types{unusedType()};
    for (const JobListEntry& type : m_lists.costTypes)
        types.append(type.name);
    for (int index = 0; index < CostLinesGrid::kLines; ++index)
        m_grid->setTypeList(index, types);
    keepLines();
}

void CostTab::focusFirstLine() { m_grid->field(0, CostLinesGrid::Type)->setFocus(); }

void CostTab::hideTotal()
{
    m_totalField->hide();
    m_totalLabel->hide();
}

void CostTab::setTotal(std::optional<Money> total)
{
    m_total = total;
    m_totalField->setText(total ? total->toString() : QString());
    Q_EMIT totalChanged();
}

} // namespace velmora
