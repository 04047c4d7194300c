#include "report.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>

#include <algorithm>

#include <sqlite3.h>

namespace velmora::bench {

namespace {

QString processorName()
{
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return QSysInfo::currentCpuArchitecture();
    static const QRegularExpression model(QStringLiteral(R"(^model name\s*:\s*(.+)$)"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = model.match(QString::fromLatin1(info.readAll()));
    return match.hasMatch() ? match.captured(1).trimmed() : QSysInfo::currentCpuArchitecture();
}

QString milliseconds(double value)
{
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', 3);
}

QString megabytes(double value)
{
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', 1);
}

QString times(double value) { return QString::number(value, 'f', 2) + QLatin1Char('x'); }

QJsonValue orNull(double value) { return value < 0 ? QJsonValue() : QJsonValue(value); }

} // namespace

Report::Report(std::vector<Result> results, int runs) : m_results(std::move(results)), m_runs(runs)
{
    for (const Result& large : m_results) {
        const Result* small = nullptr;
        for (const Result& other : m_results) {
            if (other.name == large.name && other.jobs < large.jobs &&
                (!small || other.jobs < small->jobs))
                small = &other;
        }
        const bool largest = std::none_of(m_results.begin(), m_results.end(), [&](const Result& r) {
            return r.name == large.name && r.jobs > large.jobs;
        });
        if (!small || !largest)
            continue;
        Scaling scaling{large.name, large.jobs, small->jobs,
                        large.figures.ours / small->figures.ours, -1};
        scaling.held = large.rows == Rows::Same;
        if (large.figures.whole >= 0 && small->figures.whole > 0)
            scaling.whole = large.figures.whole / small->figures.whole;
        m_scalings.push_back(scaling);
    }
}

bool Report::Scaling::missed() const
{
    return held && (ours > kScalingTarget || whole > kScalingTarget);
}

bool Report::met() const
{
    return std::none_of(m_results.begin(), m_results.end(),
                        [](const Result& result) { return result.missed(); }) &&
           std::none_of(m_scalings.begin(), m_scalings.end(),
                        [](const Scaling& scaling) { return scaling.missed(); });
}

QString Report::text() const
{
    const QLocale numbers(QLocale::English, QLocale::UnitedKingdom);
    QString out = QStringLiteral("%1, %2 cores, %3; Qt %4, SQLite %5\n")
                      .arg(processorName())
                      .arg(QThread::idealThreadCount())
                      .arg(QSysInfo::prettyProductName(), QString::fromLatin1(qVersion()),
                           QString::fromLatin1(sqlite3_libversion()));
    out += QStringLiteral(
               "Medians of %1 runs, in milliseconds. Data work: ours against "
               "the sqlite3 C API baseline reading C values (target: within %2x); "
               "whole action (target: under %3 ms); peak resident memory while the case ran.\n\n")
               .arg(m_runs)
               .arg(kRatioTarget)
               .arg(kWholeTarget);
    out += QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(QStringLiteral("case"), -24)
               .arg(QStringLiteral("jobs"), 9)
               .arg(QStringLiteral("ours"), 10)
               .arg(QStringLiteral("baseline"), 10)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("whole"), 10)
               .arg(QStringLiteral("peak MB"), 8);
    for (const Result& result : m_results) {
        const QString target =
            result.wholeTarget == kWholeTarget
                ? QString()
                : QStringLiteral("  (whole: under %1 ms)").arg(result.wholeTarget);
        out += QStringLiteral("%1 %2 %3 %4 %5 %6 %7%8%9\n")
                   .arg(result.name, -24)
                   .arg(numbers.toString(static_cast<qint64>(result.jobs)), 9)
                   .arg(milliseconds(result.figures.ours), 10)
                   .arg(milliseconds(result.figures.baseline), 10)
                   .arg(times(result.ratio()), 7)
                   .arg(milliseconds(result.figures.whole), 10)
                   .arg(megabytes(result.figures.peakMb), 8)
                   .arg(target)
                   .arg(result.missed() ? QStringLiteral("  MISSED") : QString());
    }
    if (!m_scalings.empty()) {
        out += QStringLiteral("\nThe large file against the small one (target: within %1x):\n")
                   .arg(kScalingTarget);
        for (const Scaling& scaling : m_scalings) {
            QString verdict;
            if (!scaling.held)
                verdict = QStringLiteral("  (not a target: more rows on the larger file)");
            else if (scaling.missed())
                verdict = QStringLiteral("  MISSED");
            out += QStringLiteral("%1 %2 against %3 jobs: data work %4, whole %5%6\n")
                       .arg(scaling.name, -24)
                       .arg(numbers.toString(static_cast<qint64>(scaling.largeJobs)))
                       .arg(numbers.toString(static_cast<qint64>(scaling.smallJobs)))
                       .arg(times(scaling.ours))
                       .arg(scaling.whole < 0 ? QStringLiteral("-") : times(scaling.whole))
                       .arg(verdict);
        }
    }
    out += met() ? QStringLiteral("\nEvery target met.\n")
                 : QStringLiteral("\nSome targets MISSED.\n");
    return out;
}

QByteArray Report::json() const
{
    QJsonArray results;
    for (const Result& result : m_results) {
        results.append(QJsonObject{{QStringLiteral("case"), result.name},
                                   {QStringLiteral("jobs"), static_cast<qint64>(result.jobs)},
                                   {QStringLiteral("ours_ms"), result.figures.ours},
                                   {QStringLiteral("baseline_ms"), result.figures.baseline},
                                   {QStringLiteral("ratio"), result.ratio()},
                                   {QStringLiteral("whole_ms"), orNull(result.figures.whole)},
                                   {QStringLiteral("whole_target_ms"), result.wholeTarget},
                                   {QStringLiteral("peak_mb"), orNull(result.figures.peakMb)}});
    }
    QJsonArray scalings;
    for (const Scaling& scaling : m_scalings) {
        scalings.append(
            QJsonObject{{QStringLiteral("case"), scaling.name},
                        {QStringLiteral("large_jobs"), static_cast<qint64>(scaling.largeJobs)},
                        {QStringLiteral("small_jobs"), static_cast<qint64>(scaling.smallJobs)},
                        {QStringLiteral("data_work"), scaling.ours},
                        {QStringLiteral("whole"), orNull(scaling.whole)},
                        {QStringLiteral("held_to_target"), scaling.held}});
    }
    const QJsonObject machine{
        {QStringLiteral("processor"), processorName()},
        {QStringLiteral("cores"), QThread::idealThreadCount()},
        {QStringLiteral("system"), QSysInfo::prettyProductName()},
        {QStringLiteral("qt"), QString::fromLatin1(qVersion())},
        {QStringLiteral("sqlite"), QString::fromLatin1(sqlite3_libversion())}};
    const QJsonObject document{
        {QStringLiteral("measured"), QDateTime::currentDateTime().toString(Qt::ISODate)},
        {QStringLiteral("machine"), machine},
        {QStringLiteral("runs"), m_runs},
        {QStringLiteral("ratio_target"), kRatioTarget},
        {QStringLiteral("whole_target_ms"), kWholeTarget},
        {QStringLiteral("scaling_target"), kScalingTarget},
        {QStringLiteral("results"), results},
        {QStringLiteral("scaling"), scalings},
        {QStringLiteral("met"), met()}};
    return QJsonDocument(document).toJson();
}

} // namespace velmora::bench
