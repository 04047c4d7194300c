#pragma once

#include "platform/scripteddialogs.h"

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct sqlite3;

namespace velmora::bench {

// The whole action the operator waits for may take this many milliseconds, unless its case
// sets another target.
inline constexpr double kWholeTarget = 50.0;

// One run of a piece of work; false with the reason in *error when it fails.
using Work = std::function<bool(QString* error)>;

// What a case times: the data work through our code (the statements and the conversion
// into the rows shown), a baseline running the same statements through the sqlite3 C API,
// prepared once, into the same rows, and, for a case that fills a widget, the whole action
// including the widget (empty otherwise).
struct Timed
{
    Work ours;
    Work baseline;
    Work whole;
    // Untimed, before every run of ours and of the baseline: puts back what a batch case
    // changes, so that every run does the same work (empty for other cases).
    Work reset;
};

// The database a case runs on.
struct Fixture
{
    QSqlDatabase db;          // opened as the program opens it
    sqlite3* handle;          // the same connection, for the baseline
    std::int64_t jobs;        // how many jobs it holds
    ScriptedDialogs& dialogs; // records the boxes that screens show
};

// Prepares a case on `fixture` (statements, widgets, the job to load); nullopt with the
// reason in *error.
using Setup = std::function<std::optional<Timed>(Fixture& fixture, QString* error)>;

// Whether what a case shows stays the same whatever the number of jobs in the file.
enum class Rows {
    Same,
    GrowWithFile // so its cost on a large file is not held to that on a small one
};

struct Case
{
    const char* name;
    Setup setup;
    Rows rows = Rows::Same;
    // Timed runs after one warm-up, for batch work that takes seconds (0: the runs and
    // warm-ups of every case).
    int batchRuns = 0;
    // The target of its whole action in milliseconds.
    double wholeTarget = kWholeTarget;
    // Run only when named with --case, for work that takes too long for every run.
    bool onDemand = false;
};

// Medians in milliseconds; whole is negative when the case has no whole action. peakMb is
// the highest resident memory of the process while the case ran, in megabytes (negative
// when the system does not tell).
struct Figures
{
    double ours = 0;
    double baseline = 0;
    double whole = -1;
    double peakMb = -1;
};

// Runs each work of every `timed` `runs` times, after `warmUps` runs to warm the caches, and
// returns their medians in the same order. The same case on files of different sizes is
// measured in one call, so that a busy machine slows all of them alike. nullopt with the
// reason in *error when a run fails.
std::optional<std::vector<Figures>> measure(const std::vector<Timed>& timed, int runs,
                                            QString* error, int warmUps = 3);

// The middle of `values` (not empty), and the value `percent` per cent of them do not pass
// (-1 when there are none).
double median(std::vector<double> values);
double percentile(std::vector<double> values, double percent);

} // namespace velmora::bench
