#include "screenopener.h"

#include <QLineEdit>
#include <QWidget>

namespace velmora {

bool openScreen(QWidget* opener, QWidget* screen, const QString& flag, const QString& failure)
{
    screen->setParent(opener, Qt::Window);
    screen->setAttribute(Qt::WA_DeleteOnClose);
    screen->show();
    if (flag.isEmpty())
        return true;
    const auto* field = screen->findChild<QLineEdit*>(flag);
    if (field && field->text() == failure) {
        screen->close();
        return false;
    }
    return true;
}

} // namespace velmora
