#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace velmora::firm {

// Fills a new, empty database with a small demonstration firm: its type rows, a
// VAT-registered company, accounts and drivers with their addresses, vehicles, and jobs
// in every state with their receipt and payment lines, dated around `today`. The same
// `today` always gives the same rows. Writes everything or nothing: false with the
// reason in *error, also when the database already holds a firm of its own.
bool addDemoFirm(QSqlDatabase& db, QDate today, QString* error);

} // namespace velmora::firm
