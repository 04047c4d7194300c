#include "dialogs.h"

#include "workprogress.h"

namespace velmora {

QString applicationTitle() { return QStringLiteral("Velmora Application"); }

std::unique_ptr<WorkProgress> Dialogs::progress(QWidget*, const QString&, const QString&)
{
    return std::make_unique<NoProgress>();
}

} // namespace velmora
