#include "demofirm.h"

#include "data/audit.h"
#include "data/costline.h"
#include "data/dates.h"
#include "data/sql.h"
#include "demofirmdata.h"

#include <QList>
#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

#include <iterator>

namespace velmora::firm {

namespace {

using namespace demo;

QString text(const char* latin1) { return QString::fromLatin1(latin1); }

class DemoWriter
{
public:
    DemoWriter(QSqlDatabase& db, QDate today) : m_db(db), m_query(db), m_today(today) {}

    bool write()
    {
        Transaction transaction(m_db);
        if (!transaction.isActive())
            return fail(m_db.lastError().text());
        const AuditPause pause(m_db);
        return isEmpty() && addTypes() && addCompany() && addAccounts() && addDrivers() &&
               addVehicles() && addJobs() &&
               writeRunEntry(m_db, QStringLiteral("generation"), QStringLiteral("demo firm"), {},
                             &m_error) &&
               transaction.commit(&m_error);
    }

    QString error() const { return m_error; }

private:
    bool fail(const QString& reason)
    {
        m_error = reason;
        return false;
    }

    bool exec(const QString& sql, const QVariantList& values)
    {
        return run(m_query, sql, values, &m_error);
    }

    // Inserts one row and gives back its rowid.
    bool insert(const QString& sql, const QVariantList& values, qint64* id)
    {
        const std::optional<qint64> row = insertRow(m_query, sql, values, &m_error);
        *id = row.value_or(0);
        return row.has_value();
    }

    bool isEmpty()
    {
        if (!exec(QStringLiteral("select (select count(*) from accounts) + "
                                 "(select count(*) from addresses) + "
                                 "(select count(*) from address_types) + "
                                 "(select count(*) from company) + "
                                 "(select count(*) from drivers) + "
                                 "(select count(*) from jobs) + "
                                 "(select count(*) from payment_types) + "
                                 "(select count(*) from receipt_types) + "
                                 "(select count(*) from vehicles) + "
                                 "(select count(*) from vehicle_types)"),
                  {}))
            return false;
        if (!m_query.next() || m_query.value(0).toLongLong() != 0)
            return fail(QObject::tr("The demo firm goes only into a new, empty database."));
        return true;
    }

    template <std::size_t N>
    bool addNames(const QString& sql, const char* const (&names)[N], QList<qint64>* ids)
    {
        for (const char* name : names) {
            qint64 id = 0;
            if (!insert(sql, {text(name)}, &id))
                return false;
            ids->append(id);
        }
        return true;
    }

    bool addTypes()
    {
        QList<qint64> addressTypes;
        if (!addNames(QStringLiteral("insert into vehicle_types (vehicledescription) values (?)"),
                      kVehicleTypes, &m_vehicleTypes) ||
            !addNames(QStringLiteral("insert into payment_types (paymentdescription) values (?)"),
                      kPaymentTypes, &m_paymentTypes) ||
            !addNames(QStringLiteral("insert into receipt_types (paymenttype) values (?)"),
                      kCostTypes, &m_costTypes) ||
            !addNames(QStringLiteral("insert into address_types (addresstype) values (?)"),
                      kAddressTypes, &addressTypes))
            return false;
        if (addressTypes.at(kDriverAddress - 1) != kDriverAddress ||
            addressTypes.at(kAccountAddress - 1) != kAccountAddress)
            return fail(QObject::tr("The address types were not numbered from 1."));
        return true;
    }

    bool addCompany()
    {
        return exec(
            QStringLiteral("insert into company (company_id, company_Name, company_heading, "
                           "company_addr1, company_addr2, company_town, company_county, "
                           "company_postcode1, company_postcode2, company_tel1, company_tel2, "
                           "company_mobile1, company_mobile2, company_e_mail, "
                           "company_registration, company_vat) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {1, text(kCompanyName), QStringLiteral("Private Hire, Taxis & Same-Day Courier"),
             QStringLiteral("Unit 3, Wharf Road"), QStringLiteral("Ashbridge Trading Estate"),
             QStringLiteral("Ashbridge"), text(kCounty), QStringLiteral("HQ2"),
             QStringLiteral("5DW"), QStringLiteral("01632 960100"), QStringLiteral("07700 900100"),
             QStringLiteral("01632 960101"), QStringLiteral("07700 900101"),
             QStringLiteral("bookings@kestrelcars.example"), QStringLiteral("08413927"),
             QStringLiteral("GB 482 7716 35")});
    }

    // The second line of an address is stored in address_line3, as the address screens do.
    bool addAddress(const Address& address, int type, qint64* id)
    {
        return insert(QStringLiteral("insert into addresses (address_line1, address_line2, "
                                     "address_line3, address_town, address_county, "
                                     "address_postcode1, address_postcode2, address_phone1, "
                                     "address_phone2, address_phone3, address_type) "
                                     "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {text(address.line1), QStringLiteral(""), text(address.locality),
                       text(address.town), text(kCounty), text(address.postcode1),
                       text(address.postcode2), text(address.phone1), text(address.phone2),
                       QStringLiteral(""), type},
                      id);
    }

