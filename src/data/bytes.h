#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

namespace velmora {

// Appends `bytes` to *out with one copy: cheaper than QByteArray::append, which goes
// through insert(), where millions of cells are written. `bytes` must not lie in *out.
inline void appendBytes(QByteArray* out, QByteArrayView bytes)
{
    const qsizetype at = out->size();
    out->resize(at + bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(out->data() + at, bytes.data(), size_t(bytes.size()));
}

} // namespace velmora
