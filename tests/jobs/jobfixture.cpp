#include "jobfixture.h"

using velmora::test::TestDatabase;

namespace {

int insert(TestDatabase& t, const QString& sql, const QVariantList& values)
{
    t.exec(sql, values);
    return t.value(QStringLiteral("select last_insert_rowid()")).toInt();
}

} // namespace

JobFixture::JobFixture(TestDatabase& t, bool vatRegistered) : db(t)
{
    driver = t.addDriver(QStringLiteral("Pete Walsh"));
    barred = t.addDriver(QStringLiteral("Barry Banned"));
    t.exec(QStringLiteral("update drivers set barred = 1 where driver_id = ?"), {barred});
    saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
    estate = t.addVehicleType(QStringLiteral("Estate Car"));
    const QString payment =
        QStringLiteral("insert into payment_types (paymentdescription) values (?)");
    byAccount = insert(t, payment, {QStringLiteral("Account")});
    cash = insert(t, payment, {QStringLiteral("Cash")});
    const QString type = QStringLiteral("insert into receipt_types (paymenttype) values (?)");
    fare = insert(t, type, {QStringLiteral("Fare")});
    parking = insert(t, type, {QStringLiteral("Parking")});
    creditNote = insert(t, type, {QStringLiteral("Credit Note")});
    acme = account(QStringLiteral("Acme Ltd"), QStringLiteral("Jo Bloggs"), QStringLiteral("acme"));
    obrien = account(QStringLiteral("O'Brien & Sons"), QStringLiteral("Pat O'Brien"));
    t.exec(QStringLiteral("insert into company (company_id, company_Name, company_vat) "
                          "values (1, 'Kestrel Cars', ?)"),
           {vatRegistered ? QStringLiteral("GB 123 4567 89") : QString()});
}

int JobFixture::account(const QString& name, const QString& contact, const QVariant& nickname)
{
    return insert(db,
                  QStringLiteral("insert into accounts (account_name, contact_name, nickname) "
                                 "values (?, ?, ?)"),
                  {name, contact, nickname});
}
