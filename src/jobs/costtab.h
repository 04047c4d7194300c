#pragma once

#include "costlinesgrid.h"
#include "costlinestore.h"
#include "joblists.h"

#include <QSqlDatabase>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;

namespace velmora {

class Dialogs;
class FieldEvents;

// The "Receipts" or "Payments Made" tab of the job screen: seven lines of the current
// job with their arithmetic, the checks and save of all lines at once, deletion of a
// saved line by a double-click on its description, and the side's total.
class CostTab final : public QWidget
{
    Q_OBJECT

public:
    CostTab(CostSide side, QSqlDatabase db, Dialogs& dialogs, FieldEvents& events,
            const CurrentJob& job, const JobLists& lists, QWidget* parent = nullptr);

    // Offers "None" and every type on every line, as on a screen without a job.
    void offerAllTypes();
    // Empties the seven lines.
    void clearLines();
    // Shows the stored lines of the job `key` and their total, or why they cannot be read.
    void load(const JobKey& key);
    // Puts the cursor on the first line's type.
    void focusFirstLine();
    // Whether the lines differ from what was last loaded, saved or cleared.
    bool hasUnsavedLines() const;
    // Saves the lines as "&Save" does; false when a check or the save failed.
    bool save();
    // The sum of the nets shown (0.00 for a loaded job without lines), none before a job
    // is loaded or saved.
    std::optional<Money> total() const { return m_total; }
    // Hides the total and its label until the next save.
    void hideTotal();

Q_SIGNALS:
    void totalChanged();
    void exitRequested();

private:
    void watchLine(int index);
    // Runs `change` on the texts of line `index` and shows the result.
    template <typename Change> void edit(int index, Change change);
    void typeLeft(int index);
    void costLeft(int index);
    bool checkLines();
    // Whether the operator agrees to change the receipt lines of an invoiced job; always
    // true on the payments side and for a job not invoiced.
    bool invoicedChangeAgreed(const JobKey& key);
    // Takes the lines shown as the ones saved.
    void keepLines();
    void deleteLine(int index);
    void showLoaded(const QList<StoredCostLine>& lines);
    void setTotal(std::optional<Money> total);
    QString words(const char* receipt, const char* payment) const;
    // The VAT rate of the current job's lines.
    VatRate vatRate() const { return m_lists.vatRates.on(m_job.date); }

    const CostSide m_side;
    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    FieldEvents& m_events;
    const CurrentJob& m_job;
    const JobLists& m_lists;
    CostLinesGrid* m_grid;
    QLineEdit* m_totalField;
    QLabel* m_totalLabel;
    std::optional<Money> m_total;
    std::array<CostLineTexts, CostLinesGrid::kLines> m_kept;
};

} // namespace velmora
