#include "transferrecords.h"

#include "cp1252.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace velmora::exchange {

namespace {

const QDate kOleEpoch(1899, 12, 30);
constexpr double kFirstOleDay = -657434.0; // 1 January 100
constexpr double kLastOleDay = 2958466.0;  // the day after 31 December 9999
constexpr std::int64_t kSecondsPerDay = 86400;

// Reads the fields of a record one after the other from its first byte, each text through
// `decode` (a QString or a UTF-8 view).
template <typename Decode> class FieldReader
{
public:
    FieldReader(QByteArrayView bytes, Decode decode) : m_bytes(bytes), m_decode(decode) {}

    auto text(qsizetype width)
    {
        const auto value = m_decode(m_bytes.sliced(m_at, width));
        m_at += width;
        return value;
    }
    template <typename Number> Number number()
    {
        const Number value = qFromLittleEndian<Number>(m_bytes.data() + m_at);
        m_at += sizeof(Number);
        return value;
    }
    double date()
    {
        const auto bits = number<std::uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    void skip(qsizetype count) { m_at += count; }

private:
    QByteArrayView m_bytes;
    Decode m_decode;
    qsizetype m_at = 0;
};

// Writes the fields of a record one after the other into a slot of zeros at `slot`.
class FieldWriter
{
public:
    FieldWriter(char* slot, qsizetype size, qsizetype* unmappable)
        : m_slot(slot), m_unmappable(unmappable)
    {
        std::memset(slot, 0, std::size_t(size));
    }

    void text(const QString& value, qsizetype width)
    {
        const QByteArray field = toCp1252Field(value, width, m_unmappable);
        std::memcpy(m_slot + m_at, field.constData(), std::size_t(width));
        m_at += width;
    }
    void text(QByteArrayView utf8, qsizetype width)
    {
        toCp1252Field(utf8, m_slot + m_at, width, m_unmappable);
        m_at += width;
    }
    template <typename Number> void number(Number value)
    {
        qToLittleEndian<Number>(value, m_slot + m_at);
        m_at += sizeof(Number);
    }
    void date(double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        number(bits);
    }
    void skip(qsizetype count) { m_at += count; }

private:
    char* m_slot;
    qsizetype* m_unmappable;
    qsizetype m_at = 0;
};

template <typename Record, typename Decode> Record readJob(QByteArrayView bytes, Decode decode)
{
    FieldReader in(bytes, decode);
    Record r;
    r.prefix = in.text(1);
    r.number = in.template number<std::int32_t>();
    r.date = in.date();
    r.time = in.text(8);
    r.passenger = in.text(50);
    r.from = in.text(80);
    r.to = in.text(80);
    r.account = in.template number<std::int16_t>();
    r.driver = in.template number<std::int32_t>();
    r.passengers = in.template number<std::int32_t>();
    r.paymentType = in.template number<std::int32_t>();
    r.invoiced = in.text(3);
    r.vehicleType = in.template number<std::int32_t>();
    r.instructions = in.text(250);
    r.status = in.text(1);
    r.invoiceNo = in.template number<std::int32_t>();
    r.timeText = in.text(10);
    r.accountRef = in.text(10);
    r.costedCode = in.text(10);
    r.standardJob = in.template number<std::int32_t>();
    r.driverPercentage = in.text(1);
    r.calculated = in.text(1);
    return r;
}

template <typename Record, typename Decode> Record readCost(QByteArrayView bytes, Decode decode)
{
    FieldReader in(bytes, decode);
    Record r;
    r.prefix = in.text(1);
    r.number = in.template number<std::int32_t>();
    r.costType = in.template number<std::int32_t>();
    r.incomeExpense = in.text(1);
    r.description = in.text(40);
    r.gross = in.template number<std::int64_t>();
    r.discount = in.template number<std::int32_t>();
    r.discountValue = in.template number<std::int64_t>();
    r.net = in.template number<std::int64_t>();
    r.vat = in.text(1);
    r.vatValue = in.template number<std::int64_t>();
    return r;
}

template <typename Record> void writeAccount(const Record& r, char* slot, qsizetype* unmappable)
{
    FieldWriter out(slot, AccountTransferRecord::kSlotBytes, unmappable);
    out.number(r.account);
    out.number(r.address);
    out.text(r.name, 40);
    out.text(r.nickname, 20);
    out.number(r.balance);
    out.text(r.invoiceType, 1);
    out.text(r.contact, 50);
    out.skip(8);
    out.text(r.reference, 1);
    out.text(r.costCode, 1);
}

} // namespace

QByteArrayView RecordTexts::add(QByteArrayView cp1252)
{
    while (!cp1252.isEmpty() && (cp1252.back() == ' ' || cp1252.back() == '\0'))
        cp1252.chop(1);
    Q_ASSERT(m_used + 3 * cp1252.size() <= qsizetype(m_bytes.size()));
    char* start = m_bytes.data() + m_used;
    m_used += cp1252ToUtf8(cp1252, start);
    return {start, m_bytes.data() + m_used};
}

JobTransferRecord readJobRecord(QByteArrayView bytes)
{
    return readJob<JobTransferRecord>(bytes, fromCp1252);
}

JobTransferView readJobRecord(QByteArrayView bytes, RecordTexts& texts)
{
    texts.clear();
    return readJob<JobTransferView>(bytes, [&texts](QByteArrayView b) { return texts.add(b); });
}

QByteArray writeJobRecord(const JobTransferRecord& r, qsizetype* unmappable)
{
    QByteArray slot(JobTransferRecord::kSlotBytes, Qt::Uninitialized);
    FieldWriter out(slot.data(), slot.size(), unmappable);
    out.text(r.prefix, 1);
    out.number(r.number);
    out.date(r.date);
    out.text(r.time, 8);
    out.text(r.passenger, 50);
    out.text(r.from, 80);
    out.text(r.to, 80);
    out.number(r.account);
    out.number(r.driver);
    out.number(r.passengers);
    out.number(r.paymentType);
    out.text(r.invoiced, 3);
    out.number(r.vehicleType);
    out.text(r.instructions, 250);
    out.text(r.status, 1);
    out.number(r.invoiceNo);
    out.text(r.timeText, 10);
    out.text(r.accountRef, 10);
    out.text(r.costedCode, 10);
    out.number(r.standardJob);
    out.text(r.driverPercentage, 1);
    out.text(r.calculated, 1);
    return slot;
}

CostTransferRecord readCostRecord(QByteArrayView bytes)
{
    return readCost<CostTransferRecord>(bytes, fromCp1252);
}

CostTransferView readCostRecord(QByteArrayView bytes, RecordTexts& texts)
{
    texts.clear();
    return readCost<CostTransferView>(bytes, [&texts](QByteArrayView b) { return texts.add(b); });
}

QByteArray writeCostRecord(const CostTransferRecord& r, qsizetype* unmappable)
{
    QByteArray slot(CostTransferRecord::kSlotBytes, Qt::Uninitialized);
    FieldWriter out(slot.data(), slot.size(), unmappable);
    out.text(r.prefix, 1);
    out.number(r.number);
    out.number(r.costType);
    out.text(r.incomeExpense, 1);
    out.text(r.description, 40);
    out.number(r.gross);
    out.number(r.discount);
    out.number(r.discountValue);
    out.number(r.net);
    out.text(r.vat, 1);
    out.number(r.vatValue);
    return slot;
}

AccountTransferRecord readAccountRecord(QByteArrayView bytes)
{
    FieldReader in(bytes, fromCp1252);
    AccountTransferRecord r;
    r.account = in.number<std::int32_t>();
    r.address = in.number<std::int32_t>();
    r.name = in.text(40);
    r.nickname = in.text(20);
    r.balance = in.number<std::int64_t>();
    r.invoiceType = in.text(1);
    r.contact = in.text(50);
    in.skip(8);
    r.reference = in.text(1);
    r.costCode = in.text(1);
    return r;
}

QByteArray writeAccountRecord(const AccountTransferRecord& r, qsizetype* unmappable)
{
    QByteArray slot(AccountTransferRecord::kSlotBytes, Qt::Uninitialized);
    writeAccount(r, slot.data(), unmappable);
    return slot;
}

void writeAccountRecord(const AccountTransferView& r, char* slot, qsizetype* unmappable)
{
    writeAccount(r, slot, unmappable);
}

std::optional<QDateTime> fromOleDate(double value)
{
    if (!std::isfinite(value) || value < kFirstOleDay || value >= kLastOleDay)
        return std::nullopt;
    // Before the epoch the whole days count back and the fraction still counts forward
    // from midnight: -1.25 is 29 December 1899 at 06:00.
    const double days = std::trunc(value);
    auto seconds = std::int64_t(std::llround(std::fabs(value - days) * kSecondsPerDay));
    auto day = std::int64_t(days);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    const QDate date = kOleEpoch.addDays(day);
    if (!date.isValid() || date.year() > 9999)
        return std::nullopt;
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)), Qt::UTC);
}

double toOleDate(const QDateTime& moment)
{
    const auto days = double(kOleEpoch.daysTo(moment.date()));
    const double time = double(moment.time().msecsSinceStartOfDay()) / (1000.0 * kSecondsPerDay);
    return days < 0 ? days - time : days + time;
}

} // namespace velmora::exchange
