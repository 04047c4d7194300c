#pragma once

#include "reports/parameters.h"

#include <QDialog>
#include <QMap>

#include <functional>
#include <vector>

namespace velmora {

// The small window that asks for a report's parameters before it runs, each filled with
// its default: a date, two dates for a period, or two account numbers for a range.
class ReportParameters final : public QDialog
{
    Q_OBJECT

public:
    ReportParameters(const QString& title,
                     const std::vector<reports::ParameterDefinition>& parameters, QWidget* parent);

    // The values chosen, by parameter name, in the form the report reads them.
    QMap<QString, QString> values() const;

private:
    std::vector<std::function<QString()>> m_readers;
    std::vector<QString> m_names;
};

} // namespace velmora
