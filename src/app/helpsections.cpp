#include "helpsections.h"

#include <QWidget>

namespace velmora {

const QList<HelpSection>& helpSections()
{
    static const QList<HelpSection> sections = {
        {"frmLogin", QStringLiteral("Logging in")},
        {"frmmain", QStringLiteral("The board of current jobs")},
        {"frmjob_management", QStringLiteral("Booking and dispatching a job")},
        {"CostTab", QStringLiteral("Costing a job")},
        {"ProfitTab", QStringLiteral("Costing a job")},
        {"SearchPanel", QStringLiteral("Finding earlier jobs")},
        {"invoicefrm", QStringLiteral("Invoicing accounts")},
        {"frmaccount_ledger", QStringLiteral("Taking a payment")},
        {"frmaccounts_print", QStringLiteral("Statements and aged debt")},
        {"frmnot_invoiced", QStringLiteral("Work lists")},
        {"frmnoncosted", QStringLiteral("Work lists")},
        {"frmjobs_in_range", QStringLiteral("Work lists")},
        {"frmdriver_payment", QStringLiteral("Paying drivers")},
        {"frmprofit", QStringLiteral("Profitability and running costs")},
        {"frmoperational_costs", QStringLiteral("Profitability and running costs")},
        {"frmprofit_and_loss", QStringLiteral("Profit and loss and the VAT return")},
        {"frmvat_return", QStringLiteral("Profit and loss and the VAT return")},
        {"frmtransfer", QStringLiteral("Transfer files")},
        {"frmbackup", QStringLiteral("Backups and removing old invoices")},
        {"frmsecurity", QStringLiteral("Operators")},
        {"frmaccount", QStringLiteral("Reference data")},
        {"frmdriver", QStringLiteral("Reference data")},
        {"frmvehicle_details", QStringLiteral("Reference data")},
        {"frmtype_table", QStringLiteral("Reference data")},
        {"frminvoice_prints", QStringLiteral("Invoicing accounts")},
        {"frmemail_invoices", QStringLiteral("E-mailing invoices")},
        {"frmcompany", QStringLiteral("Reference data")},
    };
    return sections;
}

QString helpSectionOf(const QWidget* widget)
{
    // A part of a screen with a section of its own (the job screen's cost tabs) comes
    // before its screen, a screen before the window that owns it.
    for (const QWidget* at = widget; at; at = at->parentWidget()) {
        const QString name =
            QString::fromLatin1(at->metaObject()->className()).section(QStringLiteral("::"), -1);
        for (const HelpSection& section : helpSections()) {
            if (name == QLatin1String(section.screen))
                return section.heading;
        }
    }
    return {};
}

} // namespace velmora
