#include "invoiceprinting.h"

#include "data/audit.h"
#include "data/sql.h"
#include "platform/dialogs.h"
#include "platform/reportengine.h"
#include "printcopies.h"

#include <QObject>
#include <QSqlQuery>

#include <limits>

namespace velmora {

namespace {

const QString kInvoices = QStringLiteral("invoice.rpt");
const QString kJobSheets = QStringLiteral("log.rpt");
const QString kSummary = QStringLiteral("summary.rpt");

// Shows the busy pointer from show() until restore() or the end of its life.
class PointerState
{
public:
    explicit PointerState(Dialogs& dialogs) : m_dialogs(dialogs) {}
    ~PointerState() { restore(); }
    PointerState(const PointerState&) = delete;
    PointerState& operator=(const PointerState&) = delete;

    void show()
    {
        if (!m_busy)
            m_dialogs.setBusy(true);
        m_busy = true;
    }
    void restore()
    {
        if (m_busy)
            m_dialogs.setBusy(false);
        m_busy = false;
    }

private:
    Dialogs& m_dialogs;
    bool m_busy = false;
};

} // namespace

InvoicePrinting::Reply InvoicePrinting::ask(const QString& question)
{
    for (;;) {
        const std::optional<QString> answer = m_dialogs.input(m_parent, question);
        if (!answer)
            return Reply::Cancelled;
        if (*answer == u"Y")
            return Reply::Yes;
        if (*answer == u"N")
            return Reply::No;
        m_dialogs.information(m_parent, QObject::tr("Response must = Y or N"));
    }
}

void InvoicePrinting::printCopies(const QString& fileName, int copies)
{
    for (int copy = 0; copy < copies; ++copy) {
        if (!printReport(m_reports, m_dialogs, m_parent, fileName, ReportEngine::Printer))
            return;
    }
}

bool InvoicePrinting::selectUnprinted()
{
    QSqlQuery query(m_db);
    QString error;
    if (run(query, QStringLiteral("delete from invoice_temp"), {}, &error))
        return true;
    m_dialogs.information(m_parent, error);
    return false;
}

bool InvoicePrinting::closeFlags(QString* error)
{
    Transaction transaction(m_db);
    const AuditPause pause(m_db);
    QSqlQuery query(m_db);
    if (!transaction.begun(error) ||
        !run(query, QStringLiteral("update invoice_header set printed = 'C' where printed = 'N'"),
             {}, error))
        return false;
    const qint64 printed = query.numRowsAffected();
    return (printed == 0 ||
            writeRunEntry(m_db, QStringLiteral("invoice printing"), QStringLiteral("printed"),
                          {{QStringLiteral("invoices"), printed}}, error)) &&
           run(query,
               QStringLiteral(
                   "update invoice_line set invoice_printed = 'C' where invoice_printed = 'N'"),
               {}, error) &&
           transaction.commit(error);
}

void InvoicePrinting::printInvoices()
{
    QString error;
    const std::optional<PrintCopies> copies = loadPrintCopies(m_db, &error);
    if (!copies) {
        m_dialogs.information(m_parent, error);
        return;
    }
    enum class Step { None, Invoices, JobSheets } last = Step::None;
    PointerState pointer(m_dialogs);
    bool selected = false;
    const auto printPart = [&](Step step, const QString& question, const QString& fileName,
                               int count, const QString& check) {
        const Reply print = ask(question);
        if (print != Reply::Yes)
            return print == Reply::No;
        last = step;
        pointer.show();
        if (!selected && !(selected = selectUnprinted()))
            return false;
        printCopies(fileName, count);
        const Reply produced = ask(check);
        if (produced == Reply::Yes)
            return true;
        pointer.restore();
        if (produced == Reply::No)
            m_dialogs.information(m_parent,
                                  QObject::tr("An error has occurred please contact support"));
        return false;
    };
    if (!printPart(Step::Invoices, QObject::tr("Print invoices Y or N"), kInvoices,
                   copies->invoices, QObject::tr("Have invoices been produced Y or N")) ||
        !printPart(Step::JobSheets, QObject::tr("Print job sheets Y or N"), kJobSheets,
                   copies->jobSheets, QObject::tr("Have job sheets been produced Y or N")))
        return;

    const Reply summary = ask(QObject::tr("Print summary sheet Y or N"));
    if (summary == Reply::Cancelled)
        return;
    if (summary == Reply::Yes &&
        !printReport(m_reports, m_dialogs, m_parent, kSummary, ReportEngine::Printer)) {
        pointer.restore();
        if (last == Step::Invoices)
            m_dialogs.information(m_parent, QObject::tr("Error printing invoices"));
        else if (last == Step::JobSheets)
            m_dialogs.information(m_parent, QObject::tr("Error printing job sheets"));
        return;
    }
    if (ask(QObject::tr("Set invoice printed flag Y or N")) != Reply::Yes)
        return;
    const bool closed = closeFlags(&error);
    pointer.restore();
    if (!closed) {
        m_dialogs.information(m_parent, error);
        return;
    }
    m_dialogs.information(m_parent, QObject::tr("Invoice Printing Completed"));
}

void InvoicePrinting::previewInvoiceData()
{
    printReport(m_reports, m_dialogs, m_parent, QStringLiteral("invdata.rpt"),
                ReportEngine::Preview);
    if (printReport(m_reports, m_dialogs, m_parent, QStringLiteral("log3.rpt"),
                    ReportEngine::Preview))
        printReport(m_reports, m_dialogs, m_parent, QStringLiteral("summary2.rpt"),
                    ReportEngine::Preview);
}

void InvoicePrinting::previewInvoices()
{
    if (!selectUnprinted())
        return;
    if (printReport(m_reports, m_dialogs, m_parent, kInvoices, ReportEngine::Preview))
        printReport(m_reports, m_dialogs, m_parent, kJobSheets, ReportEngine::Preview);
    printReport(m_reports, m_dialogs, m_parent, kSummary, ReportEngine::Preview);
}

void InvoicePrinting::viewReprintInvoice()
{
    const std::optional<QString> answer =
        m_dialogs.input(m_parent, QObject::tr("Please supply invoice number"));
    if (!answer)
        return;
    const std::optional<std::int64_t> number = leadingInvoiceNumber(*answer);
    if (answer->isEmpty() || !number || *number < 0) {
        m_dialogs.information(m_parent, QObject::tr("A Invoice Number must be supplied"));
        return;
    }
    QString error;
    {
        Transaction transaction(m_db);
        QSqlQuery query(m_db);
        if (!transaction.begun(&error) ||
            !run(query, QStringLiteral("delete from invoice_temp"), {}, &error) ||
            !run(query, QStringLiteral("insert into invoice_temp (invoice_no) values (?)"),
                 {qint64(*number)}, &error) ||
            !transaction.commit(&error)) {
            m_dialogs.information(m_parent, error);
            return;
        }
    }
    if (printReport(m_reports, m_dialogs, m_parent, kInvoices, ReportEngine::Preview))
        printReport(m_reports, m_dialogs, m_parent, kJobSheets, ReportEngine::Preview);
}

std::optional<std::int64_t> leadingInvoiceNumber(const QString& answer)
{
    const QString text = answer.trimmed();
    qsizetype at = 0;
    const bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        ++at;
    std::uint64_t value = 0;
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + std::uint64_t(text[at].unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    const auto number = static_cast<std::int64_t>(value);
    return negative ? -number : number;
}

} // namespace velmora
