#pragma once

#include "companyterms.h"
#include "data/vatrate.h"

#include <QSqlDatabase>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>

namespace velmora {

// The operating company's details: the one row of `company`, less its id and
// company_tel3. NULL columns read as empty texts.
struct CompanyDetails
{
    QString name, heading, addr1, addr2, town, county, postcode1, postcode2;
    QString telephone; // company_tel1
    QString mobile1;   // company_tel2
    QString fax;       // company_mobile1
    QString mobile2;   // company_mobile2
    QString email, registration;
    QString vat; // VAT registration number; not empty when the company charges VAT
};

// Each member of CompanyDetails with its column.
inline constexpr std::array<std::pair<const char*, QString CompanyDetails::*>, 15> kCompanyColumns =
    {{
        {"company_Name", &CompanyDetails::name},
        {"company_heading", &CompanyDetails::heading},
        {"company_addr1", &CompanyDetails::addr1},
        {"company_addr2", &CompanyDetails::addr2},
        {"company_town", &CompanyDetails::town},
        {"company_county", &CompanyDetails::county},
        {"company_postcode1", &CompanyDetails::postcode1},
        {"company_postcode2", &CompanyDetails::postcode2},
        {"company_tel1", &CompanyDetails::telephone},
        {"company_tel2", &CompanyDetails::mobile1},
        {"company_mobile1", &CompanyDetails::fax},
        {"company_mobile2", &CompanyDetails::mobile2},
        {"company_e_mail", &CompanyDetails::email},
        {"company_registration", &CompanyDetails::registration},
        {"company_vat", &CompanyDetails::vat},
    }};

// The company row's details; nullopt when the table has no row, or on failure with the
// reason in *error (left untouched otherwise).
std::optional<CompanyDetails> loadCompany(const QSqlDatabase& db, QString* error);

// Writes the fifteen details as given into the company row, adding the row (with
// company_id 1) when the table has none, and the VAT rates and invoice terms with them, in
// one transaction. False with the reason in *error, nothing then written.
// `alsoWrite`, when given, writes more of the row in the same transaction.
bool saveCompany(const QSqlDatabase& db, const CompanyDetails& details, const VatRates& rates,
                 const CompanyTerms& terms, QString* error,
                 const std::function<bool(QString*)>& alsoWrite = {});

} // namespace velmora
