#include "frmvehicle_details.h"

#include "data/dates.h"
#include "platform/dialogs.h"
#include "platform/fieldevents.h"
#include "platform/screenparts.h"
#include "platform/statusline.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

frmvehicle_details::frmvehicle_details(QSqlDatabase db, Dialogs& dialogs, QWidget* parent)
    : OpeningScreen(parent), m_db(std::move(db)), m_dialogs(dialogs),
      m_events(new FieldEvents(this)), m_shown(this),
      m_regNo(fitColumn(lineEdit("txtreg_no", tr("Enter vehicle registraion number")), u"vehicles",
                        u"reg_no")),
      m_types(fitColumn(dropDown("vehicles", tr("Select vehicle type from drop down list")),
                        u"vehicle_types", u"vehicledescription")),
      m_drivers(fitColumn(dropDown("drivernames", tr("Select driver from drop down list")),
                          u"drivers", u"driver_name")),
      m_year(fitColumn(lineEdit("txtyear_manu", tr("Insert year of manufacture")), u"vehicles",
                       u"first_reg")),
      m_roadTax(fitColumn(lineEdit("txtroad_tax", tr("Insert date road tax due")), u"vehicles",
                          u"road_tax")),
      m_plated(
          fitColumn(lineEdit("txtplated", tr("Insert date plated to")), u"vehicles", u"plated")),
      m_insurance(fitColumn(lineEdit("txtinsurance", tr("Insert date insurance due")), u"vehicles",
                            u"insurance")),
      m_policy(fitColumn(lineEdit("txtpolicy", tr("Insert insurance policy details")), u"vehicles",
                         u"policy")),
      m_capacity(fitWidth(lineEdit("txtcapacity", tr("Insert passenger capacity")), 4)),
      m_driverOwned(fitColumn(lineEdit("txtdrv_owned", tr("Insert passenger capacity")),
                              u"vehicles", u"driver_owned")),
      m_calendarFrame(new QGroupBox(tr("Calendar"))), m_calendar(new QCalendarWidget)
{
    setObjectName(QStringLiteral("frmvehicle_details"));
    setWindowTitle(tr("Maintain Vehicle Details"));

    QMenu* file = menuBar()->addMenu(tr("&File"));
    const auto entry = [this, file](const QString& caption, const char* name, auto action) {
        connect(addEntry(file, caption, name), &QAction::triggered, this, action);
    };
    entry(tr("&Add "), "mnuadd", &frmvehicle_details::addOrUpdate);
    entry(tr("&Update"), "mnuupdate", &frmvehicle_details::addOrUpdate);
    entry(tr("&Delete"), "mnudelete", &frmvehicle_details::deleteVehicle);
    entry(tr("&Clear"), "mnuclear", &frmvehicle_details::clear);
    addExit(file, this);

    buildLayout();
    m_events->onLeave(m_regNo, [this] { registrationLeft(); });
    m_events->onEnter(m_drivers, [this] { validate_vehicle_type(); });
    m_events->onEnter(m_year, [this] { yearEntered(); });
    m_events->onLeave(m_capacity, [this] {
        if (m_capacity->text().isEmpty())
            m_capacity->setText(QStringLiteral("4"));
    });
    connect(m_calendar, &QCalendarWidget::clicked, this, &frmvehicle_details::dayPicked);
    connect(m_calendar, &QCalendarWidget::activated, this, &frmvehicle_details::dayPicked);
    m_regNo->setFocus();
}

