#include "desks.h"

#include "app/board.h"
#include "data/audit.h"
#include "data/changefeed.h"
#include "data/costline.h"
#include "data/database.h"
#include "data/sql.h"
#include "invoicing/invoicerun.h"
#include "jobs/costlinestore.h"
#include "jobs/joblists.h"
#include "jobs/jobrecord.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QObject>
#include <QSqlQuery>
#include <QThread>
#include <QTime>
#include <QTimer>

#include <chrono>
#include <map>
#include <memory>
#include <set>

namespace velmora::bench {

namespace {

using Clock = std::chrono::steady_clock;

// How long a desk that has booked its last job goes on watching its board.
constexpr std::chrono::milliseconds kWatchAfter{3000};

double since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the desks share: when each job booked was committed, and by which desk.
class Bookings
{
public:
    void add(const JobKey& key, int desk)
    {
        const QMutexLocker lock(&m_mutex);
        m_committed.emplace(std::pair(key.prefix, key.number), Booked{desk, Clock::now()});
    }
    // The time a job booked at another desk than `desk` was committed, if it was.
    std::optional<Clock::time_point> committed(const QString& prefix, qint64 number, int desk)
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_committed.find(std::pair(prefix, number));
        if (found == m_committed.end() || found->second.desk == desk)
            return std::nullopt;
        return found->second.at;
    }
    std::vector<std::pair<JobKey, int>> all()
    {
        const QMutexLocker lock(&m_mutex);
        std::vector<std::pair<JobKey, int>> keys;
        for (const auto& [key, booked] : m_committed)
            keys.push_back({{key.first, key.second}, booked.desk});
        return keys;
    }

private:
    struct Booked
    {
        int desk;
        Clock::time_point at;
    };
    QMutex m_mutex;
    std::map<std::pair<QString, qint64>, Booked> m_committed;
};

// The reference rows a desk books with, read once.
struct Booking
{
    qint64 account = 0;
    qint64 paymentType = 0;
    qint64 vehicleType = 0;
    QList<JobListEntry> types;
};

std::optional<Booking> readBooking(const QSqlDatabase& db, QString* error)
{
    Booking booking;
    QSqlQuery query(db);
    for (auto [sql, value] :
         {std::pair{"select min(account_id) from accounts", &booking.account},
          {"select min(paymenttypeid) from payment_types", &booking.paymentType},
          {"select min(vehicletypeid) from vehicle_types", &booking.vehicleType}}) {
        if (!run(query, QString::fromLatin1(sql), {}, error))
            return std::nullopt;
        *value = query.next() ? query.value(0).toLongLong() : 0;
    }
    auto types = readCostTypes(db, error);
    if (!types)
        return std::nullopt;
    if (types->size() < 3) {
        *error = QObject::tr("The firm has fewer than three income and expense types.");
        return std::nullopt;
    }
    booking.types = std::move(*types);
    return booking;
}

// One desk: its own connection, booking a job and saving its receipt lines every so often,
// and reading its board again whenever another desk's change is announced. Lives in a thread
// of its own from start() to the end of its run.
class Desk final : public QObject
{
    Q_OBJECT

public:
    Desk(int number, QString address, const DesksOptions& options, Bookings& bookings)
        : m_number(number), m_address(std::move(address)), m_options(options), m_bookings(bookings)
    {
    }

    DesksFigures figures;
    QString error;

    void start()
    {
        m_db = openDatabase(m_address, connection(), &error);
        if (!m_db.isValid() ||
            !setAuditOperator(m_db, QStringLiteral("Desk %1").arg(m_number), &error))
            return finish();
        const auto booking = readBooking(m_db, &error);
        if (!booking)
            return finish();
        m_booking = *booking;
        m_feed = std::make_unique<ChangeFeed>(m_db);
        connect(m_feed.get(), &ChangeFeed::jobsChanged, this, &Desk::changed);
        m_end = Clock::now() + std::chrono::seconds(m_options.seconds);
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &Desk::book);
        // The desks book in turn through each period rather than all at once.
        QTimer::singleShot(m_options.everyMs * m_number / m_options.desks, this, [this] {
            m_timer->start(m_options.everyMs);
            book();
        });
    }

Q_SIGNALS:
    void finished();

private:
    QString connection() const { return QStringLiteral("velmora-bench-desk-%1").arg(m_number); }

    void finish()
    {
        if (m_timer)
            m_timer->stop();
        m_feed.reset();
        m_db = QSqlDatabase();
        closeDatabase(connection());
        Q_EMIT finished();
    }

