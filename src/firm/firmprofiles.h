// What the rows of an account or a driver and the jobs that name it agree on. It is worked
// out again from the seed and the index whenever it is needed, so that nothing about the
// accounts and drivers is kept in memory.
#pragma once

#include "demofirmdata.h"
#include "firmrandom.h"

#include <cstdint>
#include <string_view>

namespace velmora::firm {

// Every generated job, cost line and credit note carries this prefix.
inline constexpr std::string_view kFirmPrefix = "A";

// The passenger of three jobs only, for searches of a rare name.
inline constexpr std::string_view kRarePassenger = "Mrs Q Zanetti";

struct AccountProfile
{
    int discountPercent = 0; // on every receipt line of its jobs but parking and tolls
    int orderNumber = 0;     // the customer's reference is "PO" and this number
    std::string_view costCode;
    bool fullInvoice = false;
};

// Drivers numbered 7, 27, 47... are barred, 1, 4, 7... are paid a percentage.
struct DriverProfile
{
    int percentage = 0;
    bool barred = false;
    bool selfEmployed = false;
    demo::VehicleType vehicle = demo::SaloonCar;
};

// The generator of the rows of the account (`kind` 1) or driver (`kind` 2) numbered
// `index` from 0.
Random randomFor(std::uint64_t seed, int kind, int index);

AccountProfile accountProfile(std::uint64_t seed, int index);
DriverProfile driverProfile(int index);

// "Mrs J Pollard".
void personName(Random& random, Text* name);

} // namespace velmora::firm
