#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// One of the small tables that name the kinds of things the rest of the program refers to
// by number, with the words of its maintenance screen.
struct TypeTable
{
    QString caption;           // window caption
    QString table;             // table name
    QString idColumn;          // counter column assigned by the database
    QString nameColumn;        // the entry's name
    QString fieldName;         // objectName of the input field
    QString label;             // caption of the input field
    QString tip;               // tooltip of the input field
    QString heading;           // heading of the list's name column
    QString emptyTableMessage; // shown when the list is filled from an empty table
    QString emptyInputMessage; // shown when Save is pressed with an empty input field

    static const TypeTable& vehicleTypes();
    static const TypeTable& paymentTypes();
    static const TypeTable& addressTypes();
    static const TypeTable& incomeExpenseTypes();
};

// One row of a type table.
struct TypeEntry
{
    qint64 id = 0;
    QString name;
};

// Every row of `table` in the order the database returns them (no sort).
// On failure returns nullopt with the driver's text in *error.
std::optional<QList<TypeEntry>> listTypes(const QSqlDatabase& db, const TypeTable& table,
                                          QString* error);

// Adds a row named `name` exactly as given; duplicates are allowed. Returns the new id,
// or nullopt with the driver's text in *error.
std::optional<qint64> appendType(const QSqlDatabase& db, const TypeTable& table,
                                 const QString& name, QString* error);

} // namespace velmora
