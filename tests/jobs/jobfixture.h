#pragma once

#include "testdatabase.h"

#include <QString>

// The reference rows the job screen needs, with the numbers the database gave them.
struct JobFixture
{
    explicit JobFixture(velmora::test::TestDatabase& t, bool vatRegistered = true);

    int account(const QString& name, const QString& contact, const QVariant& nickname = {});

    velmora::test::TestDatabase& db;
    int driver = 0;    // "Pete Walsh"
    int barred = 0;    // "Barry Banned", barred
    int saloon = 0;    // "Saloon Car"
    int estate = 0;    // "Estate Car"
    int byAccount = 0; // payment type "Account"
    int cash = 0;      // payment type "Cash"
    int fare = 0;      // income and expense types "Fare", "Parking", "Credit Note"
    int parking = 0;
    int creditNote = 0;
    int acme = 0;   // account "Acme Ltd"
    int obrien = 0; // account "O'Brien & Sons"
};
