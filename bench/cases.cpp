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
        {"search_contains", setUpSearchContains},
        {"search_date", setUpSearchDate},
        {"search_driver", setUpSearchDriver},
        {"search_account", setUpSearchAccount, Rows::GrowWithFile},
        {"search_all", setUpSearchAll},
    };
    return all;
}

} // namespace velmora::bench
