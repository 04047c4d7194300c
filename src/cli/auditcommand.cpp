#include "auditcommand.h"

#include "commandoutput.h"
#include "data/auditquery.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-audit";

struct AuditOptions
{
    std::string since;
    std::string job;
    std::string database;
};

bool list(const QSqlDatabase& db, const AuditFilter& filter, QString* error)
{
    const AuditQuery audit = auditQuery(filter);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, audit.sql, audit.values, error))
        return false;
    qint64 count = 0;
    while (query.next()) {
        printLine(stdout, QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(query.value(0).toString(), 8)
                              .arg(auditStamp(query.value(1).toString()), query.value(2).toString(),
                                   query.value(3).toString(), query.value(4).toString()));
        if (!query.isNull(5))
            printLine(stdout, QObject::tr("    before: %1").arg(query.value(5).toString()));
        if (!query.isNull(6))
            printLine(stdout, QObject::tr("    after:  %1").arg(query.value(6).toString()));
        ++count;
    }
    printLine(stdout, QObject::tr("%n entry(s)", nullptr, int(count)));
    return true;
}

int runAudit(const AuditOptions& options)
{
    AuditFilter filter;
    if (!options.since.empty()) {
        const auto since = parseUkDate(QString::fromStdString(options.since));
        if (!since)
            return fail("audit", QObject::tr("The first day must be given as dd/mm/yyyy."));
        filter.from = *since;
    }
    filter.key = QString::fromStdString(options.job).trimmed();
    QString error;
    bool done = false;
    {
        QSqlDatabase db = openDatabaseToRead(databasePath(QString::fromStdString(options.database)),
                                             QString::fromLatin1(kConnection), &error);
        done = db.isValid() && list(db, filter, &error);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    return done ? 0 : fail("audit", error);
}

} // namespace

void addAuditCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<AuditOptions>();
    CLI::App* command = app.add_subcommand(
        "audit", "List the audit trail: who changed what, with the values before and after");
    command->add_option("--since", options->since, "The first day, DD/MM/YYYY");
    command->add_option("--job", options->job,
                        "One job's entries and those of its lines, by its key (A51)");
    addDatabaseOption(*command, options->database);
    command->callback([&action, options] { action = [options] { return runAudit(*options); }; });
}

} // namespace velmora::cli
