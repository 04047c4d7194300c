#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora::test {

// The rows of the CSV file at `path` as Python's csv module reads them (UTF-8, a byte
// order mark allowed); empty with the reason in *error when it cannot.
QList<QStringList> readCsvWithPython(const QString& path, QString* error);

} // namespace velmora::test
