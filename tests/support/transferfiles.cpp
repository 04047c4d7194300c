#include "transferfiles.h"

#include "exchange/transferrecords.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <utility>

namespace velmora::test {

bool writeTransferFiles(const QString& folder, QDate day, const QString& passenger,
                        const QString& status)
{
    exchange::JobTransferRecord job;
    job.prefix = QStringLiteral("T");
    job.number = 90001;
    job.date = exchange::toOleDate(QDateTime(day, QTime(8, 0), QTimeZone::utc()));
    job.time = QStringLiteral("08:00:00");
    job.passenger = passenger;
    job.from = QStringLiteral("Harbour");
    job.to = QStringLiteral("Hospital");
    job.account = 1;
    job.driver = 2;
    job.invoiced = QStringLiteral("N");
    job.status = status;
    job.calculated = QStringLiteral("N");
    exchange::CostTransferRecord cost;
    cost.prefix = QStringLiteral("T");
    cost.number = 90001;
    cost.costType = 1;
    cost.incomeExpense = QStringLiteral("I");
    cost.description = QStringLiteral("Fare");
    cost.gross = cost.net = 400000;
    cost.vat = QStringLiteral("N");
    qsizetype unmappable = 0;
    for (const auto& [name, bytes] :
         {std::pair{"Jobs.txt", exchange::writeJobRecord(job, &unmappable)},
          std::pair{"Costs.txt", exchange::writeCostRecord(cost, &unmappable)}}) {
        QFile file(QDir(folder).filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

} // namespace velmora::test
