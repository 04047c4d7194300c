#include "reportfirm.h"

#include "data/dates.h"
#include "data/money.h"

namespace velmora::test {

namespace {

QVariant money(const char* amount)
{
    return Money::parse(QString::fromLatin1(amount))->toVariant();
}

void addInvoice(TestDatabase& db, int number, int account, QDate date, const char* net,
                const char* paid)
{
    db.exec(QStringLiteral("insert into invoice_header (invoice_no, date, account_no, company_id, "
                           "gross_value, net_value, amount_paid) values (?, ?, ?, 1, ?, ?, ?)"),
            {number, storedDate(date) + QStringLiteral(" 10:30:00"), account, money(net),
             money(net), money(paid)});
}

int addJob(TestDatabase& db, QDate date, const char* time, const char* passenger, const char* from,
           const char* to, const char* status, int driver)
{
    db.exec(QStringLiteral("insert into jobs (job_prefix, date, time, passenger_name, "
                           "address_from, address_to, record_status, vehicle_type, driver) "
                           "values ('A', ?, ?, ?, ?, ?, ?, 1, ?)"),
            {storedDate(date), QLatin1String(time), QString::fromUtf8(passenger),
             QLatin1String(from), QLatin1String(to), QLatin1String(status), driver});
    return db.value(QStringLiteral("select max(job_id) from jobs")).toInt();
}

void addCost(TestDatabase& db, int job, const char* side, const char* description, const char* net)
{
    db.exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, income_expence, "
                           "description, gross_cost, net_cost) values ('A', ?, 1, ?, ?, ?, ?)"),
            {job, QLatin1String(side), QLatin1String(description), money(net), money(net)});
}

void addVehicle(TestDatabase& db, const char* reg, int type, int driver, int capacity,
                const char* owned, QDate roadTax, QDate plated, QDate insurance)
{
    db.exec(QStringLiteral("insert into vehicles (reg_no, vehicle_type, driver_id, capacity, "
                           "driver_owned, road_tax, plated, insurance) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {QLatin1String(reg), type, driver, capacity, QLatin1String(owned), storedDate(roadTax),
             storedDate(plated), storedDate(insurance)});
}

} // namespace

void addReportFirm(TestDatabase& db, QDate today)
{
    db.exec(QStringLiteral(
        "insert into company (company_id, company_Name, company_heading, company_addr1, "
        "company_town, company_county, company_postcode1, company_postcode2, company_tel1, "
        "company_e_mail, company_vat) values (1, 'Northgate Private Hire Ltd', "
        "'Cars, couriers and airport transfers', '14 Station Approach', 'Harrogate', "
        "'North Yorkshire', 'HG1', '1TE', '01423 555010', 'office@northgate.example', "
        "'GB 123 4567 89')"));

    db.exec(QStringLiteral("insert into accounts (account_id, account_name, contact_name) values "
                           "(1, 'Ashdown Legal LLP', 'Mrs P. Hale'), "
                           "(2, 'Brightwater Hotel', 'Front desk'), "
                           "(3, 'Crowther Engineering', 'Mr D. Crowther')"));
    addInvoice(db, 101, 1, today.addDays(-10), "1234.50", "0");
    addInvoice(db, 102, 1, today.addDays(-45), "500.00", "120.25");
    addInvoice(db, 103, 2, today.addDays(-75), "88.40", "0");
    addInvoice(db, 104, 2, today.addDays(-200), "2000.00", "1000.00");
    addInvoice(db, 105, 3, today.addDays(-20), "300.00", "300.00");
    addInvoice(db, 106, 2, today.addDays(-30), "10.00", "0");
    addInvoice(db, 107, 2, today.addDays(-31), "20.00", "0");

    const int saloon = db.addVehicleType(QStringLiteral("Saloon Car"));
    const int executive = db.addVehicleType(QStringLiteral("Executive"));
    const int minibus = db.addVehicleType(QStringLiteral("8 Seater"));
    const int dave = db.addDriver(QStringLiteral("Dave Kettering"));
    const int sunita = db.addDriver(QStringLiteral("Sunita Rao"));
    db.addDriver(QStringLiteral("Tom Ellery"));

    addVehicle(db, "YX21 ABC", saloon, dave, 4, "N", today.addDays(100), today.addDays(30),
               today.addDays(-5));
    addVehicle(db, "HG70 KLM", executive, sunita, 4, "Y", today.addDays(-40), today.addDays(200),
               today.addDays(150));
    addVehicle(db, "LR19 XYZ", minibus, 0, 8, "N", today.addDays(60), today.addDays(90),
               today.addDays(120));

    const int patel = addJob(db, today.addDays(-2), "09:15:00", "Mr J. Patel", "Harrogate Station",
                             "Leeds Bradford Airport", "C", dave);
    addCost(db, patel, "I", "Journey", "45.00");
    addCost(db, patel, "I", "Waiting time", "5.50");
    addCost(db, patel, "E", "Fuel", "12.00");
    const int wright = addJob(db, today, "14:30:00", "Ms K. Wright", "12 Valley Drive",
                              "Harrogate Hospital", "P", dave);
    addCost(db, wright, "I", "Journey", "12.80");
    addJob(db, today.addDays(1), "07:00:00", "Dr A. Osei", "Old Swan Hotel", "York Station", "I",
           sunita);
    const int lund = addJob(db, today.addDays(-5), "18:45:00", "Mr & Mrs Lund",
                            "Ripon Market Place", "Manchester Airport T2", "C", sunita);
    addCost(db, lund, "I", "Journey", "1150.25");
    const int parcel = addJob(db, today.addDays(2), "10:00:00", "Parcel for Crowther",
                              "Crowther Engineering", "Leeds Parcel Depot", "I", 0);
    addCost(db, parcel, "I", "Courier", "20.00");

    db.exec(QStringLiteral("insert into jobboard (\"Customer Name\") values ('Mrs Henderson')"));
}

} // namespace velmora::test
