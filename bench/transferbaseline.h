#pragma once

#include <cstdint>
#include <string>

// The sqlite3 C API side of the transfer cases reads the files with its own plain C
// decoding, so that no Qt conversion sits in the baseline.
namespace velmora::bench::plain {

// A little-endian number at `bytes`.
template <typename Number> Number number(const char* bytes)
{
    Number value;
    __builtin_memcpy(&value, bytes, sizeof value);
    return value;
}

// `size` Windows-1252 bytes as UTF-8, without the trailing blanks and NULs of a field.
std::string utf8(const char* bytes, int size);

// Writes the UTF-8 text `text` into `width` bytes at `out` in Windows-1252, padded with
// spaces and cut, a character the code page lacks as "?".
void cp1252(const unsigned char* text, int size, char* out, int width);

// The ISO date ("yyyy-mm-dd") of an OLE Automation date; empty when it is not one.
std::string isoDate(double value);

} // namespace velmora::bench::plain
