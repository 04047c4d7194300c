#include "startup.h"

#include "data/database.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmsplash.h"
#include "platform/dialogs.h"

#include <QApplication>

namespace velmora {

QString programConnectionName() { return QStringLiteral("velmora"); }

QSqlDatabase open_database(const QString& path, Dialogs& dialogs, const WritableCheck& writable)
{
    Access access = Access::ReadWrite;
    if (const ReadOnlyCause cause = readOnlyCause(path, writable); cause != ReadOnlyCause::None) {
        const QString reason = readOnlyReason(path, cause);
        const QString offer = QObject::tr("Open '%1' read-only, just to view it? Nothing can be "
                                          "saved while it is open this way.")
                                  .arg(path);
        if (dialogs.question(nullptr, reason + QStringLiteral("\n\n") + offer) !=
            Dialogs::Answer::Yes) {
            dialogs.information(nullptr, reason);
            return {};
        }
        access = Access::ReadOnly;
    }
    QString error;
    QSqlDatabase db = openDatabase(path, programConnectionName(), &error, access);
    if (!db.isValid())
        dialogs.information(nullptr, error);
    return db;
}

namespace {

int runWithDatabase(QSqlDatabase db, Dialogs& dialogs)
{
    frmLogin login(db, dialogs);
    if (login.exec() != QDialog::Accepted)
        return 0;
    frmmain main(db, dialogs);
    main.setOperatorLevel(login.securityLevel());
    main.show();
    main.start();
    main.showExpiringDue();
    return QApplication::exec();
}

} // namespace

int runFromLogin(const QString& databasePath, Dialogs& dialogs, const WritableCheck& writable)
{
    int code = 1;
    {
        QSqlDatabase db = open_database(databasePath, dialogs, writable);
        if (db.isValid())
            code = runWithDatabase(db, dialogs);
        else
            dialogs.information(nullptr, QObject::tr("Bugger it cocked up again"));
    }
    closeDatabase(programConnectionName());
    return code;
}

int runProgram(const QString& databasePath, Dialogs& dialogs)
{
    frmSplash splash;
    splash.exec();
    return runFromLogin(databasePath, dialogs);
}

} // namespace velmora
