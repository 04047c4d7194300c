#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora::exchange {

// The three fixed-length records of the transfer files between installations. Numbers are
// little-endian, text Windows-1252 padded with spaces, dates OLE Automation dates (days
// since 30 December 1899, the fraction the time of day) and amounts OLE currency (the
// amount times 10,000 in 64 bits, so exactly our ten-thousandths). Files have no header;
// record n starts at (n - 1) times the slot size.

// The records come in two forms: with their texts as QStrings, to build and read files,
// and with their texts as UTF-8 views (the database's own form), for the routines that
// move many records between a file and the database without a QString between.

// A job. The slot holds four bytes after the fields that are never read.
template <typename Text> struct BasicJobTransferRecord
{
    static constexpr qsizetype kFieldBytes = 543;
    static constexpr qsizetype kSlotBytes = 547;

    Text prefix;             // text(1)
    std::int32_t number = 0; // Long
    double date = 0;         // Date
    Text time;               // text(8)
    Text passenger;          // text(50)
    Text from;               // text(80)
    Text to;                 // text(80)
    std::int16_t account = 0;
    std::int32_t driver = 0;
    std::int32_t passengers = 0;
    std::int32_t paymentType = 0;
    Text invoiced; // text(3)
    std::int32_t vehicleType = 0;
    Text instructions; // text(250)
    Text status;       // text(1)
    std::int32_t invoiceNo = 0;
    Text timeText;   // text(10)
    Text accountRef; // text(10)
    Text costedCode; // text(10)
    std::int32_t standardJob = 0;
    Text driverPercentage; // text(1)
    Text calculated;       // text(1)
};

// A cost line of a job.
template <typename Text> struct BasicCostTransferRecord
{
    static constexpr qsizetype kFieldBytes = 87;
    static constexpr qsizetype kSlotBytes = 87;

    Text prefix; // text(1)
    std::int32_t number = 0;
    std::int32_t costType = 0;
    Text incomeExpense; // text(1), "I" income
    Text description;   // text(40)
    std::int64_t gross = 0;
    std::int32_t discount = 0;
    std::int64_t discountValue = 0;
    std::int64_t net = 0;
    Text vat; // text(1)
    std::int64_t vatValue = 0;
};

// A customer account. Eight reserved bytes, written as zero, sit before the last two
// one-character fields.
template <typename Text> struct BasicAccountTransferRecord
{
    static constexpr qsizetype kFieldBytes = 137;
    static constexpr qsizetype kSlotBytes = 137;

    std::int32_t account = 0;
    std::int32_t address = 0;
    Text name;     // text(40)
    Text nickname; // text(20)
    std::int64_t balance = 0;
    Text invoiceType; // text(1)
    Text contact;     // text(50)
    Text reference;   // text(1)
    Text costCode;    // text(1)
};

using JobTransferRecord = BasicJobTransferRecord<QString>;
using CostTransferRecord = BasicCostTransferRecord<QString>;
using AccountTransferRecord = BasicAccountTransferRecord<QString>;
using JobTransferView = BasicJobTransferRecord<QByteArrayView>;
using CostTransferView = BasicCostTransferRecord<QByteArrayView>;
using AccountTransferView = BasicAccountTransferRecord<QByteArrayView>;

// Room for the UTF-8 texts of one record read as views, used again record after record:
// each record read into it replaces the one before.
class RecordTexts
{
public:
    // Every byte of a record's fields may become three bytes of UTF-8.
    explicit RecordTexts(qsizetype fieldBytes) : m_bytes(std::size_t(3 * fieldBytes)) {}

    void clear() { m_used = 0; }
    // The UTF-8 of `cp1252` without the field's padding (trailing blanks and NULs), kept
    // until clear().
    QByteArrayView add(QByteArrayView cp1252);

private:
    std::vector<char> m_bytes;
    qsizetype m_used = 0;
};

// Reads the fields of a record from the first kFieldBytes of `bytes`, which must hold them;
// the views' texts live in `texts`.
JobTransferRecord readJobRecord(QByteArrayView bytes);
JobTransferView readJobRecord(QByteArrayView bytes, RecordTexts& texts);
CostTransferRecord readCostRecord(QByteArrayView bytes);
CostTransferView readCostRecord(QByteArrayView bytes, RecordTexts& texts);
AccountTransferRecord readAccountRecord(QByteArrayView bytes);

// A whole slot for the record; text cut or padded to its width, characters that
// Windows-1252 cannot hold written as "?" and counted in *unmappable, every byte not
// belonging to a field zero.
QByteArray writeJobRecord(const JobTransferRecord& record, qsizetype* unmappable);
QByteArray writeCostRecord(const CostTransferRecord& record, qsizetype* unmappable);
QByteArray writeAccountRecord(const AccountTransferRecord& record, qsizetype* unmappable);
// Writes the slot of `record` into the kSlotBytes at `slot`, in the same way.
void writeAccountRecord(const AccountTransferView& record, char* slot, qsizetype* unmappable);

// The moment an OLE Automation date stands for (in UTC, so that every time of day exists),
// to the nearest second; nullopt when it is not a number or lies outside the years 100 to
// 9999.
std::optional<QDateTime> fromOleDate(double value);
// The OLE Automation date of `moment` (its date and its time of day).
double toOleDate(const QDateTime& moment);

} // namespace velmora::exchange
