#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace velmora::exchange {

// Windows-1252, the single-byte code page of the transfer files. Qt's converters lack it
// without ICU, so it is a table of its own here. The five bytes that the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the control characters of the same
// number, as Windows reads them, so that every byte reads as something.
QString fromCp1252(QByteArrayView bytes);

// `text` in Windows-1252, left-aligned in exactly `width` bytes: padded with spaces or cut.
// A character the code page cannot hold is written as "?" and counted in *unmappable.
QByteArray toCp1252Field(QStringView text, qsizetype width, qsizetype* unmappable);

// The same two ways for UTF-8, the database's own form of text, without a QString between.
// cp1252ToUtf8() writes at most three bytes a byte to `out` and returns how many it wrote;
// toCp1252Field() writes exactly `width` bytes to `out`, and a byte that is not UTF-8
// counts as a character the code page cannot hold.
qsizetype cp1252ToUtf8(QByteArrayView bytes, char* out);
void toCp1252Field(QByteArrayView utf8, char* out, qsizetype width, qsizetype* unmappable);

} // namespace velmora::exchange
