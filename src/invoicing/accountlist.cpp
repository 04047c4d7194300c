#include "accountlist.h"

#include "data/fault.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

bool readAccountList(const QSqlDatabase& db, QList<AccountEntry>* accounts, QString* error)
{
    accounts->clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("select account_id, account_name, contact_name from accounts "
                            "order by account_id, account_name, contact_name"),
             {}, error))
        return false;
    while (query.next())
        accounts->append(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    if (query.lastError().type() == QSqlError::NoError)
        return true;
    *error = queryFault(query);
    return false;
}

QString accountEntryText(const AccountEntry& account)
{
    return account.name + QStringLiteral(" : ") + account.contact;
}

QString nameOfEntry(const QString& entry)
{
    const qsizetype colon = entry.indexOf(u':');
    if (colon < 0)
        return entry;
    return entry.left(qMax<qsizetype>(colon - 1, 0));
}

const AccountEntry* findAccount(const QList<AccountEntry>& accounts, const QString& name)
{
    for (const AccountEntry& account : accounts) {
        if (account.name.compare(name, Qt::CaseInsensitive) == 0)
            return &account;
    }
    return nullptr;
}

ChosenRange chooseRange(const QList<AccountEntry>& accounts, const QString& startName,
                        const QString& endName)
{
    const AccountEntry* start = findAccount(accounts, startName);
    const AccountEntry* end = findAccount(accounts, endName);
    return {start && !startName.isEmpty() ? *start : accounts.first(),
            end && !endName.isEmpty() ? *end : accounts.last()};
}

} // namespace velmora