    void book()
    {
        if (!error.isEmpty())
            return finish();
        if (Clock::now() >= m_end) {
            // The desk goes on watching its board a while, for the other desks' last jobs.
            m_timer->stop();
            QTimer::singleShot(kWatchAfter, this, &Desk::finish);
            return;
        }
        JobRecord job;
        job.date = QDate::currentDate();
        job.time = QTime::currentTime().toString(QStringLiteral("HH:mm"));
        job.passenger = QStringLiteral("Desk %1 passenger %2").arg(m_number).arg(++m_count);
        job.from = QStringLiteral("1 Station Road");
        job.to = QStringLiteral("Airport");
        job.account = m_booking.account;
        job.paymentType = m_booking.paymentType;
        job.vehicleType = m_booking.vehicleType;
        job.onAccount = true;
        Clock::time_point start = Clock::now();
        const std::optional<qint64> number = addJob(m_db, QStringLiteral("A"), job, &error);
        if (!number)
            return finish();
        figures.booking.push_back(since(start));
        const JobKey key{QStringLiteral("A"), *number};
        m_bookings.add(key, m_number);
        ++figures.booked;

        QList<CostLineEntry> lines;
        for (int i = 0; i < 3; ++i) {
            const QString& type = m_booking.types.at(i).name;
            lines.append(
                {type, type, costFigures(Money::fromPence(1500 + 100 * i), 0, i == 0), i == 0});
        }
        start = Clock::now();
        const CostSaveResult saved =
            saveCostLines(m_db, key, CostSide::Receipt, lines, m_booking.account, job.date);
        if (saved.outcome != CostSaveResult::Outcome::Saved) {
            error = QObject::tr("Job A%1's lines were not saved: %2").arg(*number).arg(saved.error);
            return finish();
        }
        figures.savingLines.push_back(since(start));
    }

    // Announcements that arrive together are answered by one read of the board.
    void changed()
    {
        if (!m_readPending) {
            m_readPending = true;
            QTimer::singleShot(0, this, &Desk::readBoardAgain);
        }
    }

    void readBoardAgain()
    {
        m_readPending = false;
        if (!m_db.isValid())
            return;
        const Clock::time_point start = Clock::now();
        std::vector<BoardRow> rows;
        if (!readBoard(m_db, &rows, &error))
            return finish();
        const Clock::time_point read = Clock::now();
        figures.boardRead.push_back(
            std::chrono::duration<double, std::milli>(read - start).count());
        for (const BoardRow& row : rows) {
            if (m_seen.contains({row.prefix, row.jobId}))
                continue;
            if (const auto committed = m_bookings.committed(row.prefix, row.jobId, m_number)) {
                m_seen.insert({row.prefix, row.jobId});
                figures.shownAfter.push_back(
                    std::chrono::duration<double, std::milli>(read - *committed).count());
            }
        }
    }

    const int m_number;
    const QString m_address;
    const DesksOptions m_options;
    Bookings& m_bookings;
    QSqlDatabase m_db;
    Booking m_booking;
    std::unique_ptr<ChangeFeed> m_feed;
    QTimer* m_timer = nullptr;
    Clock::time_point m_end;
    qint64 m_count = 0;
    bool m_readPending = false;
    std::set<std::pair<QString, qint64>> m_seen;
};

// Runs `work` in a thread of its own with an event loop until it says it has finished.
template <typename Work> void runInThread(QThread& thread, Work* work)
{
    work->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, work, &Work::start);
    // Straight from the work's thread: the main thread is waiting, not running its loop.
    QObject::connect(work, &Work::finished, &thread, &QThread::quit, Qt::DirectConnection);
    thread.start();
}

// The desk that runs the invoices over every account part-way through.
class InvoiceDesk final : public QObject
{
    Q_OBJECT

public:
    InvoiceDesk(QString address, int after) : m_address(std::move(address)), m_after(after) {}

    double took = -1;
    std::int64_t invoices = 0;
    QString error;

    void start()
    {
        QTimer::singleShot(m_after * 1000, this, [this] {
            invoice();
            Q_EMIT finished();
        });
    }

Q_SIGNALS:
    void finished();

private:
    void invoice()
    {
        const QString connection = QStringLiteral("velmora-bench-invoice-desk");
        {
            QSqlDatabase db = openDatabase(m_address, connection, &error);
            if (!db.isValid() || !setAuditOperator(db, QStringLiteral("Invoice desk"), &error))
                return closeDatabase(connection);
            QSqlQuery query(db);
            if (!run(query, QStringLiteral("select max(account_id) from accounts"), {}, &error) ||
                !query.next())
                return closeDatabase(connection);
            InvoiceRunRange range;
            range.startAccount = 0;
            range.endAccount = query.value(0).toLongLong();
            query.finish();
            InvoiceRunResult result;
            const Clock::time_point start = Clock::now();
            if (runInvoices(db, range, &result, &error)) {
                took = since(start);
                invoices = result.invoices;
            }
        }
        closeDatabase(connection);
    }

