#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::reports {

// A report query ready to run: its :name placeholders turned into ? in order of
// appearance, with the names in `parameters`.
struct BoundSql
{
    QString sql;
    QStringList parameters;
};

// Checks that `sql` is a single statement that only reads (it starts with SELECT, WITH or
// VALUES) and turns its :name placeholders into positional ones; quoted text and comments
// are left alone. nullopt with the reason in *reason when the query is refused.
std::optional<BoundSql> bindReadOnly(const QString& sql, QString* reason);

} // namespace velmora::reports
