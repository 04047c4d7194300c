#pragma once

#include "companyterms.h"

#include <QGroupBox>

#include <optional>

class QLineEdit;

namespace velmora {

// The company screen's fields for what invoices carry besides the company's details:
// payment terms, bank details and the footer text.
class CompanyTermsGroup final : public QGroupBox
{
    Q_OBJECT

public:
    explicit CompanyTermsGroup(QWidget* parent = nullptr);

    void setTerms(const CompanyTerms& terms);
    // The terms as typed; nullopt with what is wrong in *error, the focus then on the field
    // at fault.
    std::optional<CompanyTerms> typed(QString* error);
    // The first and last field, for the screen's tab order.
    QWidget* first() const;
    QWidget* last() const;

private:
    QLineEdit* m_days;
    QLineEdit* m_bank;
    QLineEdit* m_accountName;
    QLineEdit* m_sortCode;
    QLineEdit* m_accountNumber;
    QLineEdit* m_footer;
};

} // namespace velmora