    const QString m_address;
    const int m_after;
};

// What the desks left: each job booked once under its own number with its three lines, no job
// on two invoices, each booking seen on every other desk's board.
void checkWhatWasLeft(const QSqlDatabase& db, Bookings& bookings, const DesksOptions& options,
                      DesksFigures* figures, QString* error)
{
    QSqlQuery query(db);
    const auto booked = bookings.all();
    for (const auto& [key, desk] : booked) {
        if (!run(query,
                 QStringLiteral("select (select count(*) from jobs where job_prefix = ? and "
                                "job_id = ?), (select count(*) from Costs where job_prefix = ? "
                                "and jobnumber = ? and income_expence = 'I')"),
                 {key.prefix, key.number, key.prefix, key.number}, error) ||
            !query.next())
            return;
        if (query.value(0).toLongLong() != 1 || query.value(1).toLongLong() != 3)
            figures->faults.append(QObject::tr("Job %1%2 booked at desk %3 has %4 rows and %5 "
                                               "receipt lines.")
                                       .arg(key.prefix)
                                       .arg(key.number)
                                       .arg(desk)
                                       .arg(query.value(0).toLongLong())
                                       .arg(query.value(1).toLongLong()));
    }
    if (static_cast<std::int64_t>(booked.size()) != figures->booked)
        figures->faults.append(QObject::tr("%1 bookings were made but %2 numbers handed out.")
                                   .arg(figures->booked)
                                   .arg(booked.size()));
    if (!run(query,
             QStringLiteral("select count(*) from (select job_prefix, job_id from invoice_line "
                            "group by job_prefix, job_id having count(*) > 1) twice"),
             {}, error) ||
        !query.next())
        return;
    if (const qint64 twice = query.value(0).toLongLong(); twice > 0)
        figures->faults.append(QObject::tr("%1 jobs are on two invoices.").arg(twice));
    // Every desk but the booking one shows each job.
    const auto expected = static_cast<std::int64_t>(booked.size()) * (options.desks - 1);
    if (static_cast<std::int64_t>(figures->shownAfter.size()) != expected)
        figures->faults.append(QObject::tr("%1 bookings were shown on other desks' boards of %2.")
                                   .arg(figures->shownAfter.size())
                                   .arg(expected));
}

} // namespace

bool runDesks(const QString& address, const DesksOptions& options, DesksFigures* figures,
              QString* error)
{
    Bookings bookings;
    std::vector<std::unique_ptr<Desk>> desks;
    std::vector<std::unique_ptr<QThread>> threads;
    InvoiceDesk invoicing(address, options.invoiceAfter);
    QThread invoiceThread;
    for (int number = 0; number < options.desks; ++number) {
        desks.push_back(std::make_unique<Desk>(number, address, options, bookings));
        threads.push_back(std::make_unique<QThread>());
        runInThread(*threads.back(), desks.back().get());
    }
    runInThread(invoiceThread, &invoicing);
    for (auto& thread : threads)
        thread->wait();
    invoiceThread.wait();

    for (std::size_t number = 0; number < desks.size(); ++number) {
        const Desk* desk = desks[number].get();
        if (!desk->error.isEmpty()) {
            *error = QObject::tr("Desk %1: %2").arg(number).arg(desk->error);
            return false;
        }
        auto append = [](std::vector<double>& to, const std::vector<double>& from) {
            to.insert(to.end(), from.begin(), from.end());
        };
        append(figures->booking, desk->figures.booking);
        append(figures->savingLines, desk->figures.savingLines);
        append(figures->boardRead, desk->figures.boardRead);
        append(figures->shownAfter, desk->figures.shownAfter);
        figures->booked += desk->figures.booked;
    }
    if (!invoicing.error.isEmpty()) {
        *error = QObject::tr("The invoice desk: %1").arg(invoicing.error);
        return false;
    }
    figures->invoiceRun = invoicing.took;
    figures->invoices = invoicing.invoices;

    const QString connection = QStringLiteral("velmora-bench-desks-check");
    {
        QSqlDatabase db = openDatabase(address, connection, error);
        if (!db.isValid())
            return false;
        QString failed;
        checkWhatWasLeft(db, bookings, options, figures, &failed);
        if (!failed.isEmpty()) {
            *error = failed;
            closeDatabase(connection);
            return false;
        }
    }
    closeDatabase(connection);
    return true;
}

} // namespace velmora::bench

#include "desks.moc"
