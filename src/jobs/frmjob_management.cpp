#include "frmjob_management.h"

#include "bookingtab.h"
#include "costtab.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/fieldsnapshot.h"
#include "profittab.h"
#include "searchpanel.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

// Keeps a list read from the database, or shows why it could not be read.
template <typename List>
bool keep(Dialogs& dialogs, QWidget* screen, std::optional<List> read, List* list,
          const QString& error)
{
    if (!read) {
        dialogs.information(screen, error);
        return false;
    }
    *list = std::move(*read);
    return true;
}

} // namespace

frmjob_management::frmjob_management(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_events(new FieldEvents(this)), m_tabs(new QTabWidget),
      m_search(new SearchPanel(m_db, dialogs)),
      m_booking(new BookingTab(m_lists, m_search, dialogs, *m_events)),
      m_receipts(new CostTab(CostSide::Receipt, m_db, dialogs, *m_events, m_job, m_lists)),
      m_payments(new CostTab(CostSide::Payment, m_db, dialogs, *m_events, m_job, m_lists)),
      m_profit(new ProfitTab), m_load(new QLineEdit)
{
    setObjectName(QStringLiteral("frmjob_management"));
    setWindowTitle(tr("Jobs Management Summary "));
    m_tabs->addTab(m_booking, tr("Booking"));
    m_tabs->addTab(m_receipts, tr("Receipts"));
    m_tabs->addTab(m_payments, tr("Payments Made"));
    m_tabs->addTab(m_profit, tr("Profitability"));
    m_load->setObjectName(QStringLiteral("txtload"));
    m_load->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_load);
    // What the last save did (showStatus()).
    auto* line = new QStatusBar;
    line->setObjectName(QStringLiteral("statusline"));
    line->setSizeGripEnabled(false);
    layout->addWidget(line);
    resize(960, 640);

    connect(m_booking, &BookingTab::addRequested, this, &frmjob_management::add_job);
    connect(m_booking, &BookingTab::updateRequested, this, &frmjob_management::update_job);
    connect(m_booking, &BookingTab::selectRequested, this, &frmjob_management::select);
    connect(m_booking, &BookingTab::clearRequested, this, &frmjob_management::clearAll);
    connect(m_booking, &BookingTab::numberLeft, this,
            [this](qint64 number) { m_job.key.number = number; });
    connect(m_booking, &BookingTab::keyEdited, this, [this] { m_job.shown.reset(); });
    connect(m_search, &SearchPanel::jobChosen, this, &frmjob_management::chooseFound);
    connect(m_tabs, &QTabWidget::currentChanged, m_receipts, &CostTab::hideTotal);
    // A cost tab opens on its first line, not where the cursor last was; from the tab bar
    // the cursor stays there to go on along the tabs.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        auto* tab = qobject_cast<CostTab*>(m_tabs->currentWidget());
        if (tab && !m_tabs->tabBar()->hasFocus())
            tab->focusFirstLine();
    });
    for (CostTab* tab : {m_receipts, m_payments}) {
        connect(tab, &CostTab::totalChanged, this, &frmjob_management::showTotals);
        connect(tab, &CostTab::exitRequested, this, &QWidget::close);
    }
    connect(m_booking, &BookingTab::exitRequested, this, &QWidget::close);
    connect(m_profit, &ProfitTab::exitRequested, this, &QWidget::close);
}

