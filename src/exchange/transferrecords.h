#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

namespace velmora::exchange {

// The three fixed-length records of the transfer files between installations. Numbers are
// little-endian, text Windows-1252 padded with spaces, dates OLE Automation dates (days
// since 30 December 1899, the fraction the time of day) and amounts OLE currency (the
// amount times 10,000 in 64 bits, so exactly our ten-thousandths). Files have no header;
// record n starts at (n - 1) times the slot size.

// A job. The slot holds four bytes after the fields that are never read.
struct JobTransferRecord
{
    static constexpr qsizetype kFieldBytes = 543;
    static constexpr qsizetype kSlotBytes = 547;

    QString prefix;          // text(1)
    std::int32_t number = 0; // Long
    double date = 0;         // Date
    QString time;            // text(8)
    QString passenger;       // text(50)
    QString from;            // text(80)
    QString to;              // text(80)
    std::int16_t account = 0;
    std::int32_t driver = 0;
    std::int32_t passengers = 0;
    std::int32_t paymentType = 0;
    QString invoiced; // text(3)
    std::int32_t vehicleType = 0;
    QString instructions; // text(250)
    QString status;       // text(1)
    std::int32_t invoiceNo = 0;
    QString timeText;   // text(10)
    QString accountRef; // text(10)
    QString costedCode; // text(10)
    std::int32_t standardJob = 0;
    QString driverPercentage; // text(1)
    QString calculated;       // text(1)
};

// A cost line of a job.
struct CostTransferRecord
{
    static constexpr qsizetype kFieldBytes = 87;
    static constexpr qsizetype kSlotBytes = 87;

    QString prefix; // text(1)
    std::int32_t number = 0;
    std::int32_t costType = 0;
    QString incomeExpense; // text(1), "I" income
    QString description;   // text(40)
    std::int64_t gross = 0;
    std::int32_t discount = 0;
    std::int64_t discountValue = 0;
    std::int64_t net = 0;
    QString vat; // text(1)
    std::int64_t vatValue = 0;
};

// A customer account. Eight reserved bytes, written as zero, sit before the last two
// one-character fields.
struct AccountTransferRecord
{
    static constexpr qsizetype kFieldBytes = 137;
    static constexpr qsizetype kSlotBytes = 137;

    std::int32_t account = 0;
    std::int32_t address = 0;
    QString name;     // text(40)
    QString nickname; // text(20)
    std::int64_t balance = 0;
    QString invoiceType; // text(1)
    QString contact;     // text(50)
    QString reference;   // text(1)
    QString costCode;    // text(1)
};

// Reads the fields of a record from the first kFieldBytes of `bytes`, which must hold them.
JobTransferRecord readJobRecord(QByteArrayView bytes);
CostTransferRecord readCostRecord(QByteArrayView bytes);
AccountTransferRecord readAccountRecord(QByteArrayView bytes);

// A whole slot for the record; text cut or padded to its width, characters that
// Windows-1252 cannot hold written as "?" and counted in *unmappable, every byte not
// belonging to a field zero.
QByteArray writeJobRecord(const JobTransferRecord& record, qsizetype* unmappable);
QByteArray writeCostRecord(const CostTransferRecord& record, qsizetype* unmappable);
QByteArray writeAccountRecord(const AccountTransferRecord& record, qsizetype* unmappable);

// The moment an OLE Automation date stands for (in UTC, so that every time of day exists),
// to the nearest second; nullopt when it is not a number or lies outside the years 100 to
// 9999.
std::optional<QDateTime> fromOleDate(double value);
// The OLE Automation date of `moment` (its date and its time of day).
double toOleDate(const QDateTime& moment);

} // namespace velmora::exchange
