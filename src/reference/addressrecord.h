#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <array>
#include <optional>
#include <utility>

namespace velmora {

// A text column as read: nullopt when the column is NULL.
using Text = std::optional<QString>;

// The ten text columns of a row of `addresses`, named as stored.
struct Address
{
    Text line1, line2, line3, town, county, postcode1, postcode2, phone1, phone2, phone3;
};

// Each member of Address with its column, in column order.
inline constexpr std::array<std::pair<const char*, Text Address::*>, 10> kAddressColumns = {{
    {"address_line1", &Address::line1},
    {"address_line2", &Address::line2},
    {"address_line3", &Address::line3},
    {"address_town", &Address::town},
    {"address_county", &Address::county},
    {"address_postcode1", &Address::postcode1},
    {"address_postcode2", &Address::postcode2},
    {"address_phone1", &Address::phone1},
    {"address_phone2", &Address::phone2},
    {"address_phone3", &Address::phone3},
}};

// Address types: the rows an account or a driver owns.
inline constexpr int kAccountAddress = 9;
inline constexpr int kDriverAddress = 8;

// The address columns for a select list, each prefixed with `alias` and a dot.
QString addressColumnList(const QString& alias);
// Reads the address columns from `query`, the first at column `first`.
Address readAddress(const QSqlQuery& query, int first);
// A column value as read: nullopt for NULL.
Text readText(const QVariant& value);
// A text to bind: never NULL, so an empty field is stored as empty text.
QVariant storedText(const Text& text);

// A record (account or driver) with the one address row it owns.
struct RecordWithAddress
{
    QString table;       // "accounts" or "drivers"
    QString idColumn;    // its counter column
    qint64 id = 0;       // the record to update; 0 or unknown adds a new one
    int addressType = 0; // written to the address row
    Address address;
    QStringList columns;    // the record's own columns to write, beside address_id
    QVariantList newValues; // their values for a new record, in the same order
    QVariantList oldValues; // their values when the record exists already
    // The row version the screen read: an existing record is updated only while it is
    // still at it. None: updated whatever it is.
    std::optional<qint64> version;
    QString name; // how the operator knows it in a refusal: "Account 12"
};

// In one transaction: when `record.id` names an existing row, updates it and its address
// row in place (the address_id stays); otherwise adds an address row and then a record
// that refers to it. Returns the record's id, or nullopt with the reason in *error and
// nothing written; *changedElsewhere, when given, says whether that was because the record
// changed since it was read (rowversion.h).
std::optional<qint64> saveWithAddress(const QSqlDatabase& db, const RecordWithAddress& record,
                                      QString* error, bool* changedElsewhere = nullptr);

} // namespace velmora
