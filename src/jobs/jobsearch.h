#pragma once

#include "data/dialect.h"
#include "data/rowreader.h"
#include "jobkey.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <map>
#include <memory>
#include <optional>

namespace velmora {

class FoundRows;

// What the operator looks for. A text holding "*" is a pattern in which "*" stands for
// any run of characters; any other text must match whole. Empty texts are ignored.
struct SearchCriteria
{
    QString customer;
    QString date; // "dd/MM/yyyy"
    QString driver;
    QString account; // when given, the only criterion
    QString pickup;
    QString drop;
};

// A statement with its values, to be bound in order.
struct SearchStatement
{
    QString sql;
    QVariantList values;
};

// The statement that finds the jobs matching `criteria`, in the order the database finds
// them (no sorting, so that the first rows come at once whatever the number found);
// nullopt when the date is given but is not a date. Written for a database of `engine`.
std::optional<SearchStatement> searchStatement(const SearchCriteria& criteria, Engine engine);

// One job found.
struct FoundJob
{
    JobKey key;
    QString time;
    QDate date;
    QString passenger;
    QString vehicleType;
    QString pickup;
    QString drop;
};

// The jobs of one search at a time, read a batch at a time from its statement, which
// stays open between batches. Each statement text is prepared once and kept for later
// searches; rows are read straight from SQLite (RowReader). The finder must go before
// its connection is closed.
class JobFinder
{
public:
    explicit JobFinder(QSqlDatabase db);

    // Ends the search before and runs `statement`; false with the driver's text in *error.
    bool start(const SearchStatement& statement, QString* error);
    // Appends up to `count` more of the jobs found to *rows; at the last one the search
    // ends. False with the driver's text in *error, which also ends the search.
    bool read(qsizetype count, FoundRows* rows, QString* error);
    // True when no search runs: none was started, or all its jobs are read, or it ended.
    bool atEnd() const { return !m_running; }
    // Ends the search, releasing its statement's hold on the file.
    void finish();

private:
    QSqlDatabase m_db;
    std::map<QString, std::unique_ptr<RowReader>> m_statements;
    RowReader* m_running = nullptr;
};

} // namespace velmora
