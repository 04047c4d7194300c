#include "periodreportscreen.h"

#include "data/dates.h"
#include "platform/dialogs.h"
#include "platform/reportengine.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"
#include "profitandloss.h"
#include "vatreturn.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace velmora {

PeriodReportScreen::PeriodReportScreen(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                                       Work work, Setting setting, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db)), m_dialogs(dialogs), m_reports(reports),
      m_work(std::move(work)), m_setting(std::move(setting)),
      m_start(dateField(lineEdit("txtstartdate", tr("The first day of the period, dd/mm/yyyy")))),
      m_end(dateField(lineEdit("txtenddate", tr("The last day of the period, dd/mm/yyyy"))))
{
    addExit(menuBar(), this);
    auto* goButton = named(new QPushButton(tr("&Go")), "Command1",
                           tr("Work out the figures of the period and print them"));
    connect(goButton, &QPushButton::clicked, this, &PeriodReportScreen::go);
    const auto [from, to] = m_setting.shown;
    for (const auto& [field, day] : {std::pair{m_start, from}, std::pair{m_end, to}}) {
        field->setMaxLength(10);
        field->setPlaceholderText(QStringLiteral("dd/mm/yyyy"));
        if (day.isValid())
            field->setText(ukDate(day));
        connect(field, &QLineEdit::returnPressed, this, &PeriodReportScreen::go);
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

std::optional<QDate> PeriodReportScreen::fieldDate(QLineEdit* field, QDate whenEmpty,
                                                   const QString& caption)
{
    if (field->text().trimmed().isEmpty() && whenEmpty.isValid())
        field->setText(ukDate(whenEmpty));
    if (const auto date = parseUkDate(field->text().trimmed()))
        return date;
    m_dialogs.information(this, tr("The %1 is not a date: enter it as dd/mm/yyyy").arg(caption));
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

bool PeriodReportScreen::go()
{
    const auto start = fieldDate(m_start, m_setting.whenEmpty.first, tr("start date"));
    if (!start)
        return false;
    const auto end = fieldDate(m_end, m_setting.whenEmpty.second, tr("end date"));
    if (!end)
        return false;
    if (*end < *start) {
        m_dialogs.information(this, tr("The end date is before the start date"));
        m_end->setFocus();
        return false;
    }
    QString error;
    std::optional<QString> done;
    {
        BusyPointer busy(m_dialogs);
        done = m_work(m_db, *start, *end, &error);
    }
    if (!done) {
        m_dialogs.information(this, m_setting.failure.arg(error));
        return false;
    }
    showStatus(this, *done);
    return printReport(m_reports, m_dialogs, this, m_setting.reportFile, m_setting.destination);
}

frmprofit_and_loss::frmprofit_and_loss(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                                       QWidget* parent)
    : PeriodReportScreen(
          std::move(db), dialogs, reports,
          [](const QSqlDatabase& on, QDate from, QDate to,
             QString* error) -> std::optional<QString> {
              const auto months = runProfitAndLoss(on, from, to, error);
              if (!months)
                  return std::nullopt;
              Money profit;
              for (const ProfitMonth& month : *months)
                  profit += month.profit();
              return tr("Profit and loss from %1 to %2: operating profit %3")
                  .arg(ukDate(from), ukDate(to), profit.toString());
          },
          {QStringLiteral("profitandloss.rpt"),
           ReportEngine::Preview,
           lastQuarter(QDate::currentDate()),
           {},
           tr("The figures were not worked out: %1")},
          parent)
{
    setObjectName(QStringLiteral("frmprofit_and_loss"));
    setWindowTitle(tr("Profit and Loss"));
}

frmvat_return::frmvat_return(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                             QWidget* parent)
    : PeriodReportScreen(
          std::move(db), dialogs, reports,
          [](const QSqlDatabase& on, QDate from, QDate to,
             QString* error) -> std::optional<QString> {
              const auto vat = runVatReturn(on, from, to, error);
              if (!vat)
                  return std::nullopt;
              return tr("VAT return from %1 to %2: net VAT (box 5) %3")
                  .arg(ukDate(from), ukDate(to), vat->boxes[4].toString());
          },
          {QStringLiteral("vatreturn.rpt"),
           ReportEngine::Preview,
           lastQuarter(QDate::currentDate()),
           {},
           tr("The figures were not worked out: %1")},
          parent)
{
    setObjectName(QStringLiteral("frmvat_return"));
    setWindowTitle(tr("VAT Return"));
}

} // namespace velmora
