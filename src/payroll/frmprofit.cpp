#include "frmprofit.h"

#include "data/dates.h"
#include "platform/reportengine.h"
#include "profitability.h"

namespace velmora {

frmprofit::frmprofit(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent)
    : PeriodReportScreen(
          std::move(db), dialogs, reports,
          [](const QSqlDatabase& on, QDate start, QDate end,
             QString* error) -> std::optional<QString> {
              const auto lines = runProfitability(on, start, end, error);
              if (!lines)
                  return std::nullopt;
              Money profit;
              for (const ProfitLine& line : *lines)
                  profit += line.profit;
              return tr("Profitability from %1 to %2: %n line(s), profit %3", nullptr,
                        static_cast<int>(lines->size()))
                  .arg(ukDate(start), ukDate(end), profit.toString());
          },
          {QStringLiteral("profitability.rpt"),
           ReportEngine::Printer,
           {},
           {defaultProfitStart(), defaultProfitEnd()},
           tr("The profitability was not worked out: %1")},
          parent)
{
    setObjectName(QStringLiteral("frmprofit"));
    setWindowTitle(tr("Profitability Parameters"));
}

} // namespace velmora
