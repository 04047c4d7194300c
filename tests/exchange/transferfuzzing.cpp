#include "transferfuzzing.h"

#include "data/database.h"
#include "data/sql.h"
#include "exchange/recordfile.h"
#include "exchange/transfer.h"
#include "exchange/transferrecords.h"

#include <QBuffer>
#include <QSqlQuery>

namespace velmora::test {

namespace {

// One database in memory for every input, with a job and one of each reference to find.
QSqlDatabase& database()
{
    static QSqlDatabase db = [] {
        QString error;
        QSqlDatabase made =
            createDatabase(QStringLiteral(":memory:"), QStringLiteral("fuzz"), &error);
        if (!made.isValid())
            qFatal("fuzz database: %s", qPrintable(error));
        QSqlQuery query(made);
        for (const char* sql : {"insert into accounts (account_name) values ('Acme')",
                                "insert into drivers (driver_name) values ('Dave')",
                                "insert into payment_types (paymentdescription) values ('Cash')",
                                "insert into vehicle_types (vehicledescription) values ('Saloon')",
                                "insert into receipt_types (paymenttype) values ('Fare')"})
            run(query, QString::fromLatin1(sql));
        return made;
    }();
    return db;
}

// Reads every record of `bytes` with `read`, as the routines would, and every date.
template <typename Read>
qint64 readAll(const QByteArray& bytes, qsizetype fields, qsizetype slot, Read read)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    exchange::RecordFile file(buffer, fields, slot);
    qint64 count = 0;
    while (const auto record = file.next()) {
        read(*record);
        ++count;
    }
    return count;
}

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

void importAll(const QByteArray& bytes, qint64 records, bool jobs)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QString name = QStringLiteral("fuzz.txt");
    const exchange::TransferOutcome outcome =
        jobs ? exchange::import_job_transfer(database(), buffer, name)
             : exchange::import_cost_transfer(database(), buffer, name);
    check(outcome.completed);
    check(outcome.added + outcome.updated + outcome.rejected == records);
    check(outcome.rejections.size() == outcome.rejected);
    QSqlQuery query(database());
    run(query, QStringLiteral("delete from costs"));
    run(query, QStringLiteral("delete from jobs where job_id <> 1"));
    run(query, QStringLiteral("insert into jobs (job_prefix, job_id, record_status) "
                              "select 'A', 1, 'C' where not exists (select 1 from jobs)"));
}

} // namespace

void fuzzTransferInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    using namespace exchange;
    switch (data[0] % 3) {
    case 0: {
        const qint64 records =
            readAll(bytes, JobTransferRecord::kFieldBytes, JobTransferRecord::kSlotBytes,
                    [](const QByteArray& slot) { fromOleDate(readJobRecord(slot).date); });
        importAll(bytes, records, true);
        break;
    }
    case 1: {
        const qint64 records =
            readAll(bytes, CostTransferRecord::kFieldBytes, CostTransferRecord::kSlotBytes,
                    [](const QByteArray& slot) { readCostRecord(slot); });
        importAll(bytes, records, false);
        break;
    }
    default: {
        qsizetype unmappable = 0;
        readAll(bytes, AccountTransferRecord::kFieldBytes, AccountTransferRecord::kSlotBytes,
                [&unmappable](const QByteArray& slot) {
                    const QByteArray again =
                        writeAccountRecord(readAccountRecord(slot), &unmappable);
                    check(again.size() == AccountTransferRecord::kSlotBytes);
                });
        break;
    }
    }
}

} // namespace velmora::test
