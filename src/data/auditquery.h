#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>

namespace velmora {

// Which audit entries to list; an empty or invalid part picks every entry.
struct AuditFilter
{
    QDate from;
    QDate to;
    QString operatorName;
    QString table;
    // A row's key, or a job's ("A51"): the job's own entries and those of its lines.
    QString key;
};

// The statement that lists the entries `filter` picks in the order they were written,
// with its values: seq, changed_at, operator_name, table_name, row_key, before_value,
// after_value (kAuditColumns of them).
struct AuditQuery
{
    QString sql;
    QVariantList values;
};
constexpr int kAuditColumns = 7;
AuditQuery auditQuery(const AuditFilter& filter);

// The stamp of an entry as users see it: "dd/MM/yyyy HH:mm:ss".
QString auditStamp(const QString& stored);

} // namespace velmora
