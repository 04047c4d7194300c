// The job screen's work on the booking: checking, adding, updating, selecting, loading
// and clearing a job.
#include "bookingtab.h"
#include "costtab.h"
#include "frmjob_management.h"
#include "jobrecord.h"
#include "platform/dialogs.h"

namespace velmora {

bool frmjob_management::validaterecord(BookingCheck* check)
{
    const BookingEntry entry = m_booking->entry();
    *check = checkBooking(entry, m_lists, false);
    if (check->barredDriver &&
        m_dialogs.question(this, tr("This driver is shown as barred do you wish to use")) ==
            Dialogs::Answer::Yes)
        *check = checkBooking(entry, m_lists, true);
    for (const QString& message : std::as_const(check->messages))
        m_dialogs.information(this, message);
    m_booking->showCheck(*check);
    return check->valid;
}

void frmjob_management::add_job()
{
    if (m_job.key.prefix.isEmpty())
        m_job.key.prefix = QStringLiteral("A");
    BookingCheck check;
    if (!validaterecord(&check))
        return;
    QString error;
    const auto number = addJob(m_db, m_job.key.prefix, m_booking->record(check), &error);
    if (!number) {
        m_dialogs.information(this, error);
        return;
    }
    m_job.key.number = *number;
    m_job.loadedAccount = check.account;
    m_job.date = check.date;
    m_booking->showKey(m_job.key);
    Q_EMIT jobsChanged();
}

void frmjob_management::update_job()
{
    BookingCheck check;
    if (!validaterecord(&check))
        return;
    if (m_booking->numberText().isEmpty()) {
        m_dialogs.information(this, tr("You must supply a job before attempting to update"));
        return;
    }
    const QString prefix = m_booking->prefixText().toUpper();
    const JobKey key{prefix.isEmpty() ? m_job.key.prefix : prefix,
                     m_booking->numberText().toLongLong()};
    QString error;
    const auto found = updateJob(m_db, key, m_booking->record(check), &error);
    if (!found) {
        m_dialogs.information(this, error);
        return;
    }
    if (!*found) {
        m_dialogs.information(this, tr("No matching records found"));
        return;
    }
    if (key.prefix == m_job.key.prefix && key.number == m_job.key.number) {
        m_job.loadedAccount = check.account;
        m_job.date = check.date;
    }
    Q_EMIT jobsChanged();
}

void frmjob_management::select()
{
    if (m_booking->prefixText().isEmpty()) {
        m_dialogs.information(this, tr("Please input a job prefix"));
        m_booking->focusPrefix();
        return;
    }
    m_job.key.prefix = m_booking->prefixText().toUpper();
    if (m_booking->numberText().isEmpty()) {
        m_dialogs.information(this, tr("Please input a job number"));
        m_booking->focusNumber();
        return;
    }
    m_job.key.number = m_booking->numberText().toLongLong();
    clearAll();
    m_booking->showKey(m_job.key);
    load_job();
}

void frmjob_management::load_job()
{
    m_receipts->clearLines();
    m_job.loadedAccount = 0;
    m_job.date = QDate();
    std::optional<LoadedJob> job;
    QString error;
    if (!loadJob(m_db, m_job.key, &job, &error)) {
        m_dialogs.information(this, error);
        return;
    }
    if (job) {
        m_booking->showJob(*job);
        m_job.loadedAccount = job->account;
        m_job.date = job->date;
    } else {
        m_dialogs.information(this, tr("No matching records found"));
        m_booking->setUpdateVisible(false);
    }
    m_receipts->load();
    m_payments->load();
    if (job)
        m_booking->setUpdateVisible(true);
}

void frmjob_management::clearAll()
{
    m_booking->clear();
    m_receipts->clearLines();
    m_payments->clearLines();
}

void frmjob_management::chooseFound(const JobKey& key)
{
    clearAll();
    m_job.key = key;
    if (key.number == 0)
        return;
    m_booking->showKey(key);
    m_booking->closeSearch();
    select();
}

} // namespace velmora
