#include "firmjobs.h"

#include "data/audit.h"
#include "data/costline.h"
#include "data/dates.h"
#include "demofirmdata.h"
#include "firmprofiles.h"
#include "firmwords.h"
#include "firmwriter.h"

#include <string>

namespace velmora::firm {

namespace {

using namespace demo;
using Word = std::string_view;

// Bookings reach this many days beyond today; of a day's usual jobs, this percentage is
// booked already, by distance from today.
constexpr int kDaysAhead = 3;
constexpr int kBookedAhead[kDaysAhead + 1] = {100, 60, 25, 10};
// Pick-ups run from 06:00 to 23:55 in five-minute steps. Today's work before noon is
// done, the noon hour's passengers are on board, later jobs are still booked.
constexpr int kFirstPickUp = 6 * 60;
constexpr int kPickUpSlots = 216;
constexpr int kOnBoardFrom = 12 * 60;
constexpr int kBookedFrom = 13 * 60;
// Barred drivers have driven nothing for this long.
constexpr int kBarredForDays = 365;
constexpr std::int64_t kProgressEvery = 8192;

// The usual number of jobs on `day`: fewer at weekends, and beyond today only those
// booked already.
int jobsOn(QDate day, QDate today)
{
    const int weekday = day.dayOfWeek();
    const int usual = weekday <= 5 ? 205 : weekday == 6 ? 170 : 130;
    const qint64 ahead = today.daysTo(day);
    if (ahead <= 0)
        return usual;
    return ahead <= kDaysAhead ? usual * kBookedAhead[ahead] / 100 : 0;
}

// The days from the one the oldest of `total` jobs falls on to the last booked one.
QDate firstDay(const FirmOptions& options, std::int64_t* later)
{
    const QDate today = options.today;
    QDate first = today.addDays(kDaysAhead);
    *later = 0;
    while (*later + jobsOn(first, today) < options.jobs) {
        *later += jobsOn(first, today);
        first = first.addDays(-1);
    }
    return first;
}

// Bookings are taken from 05:00 to 23:00, a day's in the order of their numbers.
constexpr int kBookingsFrom = 5 * 3600;
constexpr int kBookingSeconds = 18 * 3600;
constexpr int kBookingsByEvening = 13 * 3600;

class JobWriter : public FirmWriter
{
public:
    JobWriter(sqlite3* db, const FirmOptions& options, const FirmProgress& progress)
        : FirmWriter(options, progress), m_random(options.seed), m_clock(db),
          m_job(db, "insert into jobs (job_prefix, job_id, date, time, time_text, "
                    "passenger_name, address_from, address_to, account_no, driver, "
                    "payment_type, invoiced, vehicle_type, special_instructions, record_status, "
                    "acc_ref, costed_code, driver_percentage, calculated) "
                    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
          m_cost(db, "insert into Costs (job_prefix, jobnumber, costtype, income_expence, "
                     "description, gross_cost, discount, discount_value, net_cost, vat, "
                     "vat_value) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
          m_creditNote(db, "insert into credit_notes (job_no, job_prefix, account_no, "
                           "refund_reason, refund_amount_gross, refund_amount_discount, "
                           "refund_amount_vat, refund_amount_net, refund_date, processed) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?, 'Y')")
    {
    }

    // The days run from the one the oldest jobs fall on to the last booked one.
    bool write()
    {
        if (!prepared({&m_job, &m_cost, &m_creditNote}))
            return false;
        const std::int64_t total = m_options.jobs;
        if (total <= 0)
            return true;
        std::int64_t later = 0;
        const QDate first = firstDay(m_options, &later);
        const QDate last = m_options.today.addDays(kDaysAhead);
        std::int64_t number = 0;
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const std::int64_t count = day == first ? total - later : jobsOn(day, m_options.today);
            const std::string date = storedDate(day).toStdString();
            // Today's and later jobs were booked by the evening, as the firm stands now.
            const bool past = day < m_options.today;
            const std::string booked = past ? date : storedDate(m_options.today).toStdString();
            const std::int64_t span = past ? kBookingSeconds : kBookingsByEvening;
            for (std::int64_t slot = 0; slot < count; ++slot) {
                if (!stamp(booked, kBookingsFrom + slot * span / count) ||
                    !writeJob(++number, day, date))
                    return false;
                if (number % kProgressEvery == 0 || number == total)
                    report("jobs", number, total);
            }
        }
        return true;
    }

private:
    // The trail records the job and its lines at the moment it was booked.
    bool stamp(const std::string& date, std::int64_t seconds)
    {
        m_stamp.clear()
            .add(date)
            .add(' ')
            .digits(int(seconds / 3600), 2)
            .add(':')
            .digits(int(seconds / 60 % 60), 2)
            .add(':')
            .digits(int(seconds % 60), 2);
        QString reason;
        return m_clock.set(m_stamp.view(), &reason) || fail(reason);
    }

    int pickDriver(QDate day)
    {
        int index = m_random.below(m_options.drivers);
        // Driver 0 is never barred, so this ends.
        while (driverProfile(index).barred && day.daysTo(m_options.today) < kBarredForDays)
            index = (index + 1) % m_options.drivers;
        return index;
    }

    // A street address or a well-known place, with its town.
    void place(Text* text)
    {
        text->clear();
        if (m_random.percent(25)) {
            text->add(m_random.pick(words::kPlaces));
            return;
        }
        text->number(1 + m_random.below(180))
            .add(' ')
            .add(m_random.pick(words::kStreets))
            .add(", ")
            .add(m_random.pick(words::kTowns));
    }

    // About 60 per cent go on a customer account, busy accounts taking more of them.
    bool writeJob(std::int64_t number, QDate day, const std::string& date)
    {
        const int minutes = kFirstPickUp + m_random.below(kPickUpSlots) * 5;
        m_time.clear().digits(minutes / 60, 2).add(':').digits(minutes % 60, 2);
        const std::size_t typedLength = m_time.view().size();
        m_time.add(":00");

        const qint64 ahead = m_options.today.daysTo(day);
        Word status = "C";
        if (ahead > 0 || (ahead == 0 && minutes >= kBookedFrom))
            status = m_random.percent(10) ? "B" : "I";
        else if (ahead == 0 && minutes >= kOnBoardFrom)
            status = "P";
        const bool completed = status == "C";

        const bool onAccount = m_random.percent(60);
        const int account =
            onAccount ? static_cast<int>(m_options.accounts * m_random.skewed()) : 0;
        const AccountProfile profile =
            onAccount ? accountProfile(m_options.seed, account) : AccountProfile();
        PaymentType payment = ByAccount;
        if (!onAccount) {
            const int roll = m_random.below(10);
            payment = roll < 5 ? ByCash : roll < 9 ? ByCard : ByCheque;
        }
        const int driverIndex = pickDriver(day);
        const DriverProfile driver = driverProfile(driverIndex);
        personName(m_random, &m_passenger);
        const std::int64_t quarter = m_options.jobs / 4;
        if (quarter > 0 && number % quarter == 0 && number / quarter <= 3)
            m_passenger.clear().add(kRarePassenger);
        place(&m_from);
        place(&m_to);

        m_job.bind(1, kFirmPrefix);
        m_job.bind(2, number);
        m_job.bind(3, date);
        m_job.bind(4, m_time.view());
        m_job.bind(5, m_time.view().substr(0, typedLength));
        m_job.bind(6, m_passenger.view());
        m_job.bind(7, m_from.view());
        m_job.bind(8, m_to.view());
        m_job.bind(9, onAccount ? account + 1 : 0);
        m_job.bind(10, driverIndex + 1);
        m_job.bind(11, payment + 1);
        m_job.bind(12, Word(onAccount ? "N" : " "));
        m_job.bind(13, driver.vehicle + 1);
        m_job.bind(14, m_random.percent(12) ? m_random.pick(words::kInstructions) : Word(""));
        m_job.bind(15, status);
        if (onAccount) {
            m_reference.clear().add("PO").number(profile.orderNumber);
            m_job.bind(16, m_reference.view());
            m_job.bind(17, profile.costCode);
        } else {
            m_job.bindNull(16);
            m_job.bindNull(17);
        }
        m_job.bind(18, Word(driver.percentage > 0 ? "Y" : "N"));
        // The driver payment runs of writeFirmPayroll() mark the jobs they take in.
        m_job.bind(19, Word("N"));
        if (!run(m_job))
            return false;
        // Now and then a completed job still waits for its costs.
        if (!completed || !m_random.percent(97))
            return true;
        return writeCosts(number, onAccount ? &profile : nullptr, account + 1, date);
    }

    bool writeCost(std::int64_t job, CostType type, Word side, Word description,
                   const CostFigures& figures, bool vat)
    {
        m_cost.bind(1, kFirmPrefix);
        m_cost.bind(2, job);
        m_cost.bind(3, type + 1);
        m_cost.bind(4, side);
        m_cost.bind(5, description);
        m_cost.bind(6, figures.gross.stored());
        m_cost.bind(7, figures.discountPercent);
        m_cost.bind(8, figures.discount.stored());
        m_cost.bind(9, figures.net.stored());
        m_cost.bind(10, Word(vat ? "Y" : "N"));
        m_cost.bind(11, figures.vat.stored());
        return run(m_cost);
    }

    bool receipt(std::int64_t job, CostType type, std::int64_t pence, int discount, bool vat)
    {
        return writeCost(job, type, "I", kCostTypes[type],
                         costFigures(Money::fromPence(pence), discount, vat), vat);
    }

    bool payment(std::int64_t job, CostType type, std::int64_t pence, bool vat)
    {
        return writeCost(job, type, "E", kCostTypes[type],
                         costFigures(Money::fromPence(pence), 0, vat), vat);
    }

    // The fare, often waiting time, parking or tolls charged on; parking paid out, fuel on
    // some journeys, now and then the job handed to another firm. One job in sixty-four has
    // three lines of each kind; one account job in 1,500 has a credit note instead.
    bool writeCosts(std::int64_t job, const AccountProfile* account, std::int64_t accountNo,
                    const std::string& date)
    {
        const int discount = account ? account->discountPercent : 0;
        std::int64_t fare = 600 + m_random.below(109) * 50;
        if (m_random.percent(10))
            fare += m_random.below(60) * 100;
        if (!receipt(job, Fare, fare, discount, true))
            return false;
        if (account && m_random.below(1500) == 0)
            return writeCreditNote(job, accountNo, date);

        const bool full = m_random.below(64) == 0;
        const bool waiting = full || m_random.percent(40);
        const bool parking = full || m_random.percent(20);
        const bool tolls = !full && !(waiting && parking) && m_random.percent(12);
        const bool fuel = full || m_random.percent(30);
        const bool subcontract = full || m_random.percent(2);
        const std::int64_t parkingPence = 200 + m_random.below(21) * 50;
        const std::int64_t waitingPence = 300 + m_random.below(25) * 50;
        const std::int64_t tollPence = 150 + m_random.below(10) * 50;
        return (!waiting || receipt(job, WaitingTime, waitingPence, discount, true)) &&
               (!parking || receipt(job, Parking, parkingPence, 0, false)) &&
               (!tolls || receipt(job, Tolls, tollPence, 0, false)) &&
               (!parking || payment(job, Parking, parkingPence, false)) &&
               (!fuel || payment(job, Fuel, fare * 15 / 100, true)) &&
               (!subcontract || payment(job, Subcontract, fare * 70 / 100, false));
    }

    bool writeCreditNote(std::int64_t job, std::int64_t account, const std::string& date)
    {
        const Word reason = m_random.pick(words::kRefundReasons);
        const CostFigures figures =
            costFigures(Money::fromPence(-(500 + m_random.below(31) * 50)), 0, true);
        if (!writeCost(job, CreditNote, "I", reason, figures, true))
            return false;
        m_creditNote.bind(1, job);
        m_creditNote.bind(2, kFirmPrefix);
        m_creditNote.bind(3, account);
        m_creditNote.bind(4, reason);
        m_creditNote.bind(5, figures.gross.stored());
        m_creditNote.bind(6, figures.discount.stored());
        m_creditNote.bind(7, figures.vat.stored());
        m_creditNote.bind(8, figures.net.stored());
        m_creditNote.bind(9, date);
        return run(m_creditNote);
    }

    Random m_random;
    AuditClock m_clock;
    SqliteStatement m_job;
    SqliteStatement m_cost;
    SqliteStatement m_creditNote;
    Text m_time, m_passenger, m_from, m_to, m_reference, m_stamp;
};

} // namespace

QDate firstFirmDay(const FirmOptions& options)
{
    std::int64_t later = 0;
    return firstDay(options, &later);
}

bool writeFirmJobs(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
                   QString* error)
{
    return writeFirm<JobWriter>(db, options, progress, error);
}

} // namespace velmora::firm
