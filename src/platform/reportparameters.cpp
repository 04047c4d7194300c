#include "reportparameters.h"

#include "data/dates.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <limits>

namespace velmora {

namespace {

using reports::ParameterDefinition;

QDateEdit* dateEdit(QWidget* parent, QDate date, const QString& name)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edit->setCalendarPopup(true);
    edit->setObjectName(name);
    return edit;
}

QSpinBox* accountEdit(QWidget* parent, qlonglong value, const QString& name)
{
    auto* edit = new QSpinBox(parent);
    edit->setRange(0, std::numeric_limits<int>::max());
    edit->setValue(static_cast<int>(std::min<qlonglong>(value, std::numeric_limits<int>::max())));
    edit->setObjectName(name);
    return edit;
}

} // namespace

ReportParameters::ReportParameters(const QString& title,
                                   const std::vector<ParameterDefinition>& parameters,
                                   QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmreport_parameters"));
    setWindowTitle(title);
    auto* form = new QFormLayout(this);
    const QDate today = QDate::currentDate();
    for (const ParameterDefinition& parameter : parameters) {
        QString reason;
        const auto value =
            reports::parseParameter(parameter, parameter.defaultValue, today, &reason);
        const QString name = QStringLiteral("txt") + parameter.name;
        m_names.push_back(parameter.name);
        if (parameter.type == ParameterDefinition::Type::Date) {
            auto* edit = dateEdit(this, value ? value->from.toDate() : today, name);
            form->addRow(parameter.label + QLatin1Char(':'), edit);
            m_readers.push_back([edit] { return storedDate(edit->date()); });
            continue;
        }
        auto* row = new QHBoxLayout;
        if (parameter.type == ParameterDefinition::Type::DateRange) {
            auto* from = dateEdit(this, value ? value->from.toDate() : today, name + "_from");
            auto* to = dateEdit(this, value ? value->to.toDate() : today, name + "_to");
            row->addWidget(from);
            row->addWidget(new QLabel(tr("to"), this));
            row->addWidget(to);
            m_readers.push_back([from, to] {
                return storedDate(from->date()) + QLatin1String("..") + storedDate(to->date());
            });
        } else {
            auto* from = accountEdit(this, value ? value->from.toLongLong() : 0, name + "_from");
            auto* to = accountEdit(this, value ? value->to.toLongLong() : 0, name + "_to");
            row->addWidget(from);
            row->addWidget(new QLabel(tr("to"), this));
            row->addWidget(to);
            m_readers.push_back([from, to] {
                return QString::number(from->value()) + QLatin1String("..") +
                       QString::number(to->value());
            });
        }
        form->addRow(parameter.label + QLatin1Char(':'), row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Run"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdrun"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

QMap<QString, QString> ReportParameters::values() const
{
    QMap<QString, QString> values;
    for (std::size_t i = 0; i < m_names.size(); ++i)
        values.insert(m_names[i], m_readers[i]());
    return values;
}

} // namespace velmora
