#include "idrange.h"

#include <QObject>

namespace velmora {

QString rangeProblem(const QString& what, std::optional<qint64> first, std::optional<qint64> last)
{
    for (const std::optional<qint64>& bound : {first, last}) {
        if (bound && *bound < 1)
            return QObject::tr("Nothing was done: %1 numbers start at 1, and %2 was given.")
                .arg(what)
                .arg(*bound);
    }
    if (first && last && *first > *last)
        return QObject::tr("Nothing was done: the first %1 (%2) comes after the last (%3).")
            .arg(what)
            .arg(*first)
            .arg(*last);
    return {};
}

} // namespace velmora
