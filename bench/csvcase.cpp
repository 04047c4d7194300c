#include "baseline.h"
#include "cases.h"
#include "jobs/jobsearch.h"
#include "jobs/searchmodel.h"
#include "platform/csvsave.h"

#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace velmora::bench {

namespace {

// A plain number such as -12.50, which a spreadsheet reads as a number.
bool plainNumber(std::string_view text)
{
    std::size_t at = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    const auto digits = [&text, &at] {
        const std::size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        return at > start;
    };
    if (!digits())
        return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (!digits())
            return false;
    }
    return at == text.size();
}

// One field as the program writes it: an apostrophe before what a spreadsheet would run as
// a formula, quoted when it holds a separator, a quote, a line break or outer spaces.
void appendField(std::string* line, std::string_view text)
{
    const char first = text.empty() ? '\0' : text.front();
    const bool formula = (first == '=' || first == '+' || first == '-' || first == '@' ||
                          first == '\t' || first == '\r') &&
                         !plainNumber(text);
    const bool quoted = text.find_first_of(",\"\n\r") != std::string_view::npos ||
                        (!text.empty() && (first == ' ' || text.back() == ' '));
    if (quoted)
        *line += '"';
    if (formula)
        *line += '\'';
    for (const char c : text) {
        if (c == '"')
            *line += '"';
        *line += c;
    }
    if (quoted)
        *line += '"';
}

std::string_view column(sqlite3_stmt* statement, int index)
{
    return {reinterpret_cast<const char*>(sqlite3_column_text(statement, index)),
            static_cast<std::size_t>(sqlite3_column_bytes(statement, index))};
}

// The baseline: the search's rows stepped and written as CSV with stdio, the date
// (yyyy-mm-dd) as dd/mm/yyyy.
bool writeDirectly(sqlite3_stmt* statement, const std::string& path, QString* error)
{
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!out) {
        *error = QObject::tr("The baseline could not write %1.").arg(QString::fromStdString(path));
        return false;
    }
    std::string line = "\xEF\xBB\xBFPrefix,Job Id,Time,Date,Passenger Name,Job Type,Pickup,"
                       "Set Down\r\n";
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        appendField(&line, column(statement, 0));
        line += ',';
        line += std::to_string(sqlite3_column_int64(statement, 1));
        line += ',';
        appendField(&line, column(statement, 2));
        line += ',';
        const std::string_view date = column(statement, 3);
        if (date.size() >= 10) {
            line.append(date.substr(8, 2)).append(1, '/');
            line.append(date.substr(5, 2)).append(1, '/');
            line.append(date.substr(0, 4));
        }
        for (int index = 4; index < 8; ++index) {
            line += ',';
            appendField(&line, column(statement, index));
        }
        line += "\r\n";
        if (line.size() > 1 << 16) {
            std::fwrite(line.data(), 1, line.size(), out.get());
            line.clear();
        }
    }
    std::fwrite(line.data(), 1, line.size(), out.get());
    const bool written = std::fflush(out.get()) == 0 && !std::ferror(out.get());
    if (!written)
        *error = QObject::tr("The baseline's write failed.");
    return finish(statement, result, error) && written;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<Timed> setUpSaveSearchCsv(Fixture& fixture, QString* error)
{
    const auto statement = searchStatement({}, Engine::SQLite);
    const Statement prepared = prepare(fixture.handle, statement->sql.toUtf8().constData(), error);
    if (!prepared)
        return std::nullopt;
    auto folder = std::make_shared<QTemporaryDir>();
    const QString ours = folder->filePath(QStringLiteral("ours.csv"));
    const QString baseline = folder->filePath(QStringLiteral("baseline.csv"));
    auto model = std::make_shared<FoundJobsModel>(fixture.db);
    QList<int> columns;
    for (int index = 0; index < FoundJobsModel::ColumnCount; ++index)
        columns.append(index);

    Timed timed;
    // As "Save as CSV..." on the list of a search with every field empty: the list read on
    // to its end as the rows are written, then let go for the next run.
    timed.ours = [model, statement, columns, ours, database = fixture.db.databaseName(),
                  folder](QString* reason) {
        const bool saved = model->search(*statement, reason) &&
                           saveModelCsv(*model, columns, ours, {database, {}, true}, reason) >= 0;
        model->clear();
        return saved;
    };
    timed.baseline = [prepared, path = baseline.toStdString()](QString* reason) {
        return writeDirectly(prepared.get(), path, reason);
    };
    // Each run writes a new file, as a list is usually saved: replacing a file by renaming
    // would make the file system write the new one out at once.
    timed.reset = [ours, baseline](QString*) {
        QFile::remove(ours);
        QFile::remove(baseline);
        return true;
    };
    if (!timed.ours(error) || !timed.baseline(error))
        return std::nullopt;
    const QByteArray written = contents(ours);
    if (written.count('\n') < 2 || written != contents(baseline)) {
        *error = QObject::tr("Ours and the baseline wrote different files (%1 and %2 bytes).")
                     .arg(written.size())
                     .arg(contents(baseline).size());
        return std::nullopt;
    }
    return timed;
}

} // namespace velmora::bench