void frmvehicle_details::buildLayout()
{
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    int row = 0;
    const auto addRow = [grid, &row](const QString& caption, QWidget* field) {
        addCaptioned(grid, row++, caption, field);
    };
    QList<QWidget*> order;
    const auto addDate = [this, grid, &row, &addRow, &order](const QString& caption,
                                                             QLineEdit* field, const char* name) {
        auto* button = named(new QPushButton(tr("Calendar")), name, tr("Press to access calendar"));
        grid->addWidget(button, row, 2);
        addRow(caption, field);
        connect(button, &QPushButton::clicked, this, [this, field] { openCalendar(field); });
        order << field << button;
    };
    addRow(tr("&Registration Number"), m_regNo);
    addRow(tr("Vehicle &Type"), m_types);
    addRow(tr("Dri&ver Id"), m_drivers);
    addRow(tr("&Year Of Manufacture"), m_year);
    order << m_regNo << m_types << m_drivers << m_year;
    addDate(tr("R&oad Tax Due"), m_roadTax, "Calendar_1");
    addDate(tr("&Plated To"), m_plated, "Calendar_2");
    addDate(tr("&Insurance Due"), m_insurance, "Calendar_3");
    addRow(tr("Insurance Po&licy"), m_policy);
    addRow(tr("Passenger &Capacity"), m_capacity);
    addRow(tr("Driver O&wned"), m_driverOwned);
    grid->setColumnMinimumWidth(1, 220);

    m_calendarFrame->setObjectName(QStringLiteral("Frame1"));
    m_calendar->setObjectName(QStringLiteral("Calendar4"));
    auto* frame = new QVBoxLayout(m_calendarFrame);
    frame->addWidget(m_calendar);
    m_calendarFrame->hide();
    grid->addWidget(m_calendarFrame, 0, 3, row, 1);
    setCentralWidget(central);

    order << m_policy << m_capacity << m_driverOwned << m_calendar;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmvehicle_details::opening()
{
    fillList(m_drivers, VehicleChoice::Drivers, tr("You have no drivers recorded in the system"));
    fillList(m_types, VehicleChoice::VehicleTypes, tr("No vehicle types recorded"));
    if (!m_preset.isEmpty()) {
        m_regNo->setText(m_preset);
        registrationLeft();
        m_year->setFocus();
    }
    m_shown.take();
}

void frmvehicle_details::closeEvent(QCloseEvent* event)
{
    if (!mayLeave(m_dialogs, this, m_shown.differs(),
                  tr("Save the changes to vehicle %1?").arg(m_regNo->text()),
                  [this] { return addOrUpdate(); })) {
        event->ignore();
        return;
    }
    OpeningScreen::closeEvent(event);
}

void frmvehicle_details::fillList(QComboBox* list, VehicleChoice choice,
                                  const QString& emptyMessage)
{
    QString error;
    const auto choices = listChoices(m_db, choice, &error);
    if (!choices) {
        tell(error);
        return;
    }
    if (choices->isEmpty())
        tell(emptyMessage);
    for (const Choice& entry : *choices)
        list->addItem(entry.name);
    list->setCurrentIndex(-1);
}

void frmvehicle_details::registrationLeft()
{
    const QString regNo = m_regNo->text();
    if (regNo.isEmpty()) {
        tell(tr("A registration number must be supplied"));
        moveFocus(m_regNo);
        return;
    }
    QString error;
    const std::optional<bool> any = hasVehicles(m_db, &error);
    if (!any) {
        tell(error);
        return;
    }
    if (!*any)
        return;
    const auto vehicle = findVehicle(m_db, regNo, &error);
    if (!vehicle)
        tell(error.isEmpty() ? tr("New entry") : error);
    else
        showVehicle(*vehicle);
}

void frmvehicle_details::showVehicle(const VehicleRecord& vehicle)
{
    QString error;
    if (const auto type =
            choiceName(m_db, VehicleChoice::VehicleTypes, vehicle.vehicleType, &error))
        m_types->setEditText(*type);
    else
        tell(error.isEmpty() ? tr("The supplied vehicle type could not be found") : error);
    error.clear();
    if (const auto driver = choiceName(m_db, VehicleChoice::Drivers, vehicle.driverId, &error))
        m_drivers->setEditText(*driver);
    else
        tell(error.isEmpty() ? tr("The supplied driver could not be found") : error);
    m_year->setText(vehicle.year);
    m_driverOwned->setText(vehicle.driverOwned);
    m_roadTax->setText(vehicle.roadTax);
    m_plated->setText(vehicle.plated);
    m_insurance->setText(vehicle.insurance);
    m_policy->setText(vehicle.policy);
    m_capacity->setText(vehicle.capacity);
    m_foundRegNo = vehicle.regNo;
    m_foundVersion = vehicle.version.value_or(0);
    m_shown.take();
}

bool frmvehicle_details::validate_vehicle_type()
{
    const QString type = m_types->currentText();
    if (type.isEmpty()) {
        tell(tr("A vehicle type must be supplied"));
        moveFocus(m_types);
        m_valid = false;
        return false;
    }
    QString error;
    const auto id = choiceId(m_db, VehicleChoice::VehicleTypes, type, &error);
    if (!id) {
        tell(error.isEmpty() ? tr("The supplied vehicle description could not be found") : error);
        moveFocus(m_types);
        m_valid = false;
        return false;
    }
    m_vehicleTypeId = *id;
    return true;
}

void frmvehicle_details::yearEntered()
{
    if (m_drivers->currentText().isEmpty()) {
        m_drivers->setEditText(QStringLiteral("TBA"));
        return;
    }
    QString error;
    const auto id = choiceId(m_db, VehicleChoice::Drivers, m_drivers->currentText(), &error);
    if (id)
        m_driverId = *id;
    else
        tell(error.isEmpty() ? tr("Driver not found contact program vendor if problem persists")
                             : error);
}

bool frmvehicle_details::addOrUpdate()
{
    m_valid = true;
    if (m_regNo->text().isEmpty()) {
        tell(tr("You have not supplied a registration number"));
        moveFocus(m_regNo);
        return false;
    }
    QString error;
    const auto driver = choiceId(m_db, VehicleChoice::Drivers, m_drivers->currentText(), &error);
    if (!driver) {
        tell(error.isEmpty() ? tr("Driver not found, please select from drop down list") : error);
        return false;
    }
    m_driverId = *driver;
    const auto type = choiceId(m_db, VehicleChoice::VehicleTypes, m_types->currentText(), &error);
    if (!type) {
        tell(error.isEmpty() ? tr("Vehicle Type not found, please select from drop down list")
                             : error);
        return false;
    }
    m_vehicleTypeId = *type;
    return check_vehicle() && save_vehicle();
}

bool frmvehicle_details::check_vehicle()
{
    if (m_regNo->text().isEmpty()) {
        tell(tr("You have not supplied a registration number"));
        moveFocus(m_regNo);
        m_valid = false;
        return false;
    }
    if (!validate_vehicle_type())
        return false;
    const VehicleInput input{m_year->text(),      m_roadTax->text(), m_plated->text(),
                             m_insurance->text(), m_policy->text(),  m_capacity->text()};
    for (const VehicleFinding& finding : checkVehicleDetails(input, QDate::currentDate())) {
        tell(finding.message);
        if (finding.blocking) {
            moveFocus(fieldOf(finding.field));
            m_valid = false;
        }
    }
    if (m_valid && m_capacity->text().isEmpty())
        m_capacity->setText(QStringLiteral("4"));
    return m_valid;
}

bool frmvehicle_details::save_vehicle()
{
    const VehicleRecord vehicle{
        .regNo = m_regNo->text(),
        .vehicleType = m_vehicleTypeId,
        .driverId = m_driverId,
        .year = m_year->text(),
        .roadTax = m_roadTax->text(),
        .plated = m_plated->text(),
        .insurance = m_insurance->text(),
        .policy = m_policy->text(),
        .capacity = m_capacity->text(),
        .driverOwned = m_driverOwned->text(),
        .version = !m_foundRegNo.isEmpty() &&
                           m_regNo->text().compare(m_foundRegNo, Qt::CaseInsensitive) == 0
                       ? std::optional<qint64>(m_foundVersion)
                       : std::nullopt,
    };
    QString error;
    const std::optional<RowSave> saved = saveVehicle(m_db, vehicle, QDate::currentDate(), &error);
    if (!saved) {
        tell(error);
        return false;
    }
    if (*saved == RowSave::ChangedElsewhere) {
        if (m_dialogs.question(this, error + tr("\n\nShow the vehicle as it is now?")) ==
            Dialogs::Answer::Yes)
            registrationLeft();
        return false;
    }
    showStatus(this, tr("Vehicle %1 saved").arg(vehicle.regNo));
    clear();
    return true;
}

void frmvehicle_details::deleteVehicle()
{
    QString error;
    const std::optional<bool> deleted = velmora::deleteVehicle(m_db, m_regNo->text(), &error);
    if (!deleted)
        tell(error);
    else if (!*deleted)
        tell(tr("Record no longer exists"));
    else {
        m_shown.take();
        showStatus(this, tr("Vehicle %1 deleted").arg(m_regNo->text()));
    }
}

void frmvehicle_details::clear()
{
    for (QLineEdit* field :
         {m_regNo, m_year, m_roadTax, m_plated, m_insurance, m_policy, m_capacity, m_driverOwned})
        field->clear();
    m_types->setCurrentIndex(-1);
    m_types->clearEditText();
    m_drivers->setCurrentIndex(-1);
    m_drivers->clearEditText();
    m_foundRegNo.clear();
    moveFocus(m_regNo);
    m_shown.take();
}

void frmvehicle_details::openCalendar(QLineEdit* target)
{
    m_calendarTarget = target;
    m_calendarFrame->show();
    m_calendar->setSelectedDate(QDate::currentDate());
}

void frmvehicle_details::dayPicked(QDate date)
{
    if (m_calendarTarget)
        m_calendarTarget->setText(ukDate(date));
    m_calendarFrame->hide();
}

void frmvehicle_details::tell(const QString& text) { m_dialogs.information(this, text); }

void frmvehicle_details::moveFocus(QWidget* field) { m_events->returnFocus(field); }

QWidget* frmvehicle_details::fieldOf(VehicleField field) const
{
    switch (field) {
    case VehicleField::Year:
        return m_year;
    case VehicleField::RoadTax:
        return m_roadTax;
    case VehicleField::Plated:
        return m_plated;
    case VehicleField::Insurance:
        return m_insurance;
    case VehicleField::Policy:
        return m_policy;
    case VehicleField::Capacity:
        break;
    }
    return m_capacity;
}

} // namespace velmora
