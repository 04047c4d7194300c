#include "menupath.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace velmora {

QAction* menuEntry(const QMenuBar* bar, const QString& path)
{
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const QString& step : path.split(u'/')) {
        found = nullptr;
        for (QAction* action : std::as_const(actions)) {
            if (action->text() == step)
                found = action;
        }
        if (!found)
            return nullptr;
        if (found->menu())
            actions = found->menu()->actions();
    }
    return found;
}

} // namespace velmora
