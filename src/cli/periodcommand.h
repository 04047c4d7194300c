#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace CLI {
class App;
}

namespace velmora::cli {

// The options of a command that works out the figures of a period and may write them to
// a PDF through a report file: --from, --to, --pdf, --force and --database.
struct PeriodOptions
{
    std::string from;
    std::string to;
    std::string pdf;
    std::string database;
    bool force = false;
};

// Adds the options to `command`; the dates are required unless the command has a default
// period.
void addPeriodOptions(CLI::App* command, PeriodOptions& options, const char* reportFile,
                      bool datesRequired);

// Works out and prints the figures of a period on an open database; false with the
// reason in *error.
using PeriodWork = std::function<bool(QSqlDatabase& db, QDate from, QDate to, QString* error)>;

// Runs `work` over the period the options give (`defaults` when they give none), then,
// with --pdf, writes `reportFile` to the PDF. A PDF path that would be refused is said
// before any work is done. Returns the exit code.
int runPeriodCommand(const char* command, const PeriodOptions& options, const QString& reportFile,
                     std::optional<std::pair<QDate, QDate>> defaults, const PeriodWork& work);

} // namespace velmora::cli
