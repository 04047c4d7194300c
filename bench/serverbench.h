#pragma once

#include "desks.h"
#include "harness.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace velmora::bench {

struct ServerBenchOptions
{
    QString server;   // an address of any database on the server, its role allowed to create them
    QString firmFile; // the kept file the fixture's file is a copy of, copied to the server
    DesksOptions desks;
    int runs = 51;
    QStringList cases; // when given, only these screens' cases, and no desks
};

// The firm of `file` (the large generated firm, opened as the program opens it) on a
// PostgreSQL server: each screen's case timed on the server's copy beside the same case on
// the file, then several desks at work at once with an invoice run among them, and the
// invoice run on the file for comparison (only the cases named in options.cases, when
// given). Prints the figures to `out`; true when every
// target is met, nullopt with the reason in *error when the work could not be done.
std::optional<bool> runServerBench(Fixture& file, const ServerBenchOptions& options,
                                   QTextStream& out, QString* error);

} // namespace velmora::bench
