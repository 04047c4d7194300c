// The work of a cost tab on the database: loading, saving and deleting its lines.
#include "costlinesgrid.h"
#include "costtab.h"
#include "data/fault.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/statusline.h"

#include <QLabel>
#include <QLineEdit>

namespace velmora {

bool CostTab::checkLines()
{
    for (int index = 0; index < CostLinesGrid::kLines; ++index) {
        CostLineTexts line = m_grid->line(index);
        if (!lineInUse(line))
            break;
        const bool complete = checkLine(line, m_side, vatRate());
        m_grid->setLine(index, line);
        if (!complete) {
            m_dialogs.information(this,
                                  unreadableCostMessage(line, tr("A value must be supplied")));
            m_events.returnFocus(m_grid->field(index, CostLinesGrid::Cost));
            return false;
        }
    }
    return true;
}

bool CostTab::invoicedChangeAgreed(const JobKey& key)
{
    // An invoiced job's receipts are on its invoice already: a change is not billed again.
    if (m_side != CostSide::Receipt || !m_job.invoice)
        return true;
    return m_dialogs.question(this, tr("Job %1 is on invoice %2, which will not change: the "
                                       "customer is not billed again. Change its receipt lines?")
                                        .arg(key.prefix + QString::number(key.number))
                                        .arg(*m_job.invoice)) == Dialogs::Answer::Yes;
}

bool CostTab::save()
{
    if (m_side == CostSide::Receipt)
        setTotal(std::nullopt);
    if (!checkLines())
        return false;
    // Lines go only to the job the screen shows, never to one the operator cannot see.
    if (!m_job.shown) {
        m_dialogs.information(this, tr("You must supply a job before attempting to update"));
        return false;
    }
    const JobKey key = *m_job.shown;
    if (!invoicedChangeAgreed(key))
        return false;
    QList<CostLineEntry> entries;
    QList<int> lines;
    for (int index = 0; index < CostLinesGrid::kLines; ++index) {
        const CostLineTexts line = m_grid->line(index);
        if (!lineInUse(line))
            continue;
        if (!lineAmount(line, m_side)) {
            m_dialogs.information(this,
                                  unreadableCostMessage(line, tr("A value must be supplied")));
            m_events.returnFocus(m_grid->field(index, CostLinesGrid::Cost));
            return false;
        }
        entries.append(entryOf(line, m_side, vatRate()));
        lines.append(index);
    }
    const CostSaveResult result =
        saveCostLines(m_db, key, m_side, entries, m_job.loadedAccount, QDate::currentDate());
    switch (result.outcome) {
    case CostSaveResult::Outcome::NoJob:
        m_dialogs.information(this, tr("You must supply a job before attempting to update"));
        return false;
    case CostSaveResult::Outcome::UnknownType:
        m_dialogs.information(this, words("Supplied receipt type not found, please supply from "
                                          "drop down list",
                                          "Supplied payment type not found, please supply from "
                                          "drop down list"));
        m_events.returnFocus(m_grid->field(lines.at(result.line), CostLinesGrid::Type));
        return false;
    case CostSaveResult::Outcome::Failed:
        m_dialogs.information(this, databaseFault(m_db, result.error));
        return false;
    case CostSaveResult::Outcome::Saved:
        break;
    }
    Money total;
    for (const CostLineEntry& entry : std::as_const(entries))
        total += entry.figures.net;
    setTotal(total);
    m_totalField->show();
    m_totalLabel->show();
    keepLines();
    showStatus(this, words("Receipts saved for job %1", "Payments saved for job %1")
                         .arg(key.prefix + QString::number(key.number)));
    return true;
}

void CostTab::deleteLine(int index)
{
    const CostLineTexts line = m_grid->line(index);
    if (line.description.isEmpty())
        return;
    if (!m_job.shown) {
        m_dialogs.information(this, tr("Transaction not found, have you saved it"));
        return;
    }
    const JobKey key = *m_job.shown;
    if (!invoicedChangeAgreed(key))
        return;
    QString error;
    switch (deleteCostLine(m_db, key, m_side, line.type, &error)) {
    case CostDeleteOutcome::UnknownType:
        if (m_side == CostSide::Receipt) {
            m_dialogs.information(
                this, tr("Payment Type not found, if problem persists contact program vendor"));
            return;
        }
        [[fallthrough]];
    case CostDeleteOutcome::NotFound:
        m_dialogs.information(this, tr("Transaction not found, have you saved it"));
        return;
    case CostDeleteOutcome::Failed:
        m_dialogs.information(this, error);
        return;
    case CostDeleteOutcome::Deleted:
        load(key);
        showStatus(this, words("Receipt line %1 deleted from job %2",
                               "Payment line %1 deleted from job %2")
                             .arg(line.type, key.prefix + QString::number(key.number)));
        return;
    }
}

void CostTab::load(const JobKey& key)
{
    clearLines();
    QString error;
    const auto lines = loadCostLines(m_db, key, m_side, &error);
    if (!lines) {
        setTotal(std::nullopt);
        m_dialogs.information(this, error);
        return;
    }
    showLoaded(*lines);
    if (lines->isEmpty() && m_lists.costTypes.isEmpty())
        m_dialogs.information(this, words("Please record your receipt types first",
                                          "Please record your payment types first"));
}

void CostTab::showLoaded(const QList<StoredCostLine>& lines)
{
    const qsizetype shown = std::min<qsizetype>(lines.size(), CostLinesGrid::kLines);
    QStringList types;
    if (m_side == CostSide::Receipt || shown == 0)
        types.append(unusedType());
    for (const JobListEntry& type : m_lists.costTypes)
        types.append(type.name);
    Money total;
    for (int index = 0; index < CostLinesGrid::kLines; ++index) {
        if (index >= shown) {
            m_grid->setTypeList(index, types);
            continue;
        }
        const StoredCostLine& stored = lines.at(index);
        m_grid->setTypeList(index, {});
        m_grid->setLine(index, {stored.type, stored.description, stored.gross.toString(),
                                QString::number(stored.discountPercent), stored.discount.toString(),
                                stored.vat.value_or(QString()), stored.vatValue.toString(),
                                stored.net.toString()});
        total += stored.net;
    }
    setTotal(total);
    keepLines();
}

void CostTab::keepLines()
{
    for (int index = 0; index < CostLinesGrid::kLines; ++index)
        m_kept.at(index) = m_grid->line(index);
}

bool CostTab::hasUnsavedLines() const
{
    // A line not in use either way ("None" where it was empty) is no change.
    for (int index = 0; index < CostLinesGrid::kLines; ++index) {
        const CostLineTexts shown = m_grid->line(index);
        const CostLineTexts& kept = m_kept.at(index);
        if ((lineInUse(shown) || lineInUse(kept)) && shown != kept)
            return true;
    }
    return false;
}

} // namespace velmora
