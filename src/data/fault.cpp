#include "fault.h"

#include "readonly.h"

#include <QCoreApplication>
#include <QDir>

namespace velmora {

QString databaseFault(const QSqlDatabase& db, const QString& fault)
{
    // The refusal of a read-only file says already what is wrong.
    if (fault == readOnlyRefusal())
        return fault;
    return QCoreApplication::translate("velmora", "The database %1 met a fault: %2")
        .arg(QDir::toNativeSeparators(db.databaseName()), fault.trimmed());
}

} // namespace velmora
