#include "csvread.h"

#include "cliprocess.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace velmora::test {

QList<QStringList> readCsvWithPython(const QString& path, QString* error)
{
    static const char* const kReader =
        "import csv, json, sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
        "    json.dump(list(csv.reader(f, strict=True)), sys.stdout)\n";
    const Outcome read = runProgram(QStringLiteral("/usr/bin/python3"),
                                    {QStringLiteral("-c"), QString::fromLatin1(kReader), path}, {});
    if (read.exitCode != 0) {
        *error = read.err;
        return {};
    }
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(read.out.toUtf8()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells.append(cell.toString());
        rows.append(cells);
    }
    return rows;
}

} // namespace velmora::test
