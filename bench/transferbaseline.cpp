#include "transferbaseline.h"

#include <cmath>
#include <cstdio>

namespace velmora::bench::plain {

namespace {

constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::string utf8(const char* bytes, int size)
{
    while (size > 0 && (bytes[size - 1] == ' ' || bytes[size - 1] == '\0'))
        --size;
    std::string out;
    out.reserve(std::size_t(size));
    for (int i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const unsigned c = byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void cp1252(const unsigned char* text, int size, char* out, int width)
{
    int at = 0;
    for (int i = 0; i < size && at < width;) {
        unsigned c = text[i];
        int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        c &= length == 1 ? 0x7F : length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07;
        for (int k = 1; k < length && i + k < size; ++k)
            c = (c << 6) | (text[i + k] & 0x3F);
        i += length;
        int byte = c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? int(c) : '?';
        for (int h = 0; byte == '?' && c != '?' && h < 32; ++h) {
            if (kHigh[h] == c)
                byte = 0x80 + h;
        }
        out[at++] = char(byte);
    }
    for (; at < width; ++at)
        out[at] = ' ';
}

std::string isoDate(double value)
{
    if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0)
        return {};
    const double whole = std::trunc(value);
    auto days = std::int64_t(whole);
    if (std::llround(std::fabs(value - whole) * 86400) >= 86400)
        ++days;
    // Days since 1970-01-01 to a civil date (H. Hinnant's algorithm).
    std::int64_t z = days - 25569 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    if (y > 9999)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d));
    return text;
}

} // namespace velmora::bench::plain
