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

} // namespace velmora::exchange
