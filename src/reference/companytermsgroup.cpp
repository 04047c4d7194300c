#include "companytermsgroup.h"

#include "platform/screenparts.h"

#include <QGridLayout>
#include <QLineEdit>

namespace velmora {

CompanyTermsGroup::CompanyTermsGroup(QWidget* parent)
    : QGroupBox(tr("Invoice Terms and Ban&k Details"), parent),
      m_days(lineEdit("txtpayment_terms", tr("The days a customer has to pay an invoice"))),
      m_bank(lineEdit("txtbank_name", tr("The bank customers pay into"))),
      m_accountName(lineEdit("txtbank_account_name", tr("The name the bank account is in"))),
      m_sortCode(lineEdit("txtsort_code", tr("The bank's sort code, e.g. 12-34-56"))),
      m_accountNumber(lineEdit("txtaccount_number", tr("The bank account's eight digits"))),
      m_footer(lineEdit("txtinvoice_footer", tr("A short text printed at the foot of invoices")))
{
    setObjectName(QStringLiteral("grpinvoice_terms"));
    m_days->setMaxLength(3);
    fitWidth(m_days, 4);
    fitColumn(m_bank, u"company", u"bank_name");
    fitColumn(m_accountName, u"company", u"bank_account_name");
    fitColumn(m_sortCode, u"company", u"bank_sort_code");
    fitWidth(m_accountNumber, 10);
    fitColumn(m_footer, u"company", u"invoice_footer");
    m_footer->setMinimumWidth(m_footer->fontMetrics().averageCharWidth() * 40);

    auto* grid = new QGridLayout(this);
    addCaptioned(grid, 0, tr("Days To Pay"), m_days);
    addCaptioned(grid, 1, tr("&Bank Name"), m_bank);
    addCaptioned(grid, 2, tr("Account Name"), m_accountName);
    addCaptioned(grid, 3, tr("Sort Code"), m_sortCode);
    addCaptioned(grid, 4, tr("Account Number"), m_accountNumber);
    addCaptioned(grid, 5, tr("Invoice Footer"), m_footer);
    grid->setRowStretch(6, 1);
    QWidget* previous = m_days;
    for (QWidget* next : {static_cast<QWidget*>(m_bank), static_cast<QWidget*>(m_accountName),
                          static_cast<QWidget*>(m_sortCode), static_cast<QWidget*>(m_accountNumber),
                          static_cast<QWidget*>(m_footer)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    setFocusProxy(m_days);
}

void CompanyTermsGroup::setTerms(const CompanyTerms& terms)
{
    m_days->setText(QString::number(terms.paymentDays));
    m_bank->setText(terms.bankName);
    m_accountName->setText(terms.accountName);
    m_sortCode->setText(terms.sortCode);
    m_accountNumber->setText(terms.accountNumber);
    m_footer->setText(terms.footer);
}

std::optional<CompanyTerms> CompanyTermsGroup::typed(QString* error)
{
    auto terms =
        parseCompanyTerms(m_days->text(), m_bank->text(), m_accountName->text(), m_sortCode->text(),
                          m_accountNumber->text(), m_footer->text(), error);
    if (terms)
        return terms;
    // Each check names its field; the first field whose text is refused takes the focus.
    QString ignored;
    for (QLineEdit* field : {m_days, m_sortCode, m_accountNumber}) {
        const auto alone =
            parseCompanyTerms(field == m_days ? field->text() : QStringLiteral("30"), {}, {},
                              field == m_sortCode ? field->text() : QString(),
                              field == m_accountNumber ? field->text() : QString(), {}, &ignored);
        if (!alone) {
            field->setFocus();
            field->selectAll();
            break;
        }
    }
    return std::nullopt;
}

QWidget* CompanyTermsGroup::first() const { return m_days; }

QWidget* CompanyTermsGroup::last() const { return m_footer; }

} // namespace velmora
