#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// How many copies of the invoices and of the job sheets each print run makes: the one row
// of invoice_prints.
struct PrintCopies
{
    int invoices = 1;
    int jobSheets = 1;
};

// The copies from the first row of invoice_prints; one of each when the table has no row
// or a value is not a number. Nullopt on failure with the reason in *error.
std::optional<PrintCopies> loadPrintCopies(const QSqlDatabase& db, QString* error);

// Writes the copies into the first row of invoice_prints, adding the row when there is none.
// False with the reason in *error.
bool savePrintCopies(const QSqlDatabase& db, const PrintCopies& copies, QString* error);

// A typed number of copies: a whole number from 0 to 99, blanks around it allowed.
std::optional<int> parseCopies(const QString& text);

} // namespace velmora
