#include "leadingnumber.h"

#include <algorithm>
#include <limits>

namespace velmora {

int leadingNumber(QStringView text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace())
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) {
        negative = text[at] == u'-';
        ++at;
    }
    constexpr long long limit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        value = std::min(limit, value * 10 + (text[at].unicode() - u'0'));
    return static_cast<int>(negative ? -value : value);
}

} // namespace velmora
