#pragma once

#include "jobs/jobkey.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// Sets the progress code (record_status) of the job `key`, inside a transaction of its
// own when `inTransaction`. Returns whether the job exists; nullopt with the driver's
// text in *error when it could not be written.
std::optional<bool> setJobStatus(const QSqlDatabase& db, const JobKey& key, const QString& status,
                                 bool inTransaction, QString* error);

// The prefixes of the jobs numbered `number`, in order; nullopt with the driver's text
// in *error when they cannot be read.
std::optional<QStringList> prefixesOfJob(const QSqlDatabase& db, qint64 number, QString* error);

// Makes `name` the one name in jobboard, the name the paging board prints.
bool setPagingName(const QSqlDatabase& db, const QString& name, QString* error);

} // namespace velmora
