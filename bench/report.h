#pragma once

#include "harness.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace velmora::bench {

// Data work may take this many times the baseline.
inline constexpr double kRatioTarget = 2.0;
// A case may cost this many times more on the large file than on the small one.
inline constexpr double kScalingTarget = 1.5;

// One case measured on one file.
struct Result
{
    QString name;
    std::int64_t jobs = 0;
    Figures figures;
    Rows rows = Rows::Same;
    double wholeTarget = kWholeTarget;

    double ratio() const { return figures.ours / figures.baseline; }
    bool missed() const { return ratio() > kRatioTarget || figures.whole > wholeTarget; }
};

// The results and how they stand against the targets.
class Report
{
public:
    Report(std::vector<Result> results, int runs);

    // The table of medians and ratios, the scaling of each case measured on two files
    // (the largest against the smallest; not a target for a case whose rows grow with
    // the file), and the verdict, as text for the terminal.
    QString text() const;
    // The same figures and the machine they come from, as a JSON document.
    QByteArray json() const;
    // True when every ratio and every scaling is within its target.
    bool met() const;

private:
    struct Scaling
    {
        QString name;
        std::int64_t largeJobs = 0;
        std::int64_t smallJobs = 0;
        double ours = 0;
        double whole = -1; // negative without a whole action
        bool held = true;  // false when the case shows more rows on the larger file
        bool missed() const;
    };

    std::vector<Result> m_results;
    std::vector<Scaling> m_scalings;
    int m_runs;
};

} // namespace velmora::bench
