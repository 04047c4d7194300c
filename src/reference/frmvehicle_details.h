#pragma once

#include "platform/fieldsnapshot.h"
#include "platform/openingscreen.h"
#include "vehicles.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QCalendarWidget;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace velmora {

class Dialogs;
class FieldEvents;

// Vehicle maintenance ("Maintain Vehicle Details"): a vehicle is found by its registration
// when that field is left; "&Add " and "&Update" both store it (updating a known
// registration, adding a new one) after the checks, which warn about missing and expired
// dates but save anyway. "&Delete" removes the vehicle at once, "&Clear" empties the screen.
class frmvehicle_details final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmvehicle_details(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // The vehicle the screen shows once it opens.
    void presetRegistration(const QString& registration) { m_preset = registration; }

    // Checks the vehicle type field and resolves its id; false after its message.
    bool validate_vehicle_type();
    // The checks before saving, in screen order; false when the save must not happen.
    bool check_vehicle();
    // Stores the vehicle from the fields and clears the screen; false after showing the
    // database's error.
    bool save_vehicle();

private:
    void buildLayout();
    void opening() override;
    void closeEvent(QCloseEvent* event) override;
    void fillList(QComboBox* list, VehicleChoice choice, const QString& emptyMessage);
    void registrationLeft();
    void showVehicle(const VehicleRecord& vehicle);
    void yearEntered();
    bool addOrUpdate();
    void deleteVehicle();
    void clear();
    void openCalendar(QLineEdit* target);
    void dayPicked(QDate date);
    void tell(const QString& text);
    void moveFocus(QWidget* field);
    QWidget* fieldOf(VehicleField field) const;

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    FieldEvents* m_events;
    FieldSnapshot m_shown; // the fields as last stored, found or emptied
    // The registration and row version of the vehicle last found, which a save goes over.
    QString m_foundRegNo;
    qint64 m_foundVersion = 0;
    QLineEdit* m_regNo;
    QComboBox* m_types;   // vehicles
    QComboBox* m_drivers; // drivernames
    QLineEdit* m_year;
    QLineEdit* m_roadTax;
    QLineEdit* m_plated;
    QLineEdit* m_insurance;
    QLineEdit* m_policy;
    QLineEdit* m_capacity;
    QLineEdit* m_driverOwned;
    QGroupBox* m_calendarFrame;  // Frame1
    QCalendarWidget* m_calendar; // Calendar4
    QLineEdit* m_calendarTarget = nullptr;
    QString m_preset;
    qint64 m_driverId = 0;
    qint64 m_vehicleTypeId = 0;
    bool m_valid = false;
};

} // namespace velmora
