#include "firmreferences.h"

#include "data/dates.h"
#include "demofirmdata.h"
#include "firmprofiles.h"
#include "firmwords.h"
#include "firmwriter.h"

#include <string>

namespace velmora::firm {

namespace {

using namespace demo;
using Word = std::string_view;

constexpr int kCompanyId = 1;
constexpr int kAccountRows = 1;
constexpr int kDriverRows = 2;

int capacity(VehicleType vehicle)
{
    switch (vehicle) {
    case Mpv:
        return 6;
    case Minibus:
        return 8;
    case CourierVan:
        return 2;
    default:
        return 4;
    }
}

class ReferenceWriter : public FirmWriter
{
public:
    ReferenceWriter(sqlite3* db, const FirmOptions& options, const FirmProgress& progress)
        : FirmWriter(options, progress), m_db(db),
          m_address(db, "insert into addresses (address_id, address_line1, address_line2, "
                        "address_line3, address_town, address_county, address_postcode1, "
                        "address_postcode2, address_phone1, address_phone2, address_phone3, "
                        "address_type) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
          m_account(db, "insert into accounts (account_id, address_id, account_name, nickname, "
                        "contact_name, account_balance, invoice_type, account_ref, cost_code) "
                        "values (?, ?, ?, ?, ?, 0, ?, ?, ?)"),
          m_driver(db, "insert into drivers (driver_id, address_id, driver_name, contact_name, "
                       "licence_number, self_employed, barred, driver_percentage) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?)"),
          m_vehicle(db, "insert into vehicles (reg_no, vehicle_type, driver_id, first_reg, "
                        "policy, driver_owned, road_tax, plated, insurance, capacity) "
                        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
    {
    }

    bool write()
    {
        return prepared({&m_address, &m_account, &m_driver, &m_vehicle}) && writeTypes() &&
               writeCompany() && writeAccounts() && writeDrivers();
    }

private:
    template <std::size_t N> bool writeNames(const char* sql, const char* const (&names)[N])
    {
        SqliteStatement insert(m_db, sql);
        for (std::size_t index = 0; index < N; ++index) {
            insert.bind(1, static_cast<std::int64_t>(index + 1));
            insert.bind(2, Word(names[index]));
            if (!run(insert))
                return false;
        }
        return true;
    }

    bool writeTypes()
    {
        return writeNames("insert into vehicle_types (vehicletypeid, vehicledescription) "
                          "values (?, ?)",
                          kVehicleTypes) &&
               writeNames("insert into payment_types (paymenttypeid, paymentdescription) "
                          "values (?, ?)",
                          kPaymentTypes) &&
               writeNames("insert into receipt_types (receipttypeid, paymenttype) values (?, ?)",
                          kCostTypes) &&
               writeNames("insert into address_types (addresstypeid, addresstype) values (?, ?)",
                          kAddressTypes);
    }

    bool writeCompany()
    {
        SqliteStatement insert(m_db,
                               "insert into company (company_id, company_Name, company_heading, "
                               "company_addr1, company_addr2, company_town, company_county, "
                               "company_postcode1, company_postcode2, company_tel1, company_tel2, "
                               "company_tel3, company_mobile1, company_mobile2, company_e_mail, "
                               "company_registration, company_vat) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const Word values[] = {"Meridian Private Hire Ltd",
                               "Cars, Executive Travel & Same-Day Courier",
                               "Meridian House, 2 Wharf Road",
                               "Pennyford Industrial Park",
                               "Ashbridge",
                               words::kCounty,
                               "HQ4",
                               "7MP",
                               "01632 960500",
                               "07700 900500",
                               "",
                               "01632 960501",
                               "07700 900501",
                               "office@meridiancars.example",
                               "09127733",
                               "GB 731 5520 18"};
        insert.bind(1, kCompanyId);
        for (std::size_t index = 0; index < std::size(values); ++index)
            insert.bind(static_cast<int>(index) + 2, values[index]);
        return run(insert);
    }

    // The second line of an address goes into address_line3, as the address screens do.
    bool writeAddress(Random& random, std::int64_t id, int type)
    {
        static constexpr Word kPostcodeLetters = "ABDEFGHJLNPQRSTUWXYZ";
        m_line.clear().number(1 + random.below(180)).add(' ').add(random.pick(words::kStreets));
        const Word locality = random.percent(30) ? random.pick(words::kTowns) : Word();
        m_postcode1.clear().add("HQ").number(1 + random.below(20));
        m_postcode2.clear()
            .number(random.below(10))
            .add(kPostcodeLetters[random.below(kPostcodeLetters.size())])
            .add(kPostcodeLetters[random.below(kPostcodeLetters.size())]);
        m_phone1.clear().add("01632 960").digits(random.below(1000), 3);
        m_phone2.clear();
        if (random.percent(50))
            m_phone2.add("07700 900").digits(random.below(1000), 3);
        m_address.bind(1, id);
        m_address.bind(2, m_line.view());
        m_address.bind(3, Word(""));
        m_address.bind(4, locality);
        m_address.bind(5, random.pick(words::kTowns));
        m_address.bind(6, words::kCounty);
        m_address.bind(7, m_postcode1.view());
        m_address.bind(8, m_postcode2.view());
        m_address.bind(9, m_phone1.view());
        m_address.bind(10, m_phone2.view());
        m_address.bind(11, Word(""));
        m_address.bind(12, type);
        return run(m_address);
    }

    // Names such as "Stowmere Dental Practice Ltd"; the nickname is their initials or, for
    // some, a single blank.
    bool writeAccounts()
    {
        const int count = m_options.accounts;
        for (int index = 0; index < count; ++index) {
            const AccountProfile profile = accountProfile(m_options.seed, index);
            Random random = randomFor(m_options.seed, kAccountRows, index);
            const std::int64_t id = index + 1;
            m_name.clear()
                .add(random.pick(words::kTowns))
                .add(' ')
                .add(random.pick(words::kTrades));
            if (random.percent(50))
                m_name.add(' ').add(random.pick(words::kCompanySuffixes));
            m_nickname.clear();
            if (random.percent(30)) {
                m_nickname.add(' ');
            } else {
                const Word name = m_name.view();
                for (std::size_t at = 0; at < name.size(); ++at) {
                    if ((at == 0 || name[at - 1] == ' ') && name[at] >= 'A' && name[at] <= 'Z')
                        m_nickname.add(name[at]);
                }
            }
            personName(random, &m_contact);
            m_reference.clear().add("PO").number(profile.orderNumber);
            if (!writeAddress(random, id, kAccountAddress))
                return false;
            m_account.bind(1, id);
            m_account.bind(2, id);
            m_account.bind(3, m_name.view());
            m_account.bind(4, m_nickname.view());
            m_account.bind(5, m_contact.view());
            m_account.bind(6, Word(profile.fullInvoice ? "F" : "S"));
            m_account.bind(7, m_reference.view());
            m_account.bind(8, profile.costCode);
            if (!run(m_account))
                return false;
            report("accounts", index + 1, count);
        }
        return true;
    }

    // Their addresses follow the accounts' ones.
    bool writeDrivers()
    {
        const int count = m_options.drivers;
        for (int index = 0; index < count; ++index) {
            const DriverProfile profile = driverProfile(index);
            Random random = randomFor(m_options.seed, kDriverRows, index);
            const std::int64_t id = index + 1;
            const std::int64_t address = m_options.accounts + id;
            m_name.clear()
                .add(random.pick(words::kFirstNames))
                .add(' ')
                .add(random.pick(words::kSurnames));
            m_reference.clear().add("PH").digits(20000 + index, 5);
            if (!writeAddress(random, address, kDriverAddress))
                return false;
            m_driver.bind(1, id);
            m_driver.bind(2, address);
            m_driver.bind(3, m_name.view());
            m_driver.bind(4, m_name.view());
            m_driver.bind(5, m_reference.view());
            m_driver.bind(6, profile.selfEmployed ? 1 : 0);
            m_driver.bind(7, profile.barred ? 1 : 0);
            m_driver.bind(8, profile.percentage);
            if (!run(m_driver) || !writeVehicle(random, index, profile))
                return false;
            report("drivers", index + 1, count);
        }
        return true;
    }

    // The registration ("HQ18 ABC") is unique by the driver's index.
    bool writeVehicle(Random& random, int index, const DriverProfile& driver)
    {
        const QDate today = m_options.today;
        const int year = today.year() - index % 8;
        m_reference.clear().add("HQ").digits(year % 100, 2).add(' ');
        int letters = index;
        for (int place = 0; place < 3 || letters > 0; ++place, letters /= 26)
            m_reference.add(static_cast<char>('A' + letters % 26));
        m_name.clear().number(year);
        m_line.clear().add("Fleet policy FP-").digits(random.below(1000000), 6);
        const std::string roadTax = storedDate(today.addDays(10 + random.below(350))).toStdString();
        const std::string plated = storedDate(today.addDays(10 + random.below(350))).toStdString();
        const std::string insurance =
            storedDate(today.addDays(10 + random.below(350))).toStdString();
        m_vehicle.bind(1, m_reference.view());
        m_vehicle.bind(2, driver.vehicle + 1);
        m_vehicle.bind(3, index + 1);
        m_vehicle.bind(4, m_name.view());
        m_vehicle.bind(5, m_line.view());
        m_vehicle.bind(6, Word(driver.selfEmployed ? "Y" : "N"));
        m_vehicle.bind(7, roadTax);
        m_vehicle.bind(8, plated);
        m_vehicle.bind(9, insurance);
        m_vehicle.bind(10, capacity(driver.vehicle));
        return run(m_vehicle);
    }

    sqlite3* m_db;
    SqliteStatement m_address;
    SqliteStatement m_account;
    SqliteStatement m_driver;
    SqliteStatement m_vehicle;
    Text m_name, m_nickname, m_contact, m_reference, m_line, m_postcode1, m_postcode2, m_phone1,
        m_phone2;
};

} // namespace

bool writeFirmReferences(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
                         QString* error)
{
    return writeFirm<ReferenceWriter>(db, options, progress, error);
}

} // namespace velmora::firm
