#include "typetable.h"

#include "data/columnwidths.h"
#include "data/fault.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

const TypeTable& TypeTable::vehicleTypes()
{
    static const TypeTable table{
        .caption = QStringLiteral("Maintain Vehicle Types"),
        .table = QStringLiteral("vehicle_types"),
        .idColumn = QStringLiteral("vehicletypeid"),
        .nameColumn = QStringLiteral("vehicledescription"),
        .fieldName = QStringLiteral("txtcar_type"),
        .label = QStringLiteral("Vehicle Type"),
        .tip = QStringLiteral("Enter vehicle type"),
        .heading = QStringLiteral("Vehicle Type"),
        .emptyTableMessage = QStringLiteral("No vehicle types recorded"),
        .emptyInputMessage = QStringLiteral("Please input a vehicle type before pressing save"),
    };
    return table;
}

const TypeTable& TypeTable::paymentTypes()
{
    static const TypeTable table{
        .caption = QStringLiteral("Payment Types"),
        .table = QStringLiteral("payment_types"),
        .idColumn = QStringLiteral("paymenttypeid"),
        .nameColumn = QStringLiteral("paymentdescription"),
        .fieldName = QStringLiteral("txtpay_type"),
        .label = QStringLiteral("Payment Type"),
        .tip = QStringLiteral("Enter payment type"),
        .heading = QStringLiteral("Payment Description"),
        .emptyTableMessage = QStringLiteral("No payment types recorded"),
        .emptyInputMessage = QStringLiteral("You must supply a payment type before pressing new"),
    };
    return table;
}

const TypeTable& TypeTable::addressTypes()
{
    static const TypeTable table{
        .caption = QStringLiteral("Maintain Address Types"),
        .table = QStringLiteral("address_types"),
        .idColumn = QStringLiteral("addresstypeid"),
        .nameColumn = QStringLiteral("addresstype"),
        .fieldName = QStringLiteral("txtaddress_type"),
        .label = QStringLiteral("Address Type"),
        .tip = QStringLiteral("Enter address type"),
        .heading = QStringLiteral("Address Type"),
        .emptyTableMessage = QStringLiteral("No address types recorded"),
        .emptyInputMessage = QStringLiteral("You must supply an address type before pressing new"),
    };
    return table;
}

const TypeTable& TypeTable::incomeExpenseTypes()
{
    static const TypeTable table{
        .caption = QStringLiteral("Maintain Income And Expenditure Types"),
        .table = QStringLiteral("receipt_types"),
        .idColumn = QStringLiteral("receipttypeid"),
        .nameColumn = QStringLiteral("paymenttype"),
        .fieldName = QStringLiteral("txtpaymenttype"),
        .label = QStringLiteral("Income Expenditure Description"),
        .tip = QStringLiteral("Enter income / expenditure description"),
        .heading = QStringLiteral("Income / Expence Description"),
        .emptyTableMessage = QStringLiteral("No Income / Expenditure types recorded"),
        .emptyInputMessage = QStringLiteral("Please supply a payment type before pressing save"),
    };
    return table;
}

std::optional<QList<TypeEntry>> listTypes(const QSqlDatabase& db, const TypeTable& table,
                                          QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString sql =
        QStringLiteral("select %1, %2 from %3").arg(table.idColumn, table.nameColumn, table.table);
    if (!run(query, sql, {}, error))
        return std::nullopt;
    QList<TypeEntry> entries;
    while (query.next())
        entries.append({query.value(0).toLongLong(), query.value(1).toString()});
    if (query.lastError().isValid()) {
        if (error)
            *error = queryFault(query);
        return std::nullopt;
    }
    return entries;
}

std::optional<qint64> appendType(const QSqlDatabase& db, const TypeTable& table,
                                 const QString& name, QString* error)
{
    if (!fitsColumns(table.table, {table.nameColumn}, {name}, error))
        return std::nullopt;
    QSqlQuery query(db);
    const QString sql =
        QStringLiteral("insert into %1 (%2) values (?)").arg(table.table, table.nameColumn);
    return insertRow(query, sql, {name}, error);
}

} // namespace velmora
