// The job screen's work on the booking: checking, adding, updating, selecting, loading
// and clearing a job.
#include "bookingtab.h"
#include "costtab.h"
#include "data/expiry.h"
#include "frmjob_management.h"
#include "jobrecord.h"
#include "platform/dialogs.h"
#include "platform/statusline.h"

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
    return check->valid && documentsAgreed(*check);
}

bool frmjob_management::documentsAgreed(const BookingCheck& check)
{
    QString error;
    const auto concerns = dispatchConcerns(m_db, check.driver, check.date, false, &error);
    if (!concerns) {
        m_dialogs.information(this, error);
        return false;
    }
    if (concerns->isEmpty() ||
        m_dialogs.question(this, concerns->join(u'\n') +
                                     tr("\n\nGive the job to this driver all the same?")) ==
            Dialogs::Answer::Yes)
        return true;
    BookingCheck refocus;
    refocus.focus = BookingField::Driver;
    m_booking->showCheck(refocus);
    return false;
}

bool frmjob_management::add_job()
{
    if (m_job.key.prefix.isEmpty())
        m_job.key.prefix = QStringLiteral("A");
    BookingCheck check;
    if (!validaterecord(&check))
        return false;
    QString error;
    const auto number = addJob(m_db, m_job.key.prefix, m_booking->record(check), &error);
    if (!number) {
        m_dialogs.information(this, error);
        return false;
    }
    m_job.key.number = *number;
    m_job.invoice.reset();
    m_job.version = 0;
    m_job.loadedAccount = check.account;
    m_job.shown = m_job.key;
    m_job.date = check.date;
    m_booking->showKey(m_job.key);
    Q_EMIT jobsChanged();
    m_booking->markSaved();
    showStatus(this, tr("Job %1%2 added").arg(m_job.key.prefix).arg(m_job.key.number));
    return true;
}

bool frmjob_management::update_job()
{
    BookingCheck check;
    if (!validaterecord(&check))
        return false;
    if (m_booking->numberText().isEmpty()) {
        m_dialogs.information(this, tr("You must supply a job before attempting to update"));
        return false;
    }
    const QString prefix = m_booking->prefixText().toUpper();
    const JobKey key{prefix.isEmpty() ? m_job.key.prefix : prefix,
                     m_booking->numberText().toLongLong()};
    QString error;
    // A job loaded here is saved only over the version loaded; one typed in is not.
    const bool loaded = m_job.shown && key == *m_job.shown;
    const auto saved =
        updateJob(m_db, key, m_booking->record(check),
                  loaded ? std::optional<qint64>(m_job.version) : std::nullopt, &error);
    if (!saved) {
        m_dialogs.information(this, error);
        return false;
    }
    if (*saved == RowSave::ChangedElsewhere) {
        if (m_dialogs.question(this, error + tr("\n\nShow the job as it is now?")) ==
            Dialogs::Answer::Yes) {
            clearAll();
            m_booking->showKey(key);
            load_job(key);
        }
        return false;
    }
    if (*saved == RowSave::Missing) {
        m_dialogs.information(this, tr("No matching records found"));
        return false;
    }
    if (loaded)
        ++m_job.version;
    if (key == m_job.key) {
        m_job.loadedAccount = check.account;
        m_job.date = check.date;
    }
    m_booking->markSaved();
    Q_EMIT jobsChanged();
    showStatus(this, tr("Job %1%2 updated").arg(key.prefix).arg(key.number));
    return true;
}

void frmjob_management::select()
{
    if (m_booking->prefixText().isEmpty()) {
        m_dialogs.information(this, tr("Please input a job prefix"));
        m_booking->focusPrefix();
        return;
    }
    const QString prefix = m_booking->prefixText().toUpper();
    if (m_booking->numberText().isEmpty()) {
        m_dialogs.information(this, tr("Please input a job number"));
        m_booking->focusNumber();
        return;
    }
    const JobKey key{prefix, m_booking->numberText().toLongLong()};
    clearAll();
    m_booking->showKey(key);
    load_job(key);
}

bool frmjob_management::load_job(const JobKey& key)
{
    m_receipts->clearLines();
    m_job.shown.reset();
    m_job.invoice.reset();
    m_job.date = QDate();
    std::optional<LoadedJob> job;
    QString error;
    if (!loadJob(m_db, key, &job, &error)) {
        m_dialogs.information(this, error);
        return false;
    }
    if (!job) {
        // A job that is not there leaves the current job (and the prefix the next Add New
        // takes) as it was.
        m_dialogs.information(this, tr("No matching records found"));
        m_booking->setUpdateVisible(false);
        m_receipts->load(key);
        m_payments->load(key);
        m_booking->markSaved();
        return false;
    }
    m_job.key = key;
    m_job.loadedAccount = job->account;
    m_job.shown = key;
    m_job.date = job->date;
    m_job.invoice = job->invoice;
    m_job.version = job->version;
    m_booking->showJob(*job);
    m_receipts->load(key);
    m_payments->load(key);
    m_booking->setUpdateVisible(true);
    m_booking->markSaved();
    return true;
}

void frmjob_management::clearAll()
{
    m_booking->clear();
    m_receipts->clearLines();
    m_payments->clearLines();
    m_job.shown.reset();
    m_job.invoice.reset();
    m_booking->markSaved();
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
