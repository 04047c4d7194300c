#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// What the company's invoices carry besides its details: the days a customer has to pay,
// the bank account to pay into and a short text at the foot of each invoice. Kept in the
// company row; empty texts print nothing.
struct CompanyTerms
{
    int paymentDays = 30;
    QString bankName, accountName;
    QString sortCode;      // "12-34-56", or empty
    QString accountNumber; // eight digits, or empty
    QString footer;
};

// The longest payment terms the company screen takes, in days.
inline constexpr int kMostPaymentDays = 365;

// The terms as they are typed, checked: the days a whole number from 0 to
// kMostPaymentDays, a sort code of six digits (blanks and dashes between them allowed;
// stored as "12-34-56"), an account number of eight digits, the rest as typed. A bank
// detail may be left empty. nullopt with what is wrong in *error.
std::optional<CompanyTerms> parseCompanyTerms(const QString& days, const QString& bankName,
                                              const QString& accountName, const QString& sortCode,
                                              const QString& accountNumber, const QString& footer,
                                              QString* error);

// The terms in the company row; the defaults when there is no row. nullopt on failure with
// the reason in *error.
std::optional<CompanyTerms> loadCompanyTerms(const QSqlDatabase& db, QString* error);

// Stores `terms` in the company row, which must exist. False with the reason in *error.
bool saveCompanyTerms(const QSqlDatabase& db, const CompanyTerms& terms, QString* error);

} // namespace velmora