    // Inserts a row whose first value is the id of its own new address of `type`, and
    // keeps the row's id.
    bool addWithAddress(const Address& address, int type, const QString& sql, QVariantList values,
                        QList<qint64>* ids)
    {
        qint64 addressId = 0;
        qint64 id = 0;
        if (!addAddress(address, type, &addressId))
            return false;
        values.prepend(addressId);
        if (!insert(sql, values, &id))
            return false;
        ids->append(id);
        return true;
    }

    bool addAccounts()
    {
        for (const Account& account : kAccounts) {
            if (!addWithAddress(
                    account.address, kAccountAddress,
                    QStringLiteral("insert into accounts (address_id, account_name, nickname, "
                                   "contact_name, account_balance, invoice_type, account_ref, "
                                   "cost_code) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                    {text(account.name), text(account.nickname), text(account.contact),
                     Money().toVariant(), text(account.invoiceType), text(account.reference),
                     text(account.costCode)},
                    &m_accounts))
                return false;
        }
        return true;
    }

    bool addDrivers()
    {
        for (const Driver& driver : kDrivers) {
            if (!addWithAddress(
                    driver.address, kDriverAddress,
                    QStringLiteral("insert into drivers (address_id, driver_name, contact_name, "
                                   "licence_number, self_employed, barred, driver_percentage, "
                                   "badge_expiry, licence_expiry, dbs_expiry) "
                                   "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {text(driver.name), text(driver.contact), text(driver.licence),
                     driver.selfEmployed ? 1 : 0, driver.barred ? 1 : 0, driver.percentage,
                     storedDate(m_today.addDays(driver.badgeDays)),
                     storedDate(m_today.addDays(driver.licenceDays)),
                     storedDate(m_today.addDays(driver.dbsDays))},
                    &m_drivers))
                return false;
        }
        return true;
    }

    bool addVehicles()
    {
        for (const Vehicle& vehicle : kVehicles) {
            if (!exec(QStringLiteral("insert into vehicles (reg_no, vehicle_type, driver_id, "
                                     "first_reg, policy, driver_owned, road_tax, plated, "
                                     "insurance, capacity) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {text(vehicle.registration), m_vehicleTypes.at(vehicle.type),
                       m_drivers.at(vehicle.driver), text(vehicle.firstRegistered),
                       text(vehicle.policy), text(vehicle.driverOwned),
                       storedDate(m_today.addDays(vehicle.roadTaxDays)),
                       storedDate(m_today.addDays(vehicle.platedDays)),
                       storedDate(m_today.addDays(vehicle.insuranceDays)), vehicle.capacity}))
                return false;
        }
        return true;
    }

    // Saloon work goes round the car drivers; the barred driver only drove last week.
    DriverName driverFor(VehicleType vehicle, int day)
    {
        switch (vehicle) {
        case EstateCar:
            return Mistry;
        case ExecutiveCar:
            return Coombes;
        case Mpv:
            return Nowak;
        case Minibus:
            return Brennan;
        case CourierVan:
            return Ferreira;
        case SaloonCar:
            break;
        }
        static const DriverName saloon[] = {Hollins, Pritchard, Mistry, Nowak, Ashdown};
        const int drivers = day <= -4 ? 5 : 4;
        return saloon[m_saloonTurn++ % drivers];
    }

    bool addJobs()
    {
        int job = 0;
        int completed = 0;
        for (int index = 0; index < std::ssize(kJobsPerDay); ++index) {
            const int day = kFirstDay + index;
            const int count = kJobsPerDay[index];
            const int spacing = 14 * 60 / count / 5 * 5;
            for (int slot = 0; slot < count; ++slot, ++job) {
                const Booker& booker = kBookers[(job * 7 + 3) % std::ssize(kBookers)];
                const QTime time = QTime(7, 0).addSecs(60 * (slot * spacing + job * 37 % 9 * 5));
                const QString status = text(day < 0 ? "C" : day > 0 ? "I" : kTodayStatuses[slot]);
                const DriverName driver = driverFor(booker.vehicle, day);
                qint64 number = 0;
                if (!addJob(booker, m_today.addDays(day), time, status, driver, &number))
                    return false;
                // Every sixth completed job waits for its costs.
                if (status == QLatin1String("C") && completed++ % 6 != 5 &&
                    !addCosts(number, booker, m_today.addDays(day)))
                    return false;
            }
        }
        return true;
    }

