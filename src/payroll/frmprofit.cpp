#include "frmprofit.h"

#include "data/dates.h"
#include "platform/dialogs.h"
#include "platform/reportengine.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"
#include "profitability.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace velmora {

frmprofit::frmprofit(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs), m_reports(reports),
      m_start(dateField(lineEdit("txtstartdate", tr("The first day of the period, dd/mm/yyyy")))),
      m_end(dateField(lineEdit("txtenddate", tr("The last day of the period, dd/mm/yyyy"))))
{
    setObjectName(QStringLiteral("frmprofit"));
    setWindowTitle(tr("Profitability Parameters"));
    addExit(menuBar(), this);

    auto* goButton = named(new QPushButton(tr("&Go")), "Command1",
                           tr("Work out the profitability of the period and print it"));
    connect(goButton, &QPushButton::clicked, this, &frmprofit::go);
    for (QLineEdit* field : {m_start, m_end}) {
        field->setMaxLength(10);
        field->setPlaceholderText(QStringLiteral("dd/mm/yyyy"));
        connect(field, &QLineEdit::returnPressed, this, &frmprofit::go);
    }

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&Start Date"), m_start);
    addCaptioned(grid, 1, tr("E&nd Date"), m_end);
    grid->addWidget(goButton, 2, 1, Qt::AlignRight);
    grid->setRowStretch(3, 1);
    setCentralWidget(central);
    setTabOrder(m_start, m_end);
    setTabOrder(m_end, goButton);
    m_start->setFocus();
    resize(340, 150);
}

std::optional<QDate> frmprofit::fieldDate(QLineEdit* field, QDate fallback, const QString& caption)
{
    if (field->text().trimmed().isEmpty())
        field->setText(ukDate(fallback));
    if (const auto date = parseUkDate(field->text().trimmed()))
        return date;
    m_dialogs.information(this, tr("The %1 is not a date: enter it as dd/mm/yyyy").arg(caption));
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

bool frmprofit::go()
{
    const auto start = fieldDate(m_start, defaultProfitStart(), tr("start date"));
    if (!start)
        return false;
    const auto end = fieldDate(m_end, defaultProfitEnd(), tr("end date"));
    if (!end)
        return false;
    if (*end < *start) {
        m_dialogs.information(this, tr("The end date is before the start date"));
        m_end->setFocus();
        return false;
    }
    QString error;
    std::optional<QList<ProfitLine>> lines;
    {
        BusyPointer busy(m_dialogs);
        lines = runProfitability(m_db, *start, *end, &error);
    }
    if (!lines) {
        m_dialogs.information(this, tr("The profitability was not worked out: %1").arg(error));
        return false;
    }
    Money profit;
    for (const ProfitLine& line : *lines)
        profit += line.profit;
    showStatus(this, tr("Profitability from %1 to %2: %n line(s), profit %3", nullptr,
                        static_cast<int>(lines->size()))
                         .arg(ukDate(*start), ukDate(*end), profit.toString()));
    return printReport(m_reports, m_dialogs, this, QStringLiteral("profitability.rpt"),
                       ReportEngine::Printer);
}

} // namespace velmora
