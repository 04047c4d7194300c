#include "firmpayments.h"

#include "data/audit.h"
#include "data/dates.h"
#include "firmrandom.h"
#include "firmwriter.h"

#include <map>
#include <string>

namespace velmora::firm {

namespace {

constexpr std::int64_t kProgressEvery = 4096;

// What became of an invoice, in percent of invoices: paid in full, in two instalments,
// in part only, or never.
constexpr int kPaidInFull = 80;
constexpr int kInstalments = 8;
constexpr int kInPart = 7;

class PaymentWriter : public FirmWriter
{
public:
    PaymentWriter(sqlite3* db, const FirmOptions& options, const FirmProgress& progress)
        : FirmWriter(options, progress), m_clock(db),
          m_invoices(db, "select invoice_no, account_no, date, net_value from invoice_header "
                         "order by invoice_no"),
          m_count(db, "select count(*) from invoice_header"),
          m_receipt(db, "insert into receipts (account_no, invoice_number, invoice_net_cost, "
                        "date_raised, amount_received, date_received) "
                        "values (?, ?, ?, ?, ?, ?)"),
          m_paid(db, "update invoice_header set amount_paid = amount_paid + ? "
                     "where invoice_no = ?"),
          m_balance(db, "update accounts set account_balance = account_balance + ?, "
                        "row_version = row_version + 1, row_changed_at = coalesce((SELECT stamp "
                        "FROM audit_session), "
                        "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')) "
                        "where account_id = ?")
    {
    }

    bool write()
    {
        if (!prepared({&m_invoices, &m_count, &m_receipt, &m_paid, &m_balance}))
            return false;
        if (!m_count.next())
            return fail(m_count.error());
        const std::int64_t total = m_count.integer(0);
        std::int64_t done = 0;
        while (m_invoices.next()) {
            // Copied, as the invoice statement's own texts change with its next row.
            const std::string raised(m_invoices.text(2));
            if (!payInvoice(m_invoices.integer(0), m_invoices.integer(1), raised,
                            m_invoices.integer(3)))
                return false;
            if (++done % kProgressEvery == 0 || done == total)
                report("payments", done, total);
        }
        if (!m_invoices.error().isEmpty())
            return fail(m_invoices.error());
        for (const auto& [account, paid] : m_paidByAccount) {
            m_balance.bind(1, paid);
            m_balance.bind(2, account);
            if (!run(m_balance))
                return false;
        }
        return true;
    }

private:
    // Each invoice's fate comes from the seed and its own number, so that it does not
    // depend on how many invoices come before it.
    bool payInvoice(std::int64_t invoice, std::int64_t account, const std::string& raised,
                    std::int64_t net)
    {
        const QDate date = dateFromStored(QString::fromStdString(raised));
        if (!date.isValid() || net <= 0)
            return true;
        Random random(m_options.seed * 0x9e3779b97f4a7c15ULL + static_cast<std::uint64_t>(invoice));
        const int fate = random.below(100);
        // Whole pence, so that what stays unpaid of a part payment is a real amount.
        const std::int64_t pence = net / 100;
        if (fate < kPaidInFull)
            return pay(invoice, account, raised, net, net, date.addDays(7 + random.below(54)));
        if (fate < kPaidInFull + kInstalments) {
            const std::int64_t first = pence * (40 + random.below(21)) / 100 * 100;
            const QDate firstDay = date.addDays(14 + random.below(21));
            return pay(invoice, account, raised, net, first, firstDay) &&
                   pay(invoice, account, raised, net, net - first,
                       firstDay.addDays(28 + random.below(14)));
        }
        if (fate < kPaidInFull + kInstalments + kInPart)
            return pay(invoice, account, raised, net, pence * (20 + random.below(61)) / 100 * 100,
                       date.addDays(20 + random.below(40)));
        return true;
    }

    // A payment of `amount` on `day`, unless that day is still to come.
    bool pay(std::int64_t invoice, std::int64_t account, const std::string& raised,
             std::int64_t net, std::int64_t amount, QDate day)
    {
        if (day > m_options.today || amount <= 0)
            return true;
        m_day = storedDate(day).toStdString();
        // The trail records the payment at the desk the morning it came in.
        QString reason;
        if (!m_clock.set(m_day + " 10:00:00", &reason))
            return fail(reason);
        m_receipt.bind(1, account);
        m_receipt.bind(2, invoice);
        m_receipt.bind(3, net);
        m_receipt.bind(4, raised);
        m_receipt.bind(5, amount);
        m_receipt.bind(6, m_day);
        m_paid.bind(1, amount);
        m_paid.bind(2, invoice);
        if (!run(m_receipt) || !run(m_paid))
            return false;
        m_paidByAccount[account] += amount;
        return true;
    }

    AuditClock m_clock;
    SqliteStatement m_invoices;
    SqliteStatement m_count;
    SqliteStatement m_receipt;
    SqliteStatement m_paid;
    SqliteStatement m_balance;
    std::map<std::int64_t, std::int64_t> m_paidByAccount;
    std::string m_day;
};

} // namespace

bool writeFirmPayments(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
                       QString* error)
{
    return writeFirm<PaymentWriter>(db, options, progress, error);
}

} // namespace velmora::firm
