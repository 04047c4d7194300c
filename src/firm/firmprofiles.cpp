#include "firmprofiles.h"

#include "firmwords.h"

namespace velmora::firm {

Random randomFor(std::uint64_t seed, int kind, int index)
{
    return Random(seed ^ (static_cast<std::uint64_t>(kind) << 48) ^
                  (0xa0761d6478bd642fULL * static_cast<std::uint64_t>(index + 1)));
}

AccountProfile accountProfile(std::uint64_t seed, int index)
{
    // Its own stream, apart from the one its rows are written from.
    Random random = randomFor(seed, 3, index);
    AccountProfile account;
    account.discountPercent = index % 7 == 0 ? 10 : index % 3 == 0 ? 5 : 0;
    account.orderNumber = 10000 + random.below(90000);
    account.costCode = random.pick(words::kCostCodes);
    account.fullInvoice = random.percent(20);
    return account;
}

DriverProfile driverProfile(int index)
{
    using namespace demo;
    static constexpr VehicleType kFleet[] = {SaloonCar, SaloonCar, SaloonCar, SaloonCar,
                                             SaloonCar, SaloonCar, EstateCar, ExecutiveCar,
                                             Mpv,       CourierVan};
    DriverProfile driver;
    driver.barred = index % 20 == 7;
    driver.percentage = index % 3 == 1 ? 20 + index % 5 * 5 : 0;
    driver.selfEmployed = driver.percentage > 0 || index % 4 == 0;
    driver.vehicle = index % 20 == 9 ? Minibus : kFleet[index % 10];
    return driver;
}

void personName(Random& random, Text* name)
{
    name->clear()
        .add(random.pick(words::kTitles))
        .add(' ')
        .add(random.pick(words::kFirstNames).front())
        .add(' ')
        .add(random.pick(words::kSurnames));
}

} // namespace velmora::firm
