#include "screens.h"

#include "platform/scripteddialogs.h"

#include <QObject>

namespace velmora::bench {

bool noBoxShown(ScriptedDialogs& dialogs, QString* reason)
{
    const QStringList texts = dialogs.texts();
    dialogs.clear();
    if (texts.isEmpty())
        return true;
    *reason = QObject::tr("The screen showed: %1").arg(texts.join(QStringLiteral(" / ")));
    return false;
}

} // namespace velmora::bench
