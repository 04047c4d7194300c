#include "cases.h"

namespace velmora::bench {

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        {"load_board", setUpLoadBoard},
    };
    return all;
}

} // namespace velmora::bench
