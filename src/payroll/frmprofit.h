#pragma once

#include "periodreportscreen.h"

namespace velmora {

// "Profitability Parameters": "&Go" rebuilds the profitability lines of the period the two
// date fields give (a field left empty takes the usual default) and prints
// profitability.rpt from them.
class frmprofit final : public PeriodReportScreen
{
    Q_OBJECT

public:
    frmprofit(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent = nullptr);
};

} // namespace velmora
