#pragma once

#include "data/money.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace velmora {

// The five amounts the run adds up for a job, an invoice and the whole run.
struct InvoiceTotals
{
    Money gross;
    Money net;
    Money discount;
    Money vat;
    Money creditNote;

    InvoiceTotals& operator+=(const InvoiceTotals& other);
    bool operator==(const InvoiceTotals&) const = default;
};

// One receipt line of a job on the run's work list. Discount and VAT are null when the
// stored value is.
struct InvoiceCost
{
    std::int64_t costType = 0;
    Money gross;
    Money net;
    std::optional<Money> discount;
    std::optional<Money> vat;
};

// The name of each receipt type by its id.
using ReceiptTypeNames = QHash<std::int64_t, QString>;

// Adds one receipt line to a job's totals. A line of the type named exactly "Credit Note"
// adds its net amount to the credit-note total and nothing else. A line of a known type
// adds gross and net, and discount and VAT when they are above zero; a line whose type is
// no longer on file adds gross and net, and discount and VAT whenever they are not null.
void addInvoiceCost(const InvoiceCost& cost, const ReceiptTypeNames& types, InvoiceTotals* job);

// A job of a percentage driver whose driver has no percentage on file: invoiced, but no
// wage was recorded.
struct UnpaidDriverJob
{
    QString prefix;
    std::int64_t number = 0;
};

// A counter found behind the invoice numbers already issued: the run numbered on from the
// highest of them instead.
struct CounterBehind
{
    std::optional<std::int64_t> counter; // the last number it said was issued; none: no row
    std::int64_t highestIssued = 0;
};

// What a run did.
struct InvoiceRunResult
{
    InvoiceTotals totals;
    std::int64_t firstInvoice = 0;
    std::int64_t lastInvoice = -1;
    std::int64_t invoices = 0; // 0: there was nothing to invoice and nothing was written
    std::int64_t lines = 0;
    QList<UnpaidDriverJob> unpaidDrivers;
    std::optional<CounterBehind> counterBehind;
    bool elsewhere = false; // refused: the run is running at another desk, as the error says
};

// The accounts a run covers (by account_id, both included) and the stamp its invoices bear.
struct InvoiceRunRange
{
    std::int64_t startAccount = 0;
    std::int64_t endAccount = 0;
    QDateTime stamp = QDateTime::currentDateTime();
};

// Called after each account of a run with the accounts done and the accounts to do.
using InvoiceRunProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// The invoice run: every account job of the range not yet invoiced that has receipt lines
// becomes a line of its account's invoice. Each account gets one invoice, numbered on from
// the last number issued (the first ever is 0); each job is marked invoiced with its
// invoice number; each account's balance falls by its invoice's net value; a job flagged
// as paying its driver a percentage and not yet calculated gets its driver's share recorded
// (a row already reported stays as it is) and is marked calculated, so that the driver
// payment run does not pay it again; the last number used is stored. Runs in one transaction: on
// failure nothing is written and the reason is in *error. A run that finds nothing writes nothing
// and returns true with no invoices.
bool runInvoices(const QSqlDatabase& db, const InvoiceRunRange& range, InvoiceRunResult* result,
                 QString* error, const InvoiceRunProgress& progress = {});

// The same run inside a transaction the caller holds (the firm generator's); on failure the
// caller must roll back.
bool runInvoicesInTransaction(const QSqlDatabase& db, const InvoiceRunRange& range,
                              InvoiceRunResult* result, QString* error,
                              const InvoiceRunProgress& progress = {});

// The message naming the jobs whose driver has no percentage, one line per job.
QString unpaidDriverMessage(const QList<UnpaidDriverJob>& jobs);

// Says that the counter was behind and where the run's numbers started.
QString counterBehindMessage(const CounterBehind& behind, std::int64_t firstInvoice);

} // namespace velmora
