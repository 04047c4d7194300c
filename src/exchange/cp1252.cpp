#include "cp1252.h"

#include <array>

namespace velmora::exchange {

namespace {

// The characters of bytes 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t(byte);
}

// The byte of `c`; -1 when the code page has none.
int byteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return int(0x80 + i);
    }
    return -1;
}

} // namespace

QString fromCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(character(static_cast<unsigned char>(byte)));
    return text;
}

QByteArray toCp1252Field(QStringView text, qsizetype width, qsizetype* unmappable)
{
    QByteArray field(width, ' ');
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size() && at < width; ++i) {
        const QChar c = text[i];
        int byte = byteOf(c.unicode());
        if (byte < 0) {
            byte = '?';
            ++*unmappable;
            // A character outside the basic plane is one character, not two.
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
        }
        field[at++] = char(byte);
    }
    return field;
}

} // namespace velmora::exchange
