// The demonstration firm's rows, kept apart from the code that writes them.
#pragma once

#include <iterator>

namespace velmora::firm::demo {

// The names, towns, postcodes (area "HQ") and telephone numbers (the ranges kept for
// fiction) are invented.
inline constexpr const char* kCounty = "Harnshire";
inline constexpr const char* kPrefix = "A";
inline constexpr const char* kCompanyName = "Kestrel Cars Ltd";

enum VehicleType { SaloonCar, EstateCar, ExecutiveCar, Mpv, Minibus, CourierVan };
inline constexpr const char* kVehicleTypes[] = {"Saloon Car",   "Estate Car",       "Executive Car",
                                                "MPV 6 Seater", "Minibus 8 Seater", "Courier Van"};

enum PaymentType { ByAccount, ByCash, ByCard, ByCheque };
inline constexpr const char* kPaymentTypes[] = {"Account", "Cash", "Card", "Cheque"};

enum CostType { Fare, WaitingTime, Parking, Tolls, CreditNote, Fuel, Subcontract };
inline constexpr const char* kCostTypes[] = {"Fare",        "Waiting Time", "Parking",    "Tolls",
                                             "Credit Note", "Fuel",         "Subcontract"};

// Rows 8 and 9 are the address types that drivers' and accounts' addresses carry.
inline constexpr const char* kAddressTypes[] = {
    "Home", "Business", "Hotel", "Station", "Airport", "Hospital", "School", "Driver", "Account"};
inline constexpr int kDriverAddress = 8;
inline constexpr int kAccountAddress = 9;

struct Address
{
    const char* line1;
    const char* locality;
    const char* town;
    const char* postcode1;
    const char* postcode2;
    const char* phone1;
    const char* phone2;
};

enum AccountName {
    NoAccount = -1,
    Hospital,
    School,
    Solicitors,
    Hotel,
    Council,
    Engineering,
    CareHomes,
    ParcelExchange,
    RugbyClub,
    PrintWorks
};

struct Account
{
    const char* name;
    const char* nickname;
    const char* contact;
    const char* invoiceType;
    const char* reference;
    const char* costCode;
    int discountPercent; // agreed discount on every receipt line of its jobs
    Address address;
};

inline constexpr Account kAccounts[] = {
    {"Harnham General Hospital",
     "HGH",
     "Mrs Jean Pollard",
     "S",
     "HGH/PT",
     "PATIENT",
     5,
     {"Trust Offices, Infirmary Road", "Little Harnham", "Ashbridge", "HQ3", "8NR", "01632 960210",
      ""}},
    {"Stowmere Grammar School",
     "SGS",
     "Mr David Ashworth",
     "S",
     "SGS-TRIPS",
     "TRANSPORT",
     0,
     {"Chapel Street", "", "Stowmere", "HQ9", "2EL", "01632 960220", ""}},
    {"Brackley & Finch Solicitors",
     "B&F",
     "Ms Helen Carver",
     "F",
     "BF-CLIENT",
     "DOCS",
     0,
     {"17 Market Square", "", "Brackley Cross", "HQ15", "1AP", "01632 960230", "07700 900230"}},
    {"Riverside Hotel",
     "RIVERSIDE",
     "Mr Tom Whitlow",
     "S",
     "RH-GUEST",
     "GUESTS",
     10,
     {"The Embankment", "", "Ashbridge", "HQ1", "4RT", "01632 960240", ""}},
    {"Elmsworth Borough Council",
     "EBC",
     "Mr Peter Gedling",
     "F",
     "EBC-SOCSVC",
     "SOC-CARE",
     10,
     {"Civic Centre", "Castle Street", "Elmsworth", "HQ12", "6JH", "01632 960250", ""}},
    {"Kingsford Engineering Ltd",
     "KENG",
     "Mrs Sandra Okafor",
     "S",
     "KE-STAFF",
     "ADMIN",
     0,
     {"Unit 12, Pennyford Industrial Park", "", "Kingsford", "HQ7", "3QS", "01632 960260", ""}},
    {"Mereside Care Homes",
     "MERESIDE",
     "Miss Rachel Dunmore",
     "S",
     "MCH",
     "RESIDENTS",
     5,
     {"Mereside House", "Lake Road", "Stowmere", "HQ9", "5WB", "01632 960270", ""}},
    {"Harnshire Parcel Exchange",
     "HPX",
     "Mr Ian McBride",
     "F",
     "HPX-SD",
     "COURIER",
     0,
     {"Depot 2, Station Approach", "", "Ashbridge", "HQ2", "7LG", "01632 960280", "07700 900280"}},
    {"Ashbridge Rugby Club",
     "ARC",
     "Mr Gareth Powell",
     "S",
     "ARC-1XV",
     "TEAM",
     0,
     {"Fenwick Park", "Dunmore Lane", "Ashbridge", "HQ4", "1ZB", "01632 960290", "07700 900290"}},
    {"Pennington Print Works",
     "PENNY",
     "Mr Alan Hext",
     "S",
     "PPW",
     "SALES",
     0,
     {"4 Tanners Yard", "", "Elmsworth", "HQ12", "9BD", "01632 960300", ""}},
};

enum DriverName { Hollins, Mistry, Coombes, Nowak, Brennan, Ashdown, Ferreira, Pritchard };

struct Driver
{
    const char* name;
    const char* contact;
    const char* licence;
    bool selfEmployed;
    bool barred;
    int percentage;
    Address address;
    int badgeDays; // from today; below zero when it has run out
    int licenceDays;
    int dbsDays;
};

inline constexpr Driver kDrivers[] = {
    {"Steve Hollins",
     "Karen Hollins",
     "PH 0412",
     true,
     false,
     0,
     {"27 Orchard Way", "", "Ashbridge", "HQ3", "2DF", "01632 960311", "07700 900311"}, 240, 900, 400},
    {"Raj Mistry",
     "Priya Mistry",
     "PH 0419",
     true,
     false,
     30,
     {"8 Beech Crescent", "", "Kingsford", "HQ7", "1HB", "01632 960312", "07700 900312"}, 180, 1200, 300},
    {"Dave Coombes",
     "Sue Coombes",
     "PH 0427",
     false,
     false,
     0,
     {"112 Station Road", "", "Elmsworth", "HQ12", "4LT", "", "07700 900313"}, 300, 700, 25},
    {"Marek Nowak",
     "Anna Nowak",
     "PH 0433",
     true,
     false,
     25,
     {"Flat 2", "41 Mill Street", "Ashbridge", "HQ1", "7PE", "", "07700 900314"}, 150, 1500, 500},
    {"Lisa Brennan",
     "Mark Brennan",
     "PH 0440",
     false,
     false,
     0,
     {"3 Heron Close", "", "Stowmere", "HQ9", "8UA", "01632 960315", "07700 900315"}, 90, 12, 600},
    {"Colin Ashdown",
     "Jim Ashdown",
     "PH 0388",
     true,
     true,
     0,
     {"59 Gasworks Lane", "", "Brackley Cross", "HQ15", "3RJ", "", "07700 900316"}, -40, 400, 200},
    {"Tony Ferreira",
     "Maria Ferreira",
     "PH 0451",
     true,
     false,
     0,
     {"16 Kestrel Rise", "", "Ashbridge", "HQ4", "6NW", "01632 960317", "07700 900317"}, -10, 800, 350},
    {"Gwen Pritchard",
     "Owen Pritchard",
     "PH 0456",
     false,
     false,
     0,
     {"2 Chapel Row", "Little Harnham", "Ashbridge", "HQ3", "9GS", "", "07700 900318"}, 365, 1000, 450},
};

struct Vehicle
{
    const char* registration;
    VehicleType type;
    DriverName driver;
    const char* firstRegistered;
    const char* policy;
    const char* driverOwned;
    int roadTaxDays; // from today; below zero when it has run out
    int platedDays;
    int insuranceDays;
    int capacity;
};

inline constexpr Vehicle kVehicles[] = {
    {"HN19 KXT", SaloonCar, Hollins, "2019", "Harnshire Mutual PH-448127", "Y", 120, 200, 45, 4},
    {"HN67 RBZ", EstateCar, Mistry, "2017", "Ashbridge Motor AMP/20931", "Y", 30, 9, 150, 4},
    {"HV21 OWP", ExecutiveCar, Coombes, "2021", "Fleetguard FG-77310", "N", 200, 300, 90, 4},
    {"HV18 LMC", Mpv, Nowak, "2018", "Harnshire Mutual PH-451066", "Y", -5, 60, 6, 6},
    {"HT70 GDU", Minibus, Brennan, "2020", "Fleetguard FG-77311", "N", 75, 110, 90, 8},
    {"HT66 VNE", CourierVan, Ferreira, "2016", "Fleetguard FG-77312", "N", 15, 40, 90, 2},
};

// Who books the firm's work, and the journey each books.
struct Booker
{
    AccountName account;
    PaymentType payment;
    const char* passenger;
    const char* from;
    const char* to;
    int farePence;
    VehicleType vehicle;
    int parkingPence; // airport parking paid out and charged on
    const char* instructions;
};

inline constexpr Booker kBookers[] = {
    {Hospital, ByAccount, "Mr R. Threlfall", "31 Vicarage Lane, Little Harnham",
     "Harnham General Hospital, Outpatients", 1450, SaloonCar, 0, "Folding wheelchair"},
    {Hospital, ByAccount, "Mrs E. Bancroft", "Harnham General Hospital, Main Entrance",
     "9 Willow Court, Stowmere", 2100, EstateCar, 0, ""},
    {School, ByAccount, "Year 9 Netball Team", "Stowmere Grammar School",
     "Ashbridge Leisure Centre", 4200, Minibus, 0, "Eight pupils, Miss Hale in charge"},
    {Solicitors, ByAccount, "Court bundle for Ms Carver", "17 Market Square, Brackley Cross",
     "County Court, Castle Street, Elmsworth", 2750, CourierVan, 0, "Signature on delivery"},
    {Solicitors, ByAccount, "Mr J. Whitcombe", "Brackley Cross Station",
     "17 Market Square, Brackley Cross", 650, ExecutiveCar, 0, ""},
    {Hotel, ByAccount, "Mr & Mrs Lindqvist", "Riverside Hotel, The Embankment, Ashbridge",
     "Harnshire Airport, Terminal 1", 4800, ExecutiveCar, 450, "Two large cases"},
    {Hotel, ByAccount, "Dr A. Mensah", "Harnshire Airport, Terminal 1",
     "Riverside Hotel, The Embankment, Ashbridge", 4800, SaloonCar, 450, "Name board in arrivals"},
    {Council, ByAccount, "Mrs D. Orchard", "4 Alder Walk, Elmsworth",
     "Elmsworth Day Centre, Priory Road", 1100, SaloonCar, 0, "Return at 15:00"},
    {Engineering, ByAccount, "Mr P. Sutcliffe", "Kingsford Station",
     "Unit 12, Pennyford Industrial Park, Kingsford", 900, SaloonCar, 0, ""},
    {Engineering, ByAccount, "Parts for Line 3", "Unit 12, Pennyford Industrial Park, Kingsford",
     "Depot 2, Station Approach, Ashbridge", 3400, CourierVan, 0, "Two boxes, 18 kg"},
    {CareHomes, ByAccount, "Mr H. Gorton", "Mereside House, Lake Road, Stowmere",
     "Harnham General Hospital, Outpatients", 1950, Mpv, 0, "Carer travelling"},
    {ParcelExchange, ByAccount, "Parcel for Dunmore & Co", "Depot 2, Station Approach, Ashbridge",
     "8 Wool Street, Kingsford", 2200, CourierVan, 0, ""},
    {RugbyClub, ByAccount, "1st XV Squad", "Fenwick Park, Dunmore Lane, Ashbridge",
     "Kingsford Rugby Ground, Meadow Road", 6500, Minibus, 0, "Kit bags"},
    {PrintWorks, ByAccount, "Proofs for Kingsford Eng.", "4 Tanners Yard, Elmsworth",
     "Unit 12, Pennyford Industrial Park, Kingsford", 1800, CourierVan, 0, ""},
    {NoAccount, ByCash, "Mrs S. Halloran", "14 Elm Grove, Ashbridge", "Ashbridge Station", 850,
     SaloonCar, 0, ""},
    {NoAccount, ByCard, "Mr K. Ogunleye", "Ashbridge Station", "22 Foxglove Drive, Stowmere", 1600,
     SaloonCar, 0, ""},
    {NoAccount, ByCash, "Miss L. Tranter", "The Crown, Market Square, Brackley Cross",
     "6 Linden Avenue, Kingsford", 1850, SaloonCar, 0, "Ring on arrival"},
    {NoAccount, ByCard, "Mr G. Haworth", "6 Linden Avenue, Kingsford",
     "Harnshire Airport, Terminal 2", 5200, EstateCar, 450, "Golf clubs"},
    {NoAccount, ByCash, "The Pryce Family", "52 Quarry Hill, Elmsworth", "Elmsworth Station", 1400,
     Mpv, 0, "Child seat"},
    {NoAccount, ByCheque, "Mr B. Ellery", "Ashbridge Leisure Centre", "3 Rook Lane, Little Harnham",
     1200, SaloonCar, 0, ""},
};

// Jobs a day, from a week ago to three days ahead; today's run through every state.
inline constexpr int kFirstDay = -7;
inline constexpr int kJobsPerDay[] = {4, 5, 4, 5, 4, 4, 5, 6, 5, 4, 4};
inline constexpr const char* kTodayStatuses[] = {"C", "C", "P", "B", "I", "I"};
static_assert(std::ssize(kJobsPerDay) > -kFirstDay &&
              kJobsPerDay[-kFirstDay] == std::ssize(kTodayStatuses));

} // namespace velmora::firm::demo
