#include "mailscreen.h"

#include "mail/keystore.h"
#include "platform/statusline.h"

#include <QObject>

namespace velmora {

std::optional<MailServer> screenMailServer(QWidget* screen, const QSqlDatabase& db,
                                           Dialogs& dialogs, KeyStore& keys)
{
    QString error;
    auto server = mailServer(db, keys, &error);
    if (!server)
        dialogs.information(screen, error);
    return server;
}

void tellMailRun(QWidget* screen, Dialogs& dialogs, const QString& summary, bool cancelled,
                 const QStringList& notes)
{
    const QString told =
        cancelled ? summary + QObject::tr("; cancelled, the rest not sent") : summary;
    showStatus(screen, told);
    if (notes.isEmpty())
        dialogs.information(screen, told);
    else
        dialogs.informationList(screen, told, notes);
}

} // namespace velmora
