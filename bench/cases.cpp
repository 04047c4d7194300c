#include "cases.h"

namespace velmora::bench {

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        {"load_board", setUpLoadBoard},
        {"load_job", setUpLoadJob},
        {"save_receipts", setUpSaveReceipts},
        {"open_job_screen", setUpOpenJobScreen},
        {"search_customer", setUpSearchCustomer},
        {"search_pattern", setUpSearchPattern},
        {"search_date", setUpSearchDate},
        {"search_driver", setUpSearchDriver},
        {"search_account", setUpSearchAccount, Rows::GrowWithFile},
        {"search_all", setUpSearchAll},
        {"driver_pay_month", setUpDriverPayMonth},
        {"driver_pay_year", setUpDriverPayYear, Rows::GrowWithFile},
        {"profit_year", setUpProfitYear, Rows::GrowWithFile},
        {"profit_ten_years", setUpProfitTenYears, Rows::GrowWithFile},
    };
    return all;
}

} // namespace velmora::bench
