#include "cp1252.h"

#include <array>
#include <cstring>

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

// The character that starts `text` at `*at`, as UTF-8 decodes it, moving `*at` past it;
// -1 for a byte that starts no character (then `*at` moves past that byte alone).
char32_t nextCharacter(QByteArrayView text, qsizetype* at)
{
    const auto lead = static_cast<unsigned char>(text[*at]);
    ++*at;
    if (lead < 0x80)
        return lead;
    const int trailing = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (trailing < 0 || lead >= 0xF5 || *at + trailing > text.size())
        return char32_t(-1);
    char32_t c = lead & (0x3F >> trailing);
    for (int k = 0; k < trailing; ++k) {
        const auto next = static_cast<unsigned char>(text[*at + k]);
        if ((next & 0xC0) != 0x80)
            return char32_t(-1);
        c = (c << 6) | (next & 0x3F);
    }
    *at += trailing;
    return c;
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

qsizetype cp1252ToUtf8(QByteArrayView bytes, char* out)
{
    char* at = out;
    for (const char byte : bytes) {
        const char16_t c = character(static_cast<unsigned char>(byte));
        if (c < 0x80) {
            *at++ = char(c);
        } else if (c < 0x800) {
            *at++ = char(0xC0 | (c >> 6));
            *at++ = char(0x80 | (c & 0x3F));
        } else {
            *at++ = char(0xE0 | (c >> 12));
            *at++ = char(0x80 | ((c >> 6) & 0x3F));
            *at++ = char(0x80 | (c & 0x3F));
        }
    }
    return at - out;
}

void toCp1252Field(QByteArrayView utf8, char* out, qsizetype width, qsizetype* unmappable)
{
    qsizetype written = 0;
    for (qsizetype at = 0; at < utf8.size() && written < width;) {
        const char32_t c = nextCharacter(utf8, &at);
        int byte = c <= 0xFFFF ? byteOf(char16_t(c)) : -1;
        if (byte < 0) {
            byte = '?';
            ++*unmappable;
        }
        out[written++] = char(byte);
    }
    std::memset(out + written, ' ', std::size_t(width - written));
}

} // namespace velmora::exchange
