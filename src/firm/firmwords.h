// The words that the generated firm's names, places and numbers are made of. All of it
// is invented; the postcodes use the area "HQ" and the telephone numbers the ranges kept
// for fiction.
#pragma once

#include <string_view>

namespace velmora::firm::words {

using Word = std::string_view;

inline constexpr Word kCounty = "Harnshire";

inline constexpr Word kTowns[] = {"Ashbridge",      "Stowmere",   "Elmsworth",      "Kingsford",
                                  "Brackley Cross", "Harnham",    "Little Harnham", "Pennyford",
                                  "Oakhurst",       "Wexcombe",   "Marlow Green",   "Tillingham",
                                  "Fenby",          "Castleford", "Redmarsh",       "Hollowell"};

inline constexpr Word kStreets[] = {
    "Station Road",  "Mill Lane",     "Church Street", "High Street",   "Chapel Street",
    "Park Avenue",   "Victoria Road", "Queens Road",   "Market Square", "Bridge Street",
    "London Road",   "Green Lane",    "School Lane",   "Orchard Close", "Manor Way",
    "Castle Street", "Wharf Road",    "Kings Drive",   "Meadow View",   "Elm Grove"};

// Places that journeys start or end at besides street addresses.
inline constexpr Word kPlaces[] = {"Ashbridge Station",        "Harnham General Hospital",
                                   "Stowmere Parkway Station", "Elmsworth Civic Centre",
                                   "Harnshire Airport",        "Riverside Hotel",
                                   "Kingsford Retail Park",    "Pennyford Industrial Park",
                                   "Oakhurst Leisure Centre",  "Wexcombe Golf Club"};

inline constexpr Word kFirstNames[] = {
    "James",   "Mary",  "David",  "Susan",  "Peter",  "Helen", "Robert", "Sarah",
    "Michael", "Janet", "Paul",   "Karen",  "Andrew", "Linda", "Mark",   "Julie",
    "Tom",     "Anita", "Rajesh", "Priya",  "Tomasz", "Agnes", "Kwame",  "Grace",
    "Liam",    "Chloe", "Omar",   "Fatima", "Connor", "Emma",  "Joseph", "Ruth"};

inline constexpr Word kSurnames[] = {
    "Pollard",  "Ashworth", "Carver",   "Whitlow", "Gedling",  "Okafor",    "Hollins",  "Mistry",
    "Coombes",  "Nowak",    "Brennan",  "Ashdown", "Ferreira", "Pritchard", "Smith",    "Jones",
    "Taylor",   "Brown",    "Patel",    "Khan",    "Wilson",   "Evans",     "Walker",   "Wright",
    "Robinson", "Thompson", "Hughes",   "Green",   "Lewis",    "Clarke",    "Kowalski", "Mensah",
    "Murphy",   "Byrne",    "Fletcher", "Marsh",   "Holloway", "Dunn",      "Barker",   "Quinn"};

inline constexpr Word kTitles[] = {"Mr", "Mrs", "Ms", "Miss", "Dr"};

inline constexpr Word kTrades[] = {
    "Engineering",        "Solicitors",     "Dental Practice",  "Care Homes",  "Builders",
    "Print Works",        "Estate Agents",  "Accountants",      "Motor Group", "Logistics",
    "Veterinary Surgery", "Medical Centre", "Primary School",   "Rugby Club",  "Hotel",
    "Garden Centre",      "Laboratories",   "Insurance",        "Surveyors",   "Bakery",
    "Plumbing",           "Pharmacy",       "Timber Merchants", "Architects",  "Packaging"};

inline constexpr Word kCompanySuffixes[] = {"Ltd", "& Co", "Group", "Services", "plc", "LLP"};

inline constexpr Word kCostCodes[] = {"ADMIN", "SALES",  "STAFF", "PATIENT", "TRANSPORT",
                                      "DOCS",  "GUESTS", "SITE",  "EVENTS",  "PROJECTS"};

inline constexpr Word kInstructions[] = {"Ring on arrival",
                                         "Wheelchair user, needs a hand with the chair",
                                         "Meet at the main entrance",
                                         "Flight number on the booking; allow for delays",
                                         "Two large cases",
                                         "Wait and return",
                                         "Collect the envelope from reception",
                                         "Child seat required"};

inline constexpr Word kRefundReasons[] = {"Late pick-up, goodwill", "Wrong vehicle sent",
                                          "Overcharged waiting time", "Journey cut short"};

} // namespace velmora::firm::words
