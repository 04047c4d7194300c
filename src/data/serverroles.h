#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// Lets the server role `role`, the one the desks log in as, read and write every table of
// the firm's database `db` (rows only: it cannot create, alter or drop them) and draw from
// its counters (a row brought with its own key moves its counter on), now and for the tables later
// upgrades make. Run by the database's owner, in one transaction. False with the reason in *error;
// a file, which has no roles, is refused.
bool grantDeskRole(const QSqlDatabase& db, const QString& role, QString* error);

} // namespace velmora