    bool addJob(const Booker& booker, QDate date, QTime time, const QString& status,
                DriverName driver, qint64* number)
    {
        const bool onAccount = booker.account != NoAccount;
        const Account* account = onAccount ? &kAccounts[booker.account] : nullptr;
        qint64 row = 0;
        if (!insert(QStringLiteral(
                        "insert into jobs (job_prefix, date, time, time_text, passenger_name, "
                        "address_from, address_to, account_no, driver, payment_type, invoiced, "
                        "vehicle_type, special_instructions, record_status, acc_ref, "
                        "costed_code, driver_percentage, calculated) "
                        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {text(kPrefix), storedDate(date), storedTime(time),
                     time.toString(QStringLiteral("HH:mm")), text(booker.passenger),
                     text(booker.from), text(booker.to),
                     onAccount ? m_accounts.at(booker.account) : 0, m_drivers.at(driver),
                     m_paymentTypes.at(booker.payment), QString::fromLatin1(onAccount ? "N" : " "),
                     m_vehicleTypes.at(booker.vehicle), text(booker.instructions), status,
                     account ? QVariant(text(account->reference)) : QVariant(),
                     account ? QVariant(text(account->costCode)) : QVariant(),
                     QString::fromLatin1(kDrivers[driver].percentage > 0 ? "Y" : "N"),
                     QStringLiteral("N")},
                    &row) ||
            !exec(QStringLiteral("select job_id from jobs where rowid = ?"), {row}))
            return false;
        if (!m_query.next())
            return fail(QStringLiteral("The new job has no number."));
        *number = m_query.value(0).toLongLong();
        return true;
    }

    bool addCost(qint64 job, CostType type, const char* side, const QString& description,
                 const CostFigures& line, bool vat)
    {
        return exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, "
                                   "income_expence, description, gross_cost, discount, "
                                   "discount_value, net_cost, vat, vat_value) "
                                   "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {text(kPrefix), job, m_costTypes.at(type), text(side), description,
                     line.gross.toVariant(), line.discountPercent, line.discount.toVariant(),
                     line.net.toVariant(), QString::fromLatin1(vat ? "Y" : "N"),
                     line.vat.toVariant()});
    }

    bool addReceipt(qint64 job, CostType type, qint64 pence, int discount, bool vat)
    {
        return addCost(job, type, "I", text(kCostTypes[type]),
                       costFigures(Money::fromPence(pence), discount, vat), vat);
    }

    bool addPayment(qint64 job, CostType type, qint64 pence, bool vat)
    {
        return addCost(job, type, "E", text(kCostTypes[type]),
                       costFigures(Money::fromPence(pence), 0, vat), vat);
    }

    // Receipts: the fare, now and then waiting time, airport parking charged on. Payments:
    // the parking, fuel on long and van work, one minibus job handed to another firm. The
    // hotel's first costed job carries a goodwill credit note.
    bool addCosts(qint64 job, const Booker& booker, QDate date)
    {
        const bool onAccount = booker.account != NoAccount;
        const int discount = onAccount ? kAccounts[booker.account].discountPercent : 0;
        const bool waited = m_costed++ % 4 == 3;
        if (!addReceipt(job, Fare, booker.farePence, discount, true) ||
            (waited && !addReceipt(job, WaitingTime, 500, discount, true)))
            return false;
        if (booker.parkingPence > 0 && (!addReceipt(job, Parking, booker.parkingPence, 0, false) ||
                                        !addPayment(job, Parking, booker.parkingPence, false)))
            return false;
        if (booker.vehicle == Minibus && !m_subcontracted) {
            m_subcontracted = true;
            if (!addPayment(job, Subcontract, booker.farePence * 70 / 100, false))
                return false;
        } else if (booker.vehicle == Minibus || booker.vehicle == CourierVan ||
                   booker.farePence >= 4000) {
            if (!addPayment(job, Fuel, booker.farePence * 15 / 100, true))
                return false;
        }
        if (booker.account == Hotel && !m_creditNoteWritten) {
            m_creditNoteWritten = true;
            return addCreditNote(job, date);
        }
        return true;
    }

    bool addCreditNote(qint64 job, QDate date)
    {
        const QString reason = QStringLiteral("Late pick-up, goodwill");
        const CostFigures line = costFigures(Money::fromPence(-500), 0, true);
        return addCost(job, CreditNote, "I", reason, line, true) &&
               exec(QStringLiteral("insert into credit_notes (job_no, job_prefix, account_no, "
                                   "refund_reason, refund_amount_gross, refund_amount_discount, "
                                   "refund_amount_vat, refund_amount_net, refund_date, processed) "
                                   "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {job, text(kPrefix), m_accounts.at(Hotel), reason, line.gross.toVariant(),
                     line.discount.toVariant(), line.vat.toVariant(), line.net.toVariant(),
                     storedDate(date), QStringLiteral("Y")});
    }

    QSqlDatabase& m_db;
    QSqlQuery m_query;
    QDate m_today;
    QString m_error;
    QList<qint64> m_vehicleTypes;
    QList<qint64> m_paymentTypes;
    QList<qint64> m_costTypes;
    QList<qint64> m_accounts;
    QList<qint64> m_drivers;
    int m_saloonTurn = 0;
    int m_costed = 0;
    bool m_subcontracted = false;
    bool m_creditNoteWritten = false;
};

} // namespace

bool addDemoFirm(QSqlDatabase& db, QDate today, QString* error)
{
    DemoWriter writer(db, today);
    if (writer.write())
        return true;
    *error = QObject::tr("The demo firm could not be added: %1").arg(writer.error());
    return false;
}

} // namespace velmora::firm
