#include "frmdriver_payment.h"

#include "data/idrange.h"
#include "data/readonly.h"
#include "driverpay.h"
#include "driverpaycount.h"
#include "platform/confirmwork.h"
#include "platform/dialogs.h"
#include "platform/reportengine.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace velmora {

namespace {

const QString kSlips = QStringLiteral("drvearn.rpt");

} // namespace

frmdriver_payment::frmdriver_payment(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                                     QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs), m_reports(reports),
      m_start(dropDown("txtstart_driver", tr("The first driver to pay; empty for the first"))),
      m_end(dropDown("txtend_driver", tr("The last driver to pay; empty for the last"))),
      m_gross(lineEdit("txtgross", tr("The income of the jobs the last run calculated"))),
      m_grossLabel(nullptr)
{
    setObjectName(QStringLiteral("frmdriver_payment"));
    setWindowTitle(tr("Create Driver Payment Report"));

    connect(addEntry(menuBar(), tr("&Create Payment Details"), "mnucpd"), &QAction::triggered, this,
            &frmdriver_payment::create_payment_details);
    connect(addEntry(menuBar(), tr("&Exit"), "mnue"), &QAction::triggered, this, &QWidget::close);

    auto* print = named(new QPushButton(tr("&Print Payments")), "Command1",
                        tr("Print the payment slips and mark them reported"));
    auto* preview = named(new QPushButton(tr("P&review Payments")), "Command2",
                          tr("Show the payment slips on the screen"));
    connect(print, &QPushButton::clicked, this, &frmdriver_payment::printPayments);
    connect(preview, &QPushButton::clicked, this, &frmdriver_payment::previewPayments);

    m_gross->setReadOnly(true);
    m_gross->setAlignment(Qt::AlignRight);
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    addCaptioned(grid, 0, tr("&Start Driver"), m_start);
    addCaptioned(grid, 1, tr("E&nd Driver"), m_end);
    m_grossLabel = addCaptioned(grid, 2, tr("Total Cost"), m_gross);
    m_grossLabel->setObjectName(QStringLiteral("lblgross"));
    m_grossLabel->hide();
    m_gross->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(preview);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 260);
    grid->setRowStretch(4, 1);
    setCentralWidget(central);
    setTabOrder(m_start, m_end);
    setTabOrder(m_end, print);
    setTabOrder(print, preview);
    m_start->setFocus();
}

void frmdriver_payment::opening()
{
    QString error;
    const auto drivers = percentageDrivers(m_db, &error);
    if (!drivers) {
        m_dialogs.information(this, error);
        return;
    }
    if (drivers->isEmpty())
        m_dialogs.information(this, tr("You have no drivers working on a percentage bassis"));
    for (const PercentageDriver& driver : *drivers) {
        m_start->addItem(driver.name);
        m_end->addItem(driver.name);
    }
    m_start->setCurrentIndex(-1);
    m_end->setCurrentIndex(-1);
}

void frmdriver_payment::create_payment_details()
{
    QString error;
    const auto drivers = percentageDrivers(m_db, &error);
    if (!drivers) {
        m_dialogs.information(this, error);
        return;
    }
    const auto range = driverRange(*drivers, m_start->currentText(), m_end->currentText());
    if (!range) {
        m_dialogs.information(this, tr("No drivers working on a percentage bassis "));
        return;
    }
    m_start->setEditText(range->fromName);
    if (const QString problem = rangeProblem(tr("driver"), range->from, range->to);
        !problem.isEmpty()) {
        m_dialogs.information(this, problem);
        return;
    }
    const auto count = countDriverPay(m_db, *range, &error);
    if (!count) {
        m_dialogs.information(this, tr("The driver payments were not calculated: %1").arg(error));
        return;
    }
    if (!confirmWork(m_dialogs, this, *count, tr("Calculate %1 jobs of %2 drivers?")))
        return;

    std::optional<DriverPayRun> result;
    bool elsewhere = false;
    {
        BusyPointer busy(m_dialogs);
        result = calculateDriverPay(m_db, *range, &error, &elsewhere);
    }
    if (!result) {
        // A run at another desk is said as it is, not as a fault of the calculation.
        m_dialogs.information(
            this, elsewhere ? error : tr("The driver payments were not calculated: %1").arg(error));
        return;
    }
    if (result->jobsFound == 0) {
        m_dialogs.information(this, tr("No non account jobs where driver gets a percentage "));
        return;
    }
    const QStringList unpaid = unpaidJobsMessages(*result);
    if (!unpaid.isEmpty())
        m_dialogs.informationList(
            this, tr("%n job(s) could not be paid:", nullptr, int(unpaid.size())), unpaid);
    m_gross->setText(result->total.toString());
    m_gross->show();
    m_grossLabel->show();
    showStatus(this, tr("Driver pay calculated for %n job(s), income %1", nullptr,
                        static_cast<int>(result->jobsPaid))
                         .arg(result->total.toString()));
}

void frmdriver_payment::printPayments()
{
    // Printed slips are marked reported; slips that could not be marked would be paid twice.
    if (isReadOnly(m_db)) {
        m_dialogs.information(this, readOnlyRefusal());
        return;
    }
    if (!printReport(m_reports, m_dialogs, this, kSlips, ReportEngine::Printer))
        return;
    QString error;
    const auto marked = markWagesReported(m_db, &error);
    if (!marked) {
        m_dialogs.information(
            this, tr("The slips were printed but could not be marked reported: %1").arg(error));
        return;
    }
    showStatus(this, tr("%n wage row(s) marked reported", nullptr, static_cast<int>(*marked)));
}

void frmdriver_payment::previewPayments()
{
    printReport(m_reports, m_dialogs, this, kSlips, ReportEngine::Preview);
}

} // namespace velmora
