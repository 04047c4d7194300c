#include "integrity.h"

#include "audit.h"
#include "dialect.h"
#include "fault.h"
#include "money.h"
#include "readonly.h"
#include "sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <iterator>

namespace velmora {

namespace {

// A reference that must resolve: the rows of `sql` counted are those that do not.
struct Reference
{
    const char* what;
    const char* sql;
};

constexpr Reference kReferences[] = {
    {"cost lines whose job does not exist",
     "select count(*) from Costs c where not exists (select 1 from jobs j "
     "where j.job_prefix = c.job_prefix and j.job_id = c.jobnumber)"},
    {"credit notes whose job does not exist",
     "select count(*) from credit_notes c where not exists (select 1 from jobs j "
     "where j.job_prefix = c.job_prefix and j.job_id = c.job_no)"},
    {"jobs whose vehicle type does not exist",
     "select count(*) from jobs j where coalesce(j.vehicle_type, 0) <> 0 and not exists "
     "(select 1 from vehicle_types t where t.vehicletypeid = j.vehicle_type)"},
    {"jobs whose driver does not exist",
     "select count(*) from jobs j where coalesce(j.driver, 0) <> 0 and not exists "
     "(select 1 from drivers d where d.driver_id = j.driver)"},
    {"jobs whose account does not exist",
     "select count(*) from jobs j where j.account_no <> 0 and not exists "
     "(select 1 from accounts a where a.account_id = j.account_no)"},
    {"jobs whose payment type does not exist",
     "select count(*) from jobs j where coalesce(j.payment_type, 0) <> 0 and not exists "
     "(select 1 from payment_types p where p.paymenttypeid = j.payment_type)"},
    {"accounts whose address does not exist",
     "select count(*) from accounts a where a.address_id is not null and not exists "
     "(select 1 from addresses d where d.address_id = a.address_id)"},
    {"drivers whose address does not exist",
     "select count(*) from drivers r where r.address_id is not null and not exists "
     "(select 1 from addresses d where d.address_id = r.address_id)"},
    {"invoice lines whose invoice does not exist",
     "select count(*) from invoice_line l where not exists "
     "(select 1 from invoice_header h where h.invoice_no = l.invoice_no)"},
    {"invoices whose account does not exist",
     "select count(*) from invoice_header h where not exists "
     "(select 1 from accounts a where a.account_id = h.account_no)"},
};

// What one part of the program writes and another reads, counted where they disagree.
constexpr Reference kAgreements[] = {
    {"jobs marked invoiced that are on no invoice line",
     "select count(*) from jobs j where j.invoiced = 'Y' and not exists (select 1 "
     "from invoice_line l where l.job_prefix = j.job_prefix and l.job_id = j.job_id)"},
    {"jobs on an invoice line that are not marked invoiced",
     "select count(*) from jobs j where coalesce(j.invoiced, '') <> 'Y' and exists (select 1 "
     "from invoice_line l where l.job_prefix = j.job_prefix and l.job_id = j.job_id)"},
    {"jobs with more than one driver wage row",
     "select count(*) from (select 1 from driver_wages group by job_prefix, job_id "
     "having count(*) > 1) as repeated"},
};

// Amounts that must agree, one fault per row: the row's name, then the amount stored and
// the amount its movements make (a select named `made`, so that both engines compare them).
struct Reconciliation
{
    const char* fault; // %1 the row, %2 the amount stored, %3 what the movements make
    const char* sql;
};

constexpr Reconciliation kReconciliations[] = {
    {"Account %1: its balance is %2, but its payments less its invoices make %3",
     "select * from (select a.account_id || ' (' || coalesce(a.account_name, '') || ')' as "
     "name, a.account_balance as stored, coalesce((select sum(r.amount_received) from receipts r "
     "where r.account_no = a.account_id), 0) - coalesce((select sum(h.net_value) "
     "from invoice_header h where h.account_no = a.account_id), 0) - a.removed_invoiced "
     "as made, a.account_id as id from accounts a) as balances where stored <> made order by id"},
    {"Invoice %1: its amount paid is %2, but its payments add up to %3",
     "select * from (select h.invoice_no, h.amount_paid, coalesce((select "
     "sum(r.amount_received) from receipts r where r.invoice_number = h.invoice_no), 0) as made "
     "from invoice_header h) as paid where amount_paid <> made order by invoice_no"},
};

// A counter that hands out numbers: faulty when it stands below the highest number its
// table already holds (the next number would be taken twice).
struct Counter
{
    const char* what;
    const char* sql; // the counter, then the highest number in use
};

constexpr Counter kCounters[] = {
    {"the job number counter",
     "select (select max(last) from job_counter), (select max(job_id) from jobs)"},
    {"the invoice number counter", "select (select max(invoice_number) from invoice_numbers), "
                                   "(select max(invoice_no) from invoice_header)"},
};

// The text index is compared by a command that SQLite runs as a write, so a file open
// read-only (`compareIndex` false) has its pages checked but not its index, and one whose
// write lock another program holds has it noted in *notes.
bool sqliteCheck(QSqlQuery& query, bool compareIndex, QStringList* faults, QStringList* notes,
                 QString* error)
{
    if (!run(query, QStringLiteral("PRAGMA integrity_check"), {}, error))
        return false;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok"))
            faults->append(QObject::tr("The file is damaged: %1").arg(line));
    }
    if (!compareIndex)
        return true;
    // Compares the jobs' text index with the jobs themselves.
    if (query.exec(QStringLiteral(
            "INSERT INTO jobs_text (jobs_text, rank) VALUES ('integrity-check', 1)")))
        return true;
    const QSqlError failure = query.lastError();
    const QString code = failure.nativeErrorCode();
    if (code == QLatin1String("5") || code == QLatin1String("6"))
        notes->append(QObject::tr("Another program holds the database's write lock, so the "
                                  "jobs' text index was not compared with the jobs."));
    else
        faults->append(
            QObject::tr("The jobs' text index does not match the jobs: %1").arg(failure.text()));
    return true;
}

// A server's table of the jobs' texts, which its searches read, compared with the jobs.
bool serverTextCheck(QSqlQuery& query, QStringList* faults, QString* error)
{
    if (!run(query,
             QStringLiteral("select count(*) from jobs full join jobs_text t "
                            "on t.rowid = jobs.rowid where jobs.rowid is null or t.rowid is null "
                            "or t.passenger_name::text is distinct from jobs.passenger_name::text "
                            "or t.address_from::text is distinct from jobs.address_from::text "
                            "or t.address_to::text is distinct from jobs.address_to::text"),
             {}, error) ||
        !query.next())
        return false;
    if (const qlonglong differ = query.value(0).toLongLong(); differ > 0)
        faults->append(QObject::tr("The jobs' text index does not match the jobs (%1 out of step)")
                           .arg(differ));
    return true;
}

bool reconcile(QSqlQuery& query, QStringList* faults, QString* error)
{
    for (const Reconciliation& reconciliation : kReconciliations) {
        if (!run(query, QString::fromLatin1(reconciliation.sql), {}, error))
            return false;
        while (query.next()) {
            faults->append(QObject::tr(reconciliation.fault)
                               .arg(query.value(0).toString(),
                                    Money::fromVariant(query.value(1)).toString(),
                                    Money::fromVariant(query.value(2)).toString()));
        }
        if (query.lastError().isValid()) {
            *error = queryFault(query);
            return false;
        }
    }
    return true;
}

bool referenceChecks(QSqlQuery& query, QStringList* faults, QString* error)
{
    QList<Reference> references(std::begin(kReferences), std::end(kReferences));
    references.append(QList<Reference>(std::begin(kAgreements), std::end(kAgreements)));
    for (const Reference& reference : std::as_const(references)) {
        if (!run(query, QString::fromLatin1(reference.sql), {}, error) || !query.next())
            return false;
        const qlonglong count = query.value(0).toLongLong();
        if (count > 0)
            faults->append(QObject::tr("%1 %2").arg(count).arg(QObject::tr(reference.what)));
    }
    for (const Counter& counter : kCounters) {
        if (!run(query, QString::fromLatin1(counter.sql), {}, error) || !query.next())
            return false;
        if (query.isNull(1))
            continue;
        const QString what = QObject::tr(counter.what);
        if (query.isNull(0))
            faults->append(QObject::tr("%1 is missing").arg(what));
        else if (query.value(0).toLongLong() < query.value(1).toLongLong())
            faults->append(QObject::tr("%1 (%2) is behind the highest number in use (%3)")
                               .arg(what)
                               .arg(query.value(0).toLongLong())
                               .arg(query.value(1).toLongLong()));
    }
    return true;
}

} // namespace

bool checkIntegrity(const QSqlDatabase& db, QStringList* faults, QString* error, QStringList* notes)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QStringList unseen;
    QStringList* said = notes ? notes : &unseen;
    if (engineOf(db) == Engine::PostgreSQL) {
        said->append(QObject::tr("The file integrity check is SQLite's own, so it was skipped "
                                 "on this server database; the server keeps its own pages."));
        if (!serverTextCheck(query, faults, error))
            return false;
    } else if (!sqliteCheck(query, !isReadOnly(db), faults, said, error))
        return false;
    if (!referenceChecks(query, faults, error) || !reconcile(query, faults, error))
        return false;
    QString trailFault;
    if (!checkAuditTrail(db, &trailFault, error))
        return false;
    if (!trailFault.isEmpty())
        faults->append(trailFault);
    return true;
}

} // namespace velmora
