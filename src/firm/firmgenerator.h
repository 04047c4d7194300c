#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <functional>

namespace velmora::firm {

// The size of a generated firm and the seed its rows come from.
struct FirmOptions
{
    int accounts = 2000;
    int drivers = 60;
    std::int64_t jobs = 700000;
    std::uint64_t seed = 1;
    // Work is done up to this day; bookings run a few days beyond it.
    QDate today;
};

// How far generation has come: the stage ("accounts", "drivers", "jobs", "indexes",
// "invoices", "driver pay", "payments") and how many of its rows, indexes or months are done out of
// its total.
using FirmProgress = std::function<void(const char* stage, std::int64_t done, std::int64_t total)>;

// The passenger of exactly three jobs of a generated firm of four jobs or more, a quarter,
// half and three quarters of the way through; no other job carries the name, whatever the
// size, so that looking for it finds the same rows in a small file and a large one.
QString rarePassenger();

// Changes whenever the same options would give other rows, so that a kept file can be
// recognised as current.
int firmGeneratorVersion();

// Fills a new, empty database with a firm that has worked for years up to options.today:
// the type tables, a VAT-registered company, accounts and drivers (some paid by
// percentage, some barred) with their addresses, a vehicle per driver, and
// options.jobs jobs of about two hundred a day through the day. About 60 per cent are
// account jobs. Jobs before today are completed and nearly all carry one to three receipt
// lines and often payment lines (one in sixty-four costed jobs carries three of each);
// a few account jobs carry a credit note. Today's afternoon and the next three days are
// outstanding, about three hundred jobs whatever the size. Every month before the current
// one was invoiced by the invoice run at its end and its invoices printed, so the current
// month's account jobs are still to invoice. Every reference resolves.
// The same options give the same rows. Rows are written through prepared statements in
// one transaction with the secondary indexes dropped, and the indexes built again after,
// so memory stays flat whatever the size. Writes everything or nothing: false with the
// reason in *error, also when the database already holds a firm.
bool generateFirm(const QSqlDatabase& db, const FirmOptions& options, const FirmProgress& progress,
                  QString* error);

} // namespace velmora::firm
