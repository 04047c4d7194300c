#include "harness.h"

#include <algorithm>
#include <chrono>

namespace velmora::bench {

namespace {

// A work and what puts back its changes before it runs.
struct Run
{
    const Work* work;
    const Work* reset;
};

// The time one run of `work` takes, in milliseconds; negative when it or its reset fails.
double timeOnce(const Run& run, QString* error)
{
    if (*run.reset && !(*run.reset)(error))
        return -1;
    const Work& work = *run.work;
    const auto start = std::chrono::steady_clock::now();
    if (!work(error))
        return -1;
    const std::chrono::duration<double, std::milli> taken =
        std::chrono::steady_clock::now() - start;
    return taken.count();
}

// Runs each of `works` `runs` times after the warm-up, one after the other in turn.
std::optional<std::vector<std::vector<double>>> timeInTurn(const std::vector<Run>& works, int runs,
                                                           int warmUps, QString* error)
{
    std::vector<std::vector<double>> times(works.size());
    for (int run = 0; run < warmUps + runs; ++run) {
        for (std::size_t which = 0; which < works.size(); ++which) {
            const double taken = timeOnce(works[which], error);
            if (taken < 0)
                return std::nullopt;
            if (run >= warmUps)
                times[which].push_back(taken);
        }
    }
    return times;
}

} // namespace

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double percentile(std::vector<double> values, double percent)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(percent / 100.0 * double(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

std::optional<std::vector<Figures>> measure(const std::vector<Timed>& timed, int runs,
                                            QString* error, int warmUps)
{
    // The data works and their baselines take turns, so that drift touches all alike; the
    // whole actions take turns apart, as painting a window leaves the caches cold for
    // whatever runs next.
    std::vector<Run> data;
    std::vector<Run> whole;
    for (const Timed& each : timed) {
        data.push_back({&each.ours, &each.reset});
        data.push_back({&each.baseline, &each.reset});
        if (each.whole)
            whole.push_back({&each.whole, &each.reset});
    }
    const auto dataTimes = timeInTurn(data, runs, warmUps, error);
    const auto wholeTimes = dataTimes ? timeInTurn(whole, runs, warmUps, error) : std::nullopt;
    if (!wholeTimes)
        return std::nullopt;
    std::vector<Figures> figures(timed.size());
    std::size_t nextWhole = 0;
    for (std::size_t index = 0; index < timed.size(); ++index) {
        figures[index].ours = median((*dataTimes)[2 * index]);
        figures[index].baseline = median((*dataTimes)[2 * index + 1]);
        if (timed[index].whole)
            figures[index].whole = median((*wholeTimes)[nextWhole++]);
    }
    return figures;
}

} // namespace velmora::bench
