#pragma once

#include <QDate>
#include <QString>

namespace velmora::test {

// Another office's account job T90001 for `passenger` on `day` at 08:00 with the status
// `status`, and its fare of 40.00, written to `folder` as Jobs.txt and Costs.txt. False when
// a file could not be written.
bool writeTransferFiles(const QString& folder, QDate day, const QString& passenger,
                        const QString& status);

} // namespace velmora::test