void frmjob_management::closeEvent(QCloseEvent* event)
{
    const QString job =
        m_job.shown ? m_job.shown->prefix + QString::number(m_job.shown->number) : QString();
    const auto showing = [this](QWidget* tab) {
        m_tabs->setCurrentWidget(tab);
        return true;
    };
    const bool leave =
        mayLeave(m_dialogs, this, m_booking->edited(),
                 m_job.shown ? tr("Save the changes to job %1?").arg(job)
                             : tr("Add the job you have entered?"),
                 [&] { return showing(m_booking) && (m_job.shown ? update_job() : add_job()); }) &&
        (!m_job.shown || (mayLeave(m_dialogs, this, m_receipts->hasUnsavedLines(),
                                   tr("Save the receipt lines of job %1?").arg(job),
                                   [&] { return showing(m_receipts) && m_receipts->save(); }) &&
                          mayLeave(m_dialogs, this, m_payments->hasUnsavedLines(),
                                   tr("Save the payment lines of job %1?").arg(job),
                                   [&] { return showing(m_payments) && m_payments->save(); })));
    if (!leave) {
        event->ignore();
        return;
    }
    OpeningScreen::closeEvent(event);
}

void frmjob_management::presetJob(const JobKey& key) { m_booking->showKey(key); }

void frmjob_management::selectJob(const JobKey& key)
{
    m_tabs->setCurrentWidget(m_booking);
    m_booking->showKey(key);
    select();
}

void frmjob_management::opening()
{
    if (!readCostTypes() || !get_vatdetails() || !get_drivers() || !get_accounts() ||
        !get_paymenttypes() || !get_vehicles()) {
        m_load->setText(QStringLiteral("F"));
        m_booking->markSaved(); // closed again at once: nothing was typed
        return;
    }
    m_tabs->setCurrentWidget(m_booking);
    m_booking->focusCustomer();
    m_booking->setUpdateVisible(false);
    m_receipts->offerAllTypes();
    m_payments->offerAllTypes();
    if (!m_booking->prefixText().isEmpty() && !m_booking->numberText().isEmpty())
        load_job({m_booking->prefixText(), m_booking->numberText().toLongLong()});
    m_booking->markSaved();
}

bool frmjob_management::readCostTypes()
{
    QString error;
    auto types = velmora::readCostTypes(m_db, &error);
    return keep(m_dialogs, this, std::move(types), &m_lists.costTypes, error);
}

bool frmjob_management::get_vatdetails()
{
    QString error;
    auto registered = readVatRegistered(m_db, &error);
    auto rates = registered ? readVatRates(m_db, &error) : std::nullopt;
    return keep(m_dialogs, this, std::move(registered), &m_lists.vatRegistered, error) &&
           keep(m_dialogs, this, std::move(rates), &m_lists.vatRates, error);
}

bool frmjob_management::get_drivers()
{
    QString error;
    auto drivers = readDrivers(m_db, &error);
    if (!keep(m_dialogs, this, std::move(drivers), &m_lists.drivers, error))
        return false;
    m_booking->showDrivers();
    if (m_lists.drivers.isEmpty()) {
        m_dialogs.information(this, tr("You must set up your drivers before entering jobs"));
        return false;
    }
    return true;
}

bool frmjob_management::get_accounts()
{
    QString error;
    auto accounts = readAccounts(m_db, &error);
    if (!keep(m_dialogs, this, std::move(accounts), &m_lists.accounts, error))
        return false;
    m_booking->showAccounts();
    return true;
}

bool frmjob_management::get_paymenttypes()
{
    QString error;
    auto types = readPaymentTypes(m_db, &error);
    if (!keep(m_dialogs, this, std::move(types), &m_lists.paymentTypes, error))
        return false;
    m_booking->showPaymentTypes();
    if (m_lists.paymentTypes.isEmpty()) {
        m_dialogs.information(this, tr("Please set up payment types before booking a job"));
        return false;
    }
    return true;
}

bool frmjob_management::get_vehicles()
{
    QString error;
    auto types = readVehicleTypes(m_db, &error);
    if (!keep(m_dialogs, this, std::move(types), &m_lists.vehicleTypes, error))
        return false;
    m_booking->showVehicleTypes();
    if (m_lists.vehicleTypes.isEmpty()) {
        m_dialogs.information(this, tr("Please record vehicle types before booking jobs"));
        return false;
    }
    return true;
}

void frmjob_management::showTotals()
{
    m_profit->showTotals(m_receipts->total(), m_payments->total());
}

} // namespace velmora
