#pragma once

#include "jobkey.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>

namespace velmora {

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

// The statement that finds the jobs matching `criteria`; nullopt when the date is given
// but is not a date.
std::optional<SearchStatement> searchStatement(const SearchCriteria& criteria);

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

// Runs `statement`; nullopt with the driver's text in *error when it fails.
std::optional<QList<FoundJob>> findJobs(const QSqlDatabase& db, const SearchStatement& statement,
                                        QString* error);

} // namespace velmora
