#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>

namespace velmora {

// How much a run that cannot be undone is about to do: so many jobs of so many owners
// (accounts for the invoice run, drivers for driver pay), for the question asked first.
struct WorkCount
{
    qint64 jobs = 0;
    qint64 owners = 0;
};

// Runs `sql`, whose one row holds the two counts, with `values` bound in order; nullopt
// with the driver's text in *error when it fails.
std::optional<WorkCount> countWork(const QSqlDatabase& db, const QString& sql,
                                   const QVariantList& values, QString* error);

} // namespace velmora
