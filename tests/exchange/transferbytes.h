#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace velmora::test {

// Builds transfer records byte by byte, as another installation writes them: raw
// Windows-1252 bytes padded with spaces, little-endian numbers, IEEE doubles.
class Bytes
{
public:
    // `raw` (already Windows-1252 bytes) padded with spaces to `width`.
    Bytes& text(const QByteArray& raw, int width)
    {
        m_bytes += raw.left(width);
        m_bytes += QByteArray(width - qMin(int(raw.size()), width), ' ');
        return *this;
    }
    Bytes& i16(std::int16_t v) { return number(v); }
    Bytes& i32(std::int32_t v) { return number(v); }
    Bytes& i64(std::int64_t v) { return number(v); }
    Bytes& f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return number(bits);
    }
    Bytes& raw(const QByteArray& bytes)
    {
        m_bytes += bytes;
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

private:
    template <typename T> Bytes& number(T v)
    {
        char buffer[sizeof(T)];
        qToLittleEndian<T>(v, buffer);
        m_bytes.append(buffer, sizeof(T));
        return *this;
    }
    QByteArray m_bytes;
};

// The fields of a job record that tests vary; the rest are fixed.
struct JobBytes
{
    QByteArray prefix = "A";
    std::int32_t number = 1;
    double date = 46000.0; // 9 December 2025
    QByteArray passenger = "Mr Smith";
    std::int16_t account = 0;
    std::int32_t driver = 0;
    std::int32_t paymentType = 0;
    std::int32_t vehicleType = 0;
    QByteArray status = "C";
};

// A whole jobs slot of 547 bytes: 543 of fields, then 4 unread bytes that are not zero.
inline QByteArray jobSlot(const JobBytes& j)
{
    return Bytes()
        .text(j.prefix, 1)
        .i32(j.number)
        .f64(j.date)
        .text("10:30:00", 8)
        .text(j.passenger, 50)
        .text("1 High St", 80)
        .text("Station", 80)
        .i16(j.account)
        .i32(j.driver)
        .i32(3)
        .i32(j.paymentType)
        .text("N", 3)
        .i32(j.vehicleType)
        .text("Ring twice", 250)
        .text(j.status, 1)
        .i32(77)
        .text("10:30", 10)
        .text("REF-9", 10)
        .text("CC1", 10)
        .i32(5)
        .text("Y", 1)
        .text("N", 1)
        .raw("\xDE\xAD\xBE\xEF")
        .bytes();
}

// `count` plain jobs numbered from 1, one slot each.
inline QByteArray jobSlots(int count)
{
    QByteArray bytes;
    for (int number = 1; number <= count; ++number) {
        JobBytes job;
        job.number = number;
        bytes += jobSlot(job);
    }
    return bytes;
}

// The fields of a cost record that tests vary.
struct CostBytes
{
    QByteArray prefix = "A";
    std::int32_t number = 1;
    std::int32_t costType = 1;
    QByteArray side = "I";
    QByteArray description = "Fare";
    std::int64_t gross = 125000; // 12.50
    std::int32_t discount = 10;
    std::int64_t net = 112500;
};

// A costs slot of 87 bytes.
inline QByteArray costSlot(const CostBytes& c)
{
    return Bytes()
        .text(c.prefix, 1)
        .i32(c.number)
        .i32(c.costType)
        .text(c.side, 1)
        .text(c.description, 40)
        .i64(c.gross)
        .i32(c.discount)
        .i64(12500)
        .i64(c.net)
        .text("Y", 1)
        .i64(18750)
        .bytes();
}

} // namespace velmora::test
