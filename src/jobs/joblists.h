#pragma once

#include "data/vatrate.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// A row of a reference table by its number and name.
struct JobListEntry
{
    qint64 id = 0;
    QString name;
};

struct JobDriver
{
    qint64 id = 0;
    QString name;
    bool barred = false;
};

struct JobAccount
{
    qint64 id = 0;
    QString name;
    QString contact;
    std::optional<QString> nickname;

    // The chooser's entry: "12 : Acme Ltd ; Jo Bloggs", with " : nickname" when there is one.
    QString chooserText() const;
    // The chosen account as the booking shows it: "12 : Acme Ltd".
    QString shownText() const;
};

// Everything the job screen reads once when it opens.
struct JobLists
{
    QList<JobDriver> drivers;         // by name
    QList<JobAccount> accounts;       // by name
    QList<JobListEntry> paymentTypes; // by name
    QList<JobListEntry> vehicleTypes; // by name
    QList<JobListEntry> costTypes;    // income and expense types, in the database's order
    bool vatRegistered = false;
    VatRates vatRates; // the company's, by the jobs' pick-up days
};

// The first entry whose name equals `name`, ignoring case as the database does; null
// when there is none.
template <typename Entry> const Entry* findByName(const QList<Entry>& entries, const QString& name)
{
    for (const Entry& entry : entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

// The reference lists of the job screen, read when it opens. Each returns nullopt with
// the driver's text in *error when the table cannot be read.
std::optional<QList<JobDriver>> readDrivers(const QSqlDatabase& db, QString* error);
std::optional<QList<JobAccount>> readAccounts(const QSqlDatabase& db, QString* error);
std::optional<QList<JobListEntry>> readPaymentTypes(const QSqlDatabase& db, QString* error);
std::optional<QList<JobListEntry>> readVehicleTypes(const QSqlDatabase& db, QString* error);
// The income and expense types, in the database's order.
std::optional<QList<JobListEntry>> readCostTypes(const QSqlDatabase& db, QString* error);
// True when the company's record holds a VAT number; false without a record.
std::optional<bool> readVatRegistered(const QSqlDatabase& db, QString* error);

} // namespace velmora
