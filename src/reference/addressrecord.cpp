#include "addressrecord.h"

#include "data/columnwidths.h"
#include "data/fault.h"
#include "data/rowversion.h"
#include "data/sql.h"

#include <QObject>

namespace velmora {

namespace {

QVariantList addressValues(const Address& address)
{
    QVariantList values;
    for (const auto& [column, member] : kAddressColumns)
        values.append(storedText(address.*member));
    return values;
}

// The address_id of the record, or nullopt when there is no such record.
std::optional<qint64> ownedAddress(const QSqlDatabase& db, const RecordWithAddress& record,
                                   QString* error, bool* failed)
{
    QSqlQuery query(db);
    const QString sql =
        QStringLiteral("select address_id from %1 where %2 = ?").arg(record.table, record.idColumn);
    if (!run(query, sql, {record.id}, error)) {
        *failed = true;
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

// Adds the address row of `record` and returns its id.
std::optional<qint64> addAddress(QSqlQuery& query, const RecordWithAddress& record, QString* error)
{
    QStringList columns = columnNames(kAddressColumns);
    columns.append(QStringLiteral("address_type"));
    QVariantList values = addressValues(record.address);
    values.append(record.addressType);
    return insertRow(query,
                     QStringLiteral("insert into addresses (%1) values (%2)")
                         .arg(columns.join(QStringLiteral(", ")), placeholders(columns.size())),
                     values, error);
}

// Rewrites the record and its address row. A record whose address row is missing gets a
// new one, so the typed address is never dropped.
bool updateBoth(const QSqlDatabase& db, const RecordWithAddress& record, qint64 addressId,
                QString* error, bool* changedElsewhere)
{
    QSqlQuery query(db);
    QStringList columns = columnNames(kAddressColumns);
    columns.append(QStringLiteral("address_type"));
    QVariantList values = addressValues(record.address);
    values << record.addressType << addressId;
    if (!run(query,
             QStringLiteral("update addresses set %1 where address_id = ?")
                 .arg(assignments(columns)),
             values, error))
        return false;
    QStringList ownColumns = record.columns;
    QVariantList own = record.oldValues;
    if (query.numRowsAffected() == 0) {
        const auto added = addAddress(query, record, error);
        if (!added)
            return false;
        ownColumns.append(QStringLiteral("address_id"));
        own.append(*added);
    }
    const std::optional<RowSave> saved = saveRow(
        db, {record.table, record.idColumn + QStringLiteral(" = ?"), {record.id}, record.name},
        assignments(ownColumns), own, record.version, error);
    if (saved == RowSave::ChangedElsewhere && changedElsewhere)
        *changedElsewhere = true;
    if (saved == RowSave::Missing)
        *error = QObject::tr("%1 is no longer on file").arg(record.name);
    return saved == RowSave::Saved;
}

std::optional<qint64> addBoth(const QSqlDatabase& db, const RecordWithAddress& record,
                              QString* error)
{
    QSqlQuery query(db);
    const auto addressId = addAddress(query, record, error);
    if (!addressId)
        return std::nullopt;
    QStringList own = record.columns;
    own.prepend(QStringLiteral("address_id"));
    QVariantList ownValues = record.newValues;
    ownValues.prepend(*addressId);
    return insertRow(
        query,
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(record.table, own.join(QStringLiteral(", ")), placeholders(own.size())),
        ownValues, error);
}

// Whether every typed text of `record` fits its column.
bool fits(const RecordWithAddress& record, QString* error)
{
    return fitsColumns(u"addresses", columnNames(kAddressColumns), addressValues(record.address),
                       error) &&
           fitsColumns(record.table, record.columns, record.newValues, error) &&
           fitsColumns(record.table, record.columns, record.oldValues, error);
}

} // namespace

QString addressColumnList(const QString& alias)
{
    QStringList names;
    for (const QString& column : columnNames(kAddressColumns))
        names.append(alias + u'.' + column);
    return names.join(QStringLiteral(", "));
}

Address readAddress(const QSqlQuery& query, int first)
{
    Address address;
    int at = first;
    for (const auto& [column, member] : kAddressColumns)
        address.*member = readText(query.value(at++));
    return address;
}

Text readText(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

QVariant storedText(const Text& text)
{
    const QString value = text.value_or(QString());
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

std::optional<qint64> saveWithAddress(const QSqlDatabase& db, const RecordWithAddress& record,
                                      QString* error, bool* changedElsewhere)
{
    if (!fits(record, error))
        return std::nullopt;
    Transaction transaction(db);
    if (!transaction.begun(error))
        return std::nullopt;
    bool failed = false;
    const std::optional<qint64> addressId = ownedAddress(db, record, error, &failed);
    if (failed)
        return std::nullopt;
    std::optional<qint64> id = record.id;
    if (addressId) {
        if (!updateBoth(db, record, *addressId, error, changedElsewhere))
            return std::nullopt;
    } else {
        id = addBoth(db, record, error);
        if (!id)
            return std::nullopt;
    }
    if (!transaction.commit(error))
        return std::nullopt;
    return id;
}

} // namespace velmora
