#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace velmora::bench {

// Several desks at work on one server database at once, each on a connection of its own in a
// thread of its own, as the program's copies at each desk would be.
struct DesksOptions
{
    int desks = 8;
    int seconds = 300;     // how long the desks book
    int everyMs = 2000;    // each desk books a job and saves its receipt lines this often
    int invoiceAfter = 30; // seconds after the start, another desk runs the invoices
};

// What the desks did and saw; times in milliseconds.
struct DesksFigures
{
    std::vector<double> booking;     // a job booked, as the job screen adds it
    std::vector<double> savingLines; // its three receipt lines saved
    std::vector<double> boardRead;   // a board read after a change was announced
    std::vector<double> shownAfter;  // from a booking's commit to its row on another desk's board
    std::int64_t booked = 0;
    double invoiceRun = -1; // the run over every account, while the desks book
    std::int64_t invoices = 0;
    QStringList faults; // a job lost, numbered twice, billed twice or never shown
};

// Runs the desks on the database at `address` for options.seconds, one more desk running the
// invoice run over every account part-way through, then checks what they left. False with
// the reason in *error when a desk could not work at all; what went wrong in the data is in
// figures->faults.
bool runDesks(const QString& address, const DesksOptions& options, DesksFigures* figures,
              QString* error);

} // namespace velmora::bench
