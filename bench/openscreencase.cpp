#include "baseline.h"
#include "cases.h"
#include "data/vatrate.h"
#include "jobs/frmjob_management.h"
#include "jobs/joblists.h"
#include "screens.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QObject>

#include <algorithm>
#include <memory>

namespace velmora::bench {

namespace {

// The statements of the job screen's reading functions, in the order it opens them.
constexpr const char* kCostTypes = "select receipttypeid, paymenttype from receipt_types "
                                   "order by rowid";
constexpr const char* kVat = "select company_vat from company limit 1";
constexpr const char* kVatRates = "select vat_rate, vat_rate_from, previous_vat_rate from company "
                                  "where rowid = (select min(rowid) from company)";
constexpr const char* kDrivers = "select driver_id, driver_name, barred from drivers "
                                 "order by driver_name";
constexpr const char* kAccounts = "select account_id, account_name, contact_name, nickname "
                                  "from accounts order by account_name, account_id";
constexpr const char* kPaymentTypes = "select paymenttypeid, paymentdescription from "
                                      "payment_types order by paymentdescription";
constexpr const char* kVehicleTypes = "select vehicletypeid, vehicledescription from "
                                      "vehicle_types order by vehicledescription";

struct Statements
{
    Statement costTypes, vat, drivers, accounts, paymentTypes, vehicleTypes, vatRates;
};

bool readOurs(const QSqlDatabase& db, JobLists* lists, QString* error)
{
    auto costTypes = readCostTypes(db, error);
    auto vat = costTypes ? readVatRegistered(db, error) : std::nullopt;
    auto drivers = vat ? readDrivers(db, error) : std::nullopt;
    auto accounts = drivers ? readAccounts(db, error) : std::nullopt;
    auto paymentTypes = accounts ? readPaymentTypes(db, error) : std::nullopt;
    auto vehicleTypes = paymentTypes ? readVehicleTypes(db, error) : std::nullopt;
    auto vatRates = vehicleTypes ? readVatRates(db, error) : std::nullopt;
    if (!vatRates)
        return false;
    *lists = {std::move(*drivers),
              std::move(*accounts),
              std::move(*paymentTypes),
              std::move(*vehicleTypes),
              std::move(*costTypes),
              *vat,
              *vatRates};
    return true;
}

bool readNamed(sqlite3_stmt* statement, QList<JobListEntry>* entries, QString* error)
{
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        entries->append({sqlite3_column_int64(statement, 0), text(statement, 1)});
    return finish(statement, result, error);
}

bool readVat(sqlite3_stmt* statement, bool* registered, QString* error)
{
    const int result = sqlite3_step(statement);
    *registered = result == SQLITE_ROW && !text(statement, 0).isEmpty();
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

bool readDriverList(sqlite3_stmt* statement, QList<JobDriver>* drivers, QString* error)
{
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        drivers->append({sqlite3_column_int64(statement, 0), text(statement, 1),
                         sqlite3_column_int(statement, 2) != 0});
    return finish(statement, result, error);
}

bool readAccountList(sqlite3_stmt* statement, QList<JobAccount>* accounts, QString* error)
{
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        accounts->append({sqlite3_column_int64(statement, 0), text(statement, 1),
                          text(statement, 2), optionalText(statement, 3)});
    return finish(statement, result, error);
}

bool readDirectly(const Statements& s, JobLists* lists, QString* error)
{
    return readNamed(s.costTypes.get(), &lists->costTypes, error) &&
           readVat(s.vat.get(), &lists->vatRegistered, error) &&
           readDriverList(s.drivers.get(), &lists->drivers, error) &&
           readAccountList(s.accounts.get(), &lists->accounts, error) &&
           readNamed(s.paymentTypes.get(), &lists->paymentTypes, error) &&
           readNamed(s.vehicleTypes.get(), &lists->vehicleTypes, error);
}

bool sameEntries(const QList<JobListEntry>& a, const QList<JobListEntry>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const JobListEntry& x, const JobListEntry& y) {
                          return x.id == y.id && x.name == y.name;
                      });
}

bool sameLists(const JobLists& a, const JobLists& b)
{
    const auto sameDriver = [](const JobDriver& x, const JobDriver& y) {
        return x.id == y.id && x.name == y.name && x.barred == y.barred;
    };
    const auto sameAccount = [](const JobAccount& x, const JobAccount& y) {
        return x.id == y.id && x.name == y.name && x.contact == y.contact &&
               x.nickname == y.nickname;
    };
    return std::equal(a.drivers.begin(), a.drivers.end(), b.drivers.begin(), b.drivers.end(),
                      sameDriver) &&
           std::equal(a.accounts.begin(), a.accounts.end(), b.accounts.begin(), b.accounts.end(),
                      sameAccount) &&
           sameEntries(a.paymentTypes, b.paymentTypes) &&
           sameEntries(a.vehicleTypes, b.vehicleTypes) && sameEntries(a.costTypes, b.costTypes) &&
           a.vatRegistered == b.vatRegistered;
}

} // namespace

std::optional<Timed> setUpOpenJobScreen(Fixture& fixture, QString* error)
{
    sqlite3* db = fixture.handle;
    const Statements statements{
        prepare(db, kCostTypes, error),    prepare(db, kVat, error),
        prepare(db, kDrivers, error),      prepare(db, kAccounts, error),
        prepare(db, kPaymentTypes, error), prepare(db, kVehicleTypes, error),
        prepare(db, kVatRates, error)};
    if (!statements.costTypes || !statements.vat || !statements.drivers || !statements.accounts ||
        !statements.paymentTypes || !statements.vehicleTypes || !statements.vatRates)
        return std::nullopt;

    JobLists ours;
    JobLists baseline;
    if (!readOurs(fixture.db, &ours, error) || !readDirectly(statements, &baseline, error))
        return std::nullopt;
    if (!sameLists(ours, baseline)) {
        *error = QObject::tr("The job screen and the baseline read different lists.");
        return std::nullopt;
    }

    Timed timed;
    timed.ours = [db = fixture.db](QString* reason) {
        JobLists lists;
        return readOurs(db, &lists, reason);
    };
    timed.baseline = [statements, rows = std::make_shared<RawRows>()](QString* reason) {
        for (const Statement& statement :
             {statements.costTypes, statements.vat, statements.drivers, statements.accounts,
              statements.paymentTypes, statements.vehicleTypes, statements.vatRates}) {
            if (!rows->read(statement.get(), -1, reason))
                return false;
        }
        return true;
    };
    timed.whole = [db = fixture.db, &dialogs = fixture.dialogs](QString* reason) {
        frmjob_management screen(db, dialogs);
        screen.show();
        QCoreApplication::processEvents();
        if (!noBoxShown(dialogs, reason))
            return false;
        if (screen.findChild<QLineEdit*>(QStringLiteral("txtload"))->text() == QLatin1String("F")) {
            *reason = QObject::tr("The job screen could not open.");
            return false;
        }
        return true;
    };
    return timed;
}

} // namespace velmora::bench
