#pragma once

#include "platform/scripteddialogs.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QPushButton>

namespace velmora::test {

// An account or driver screen (Window) on a test database, with the fields the two share
// found by name.
template <typename Window> struct AddressScreenFields
{
    AddressScreenFields(TestDatabase& t, ScriptedDialogs& dialogs) : window(t.db(), dialogs) {}
    bool open() { return activate(window); }

    Window window;
    QComboBox* list = child<QComboBox>(window, QStringLiteral("txtacc_name1"));
    QLineEdit* name = child<QLineEdit>(window, QStringLiteral("txtacc_name"));
    QComboBox* contact = child<QComboBox>(window, QStringLiteral("txtcompany_name"));
    QLineEdit* addr1 = child<QLineEdit>(window, QStringLiteral("txtaddr1"));
    QLineEdit* addr5 = child<QLineEdit>(window, QStringLiteral("txtaddr5"));
    QLineEdit* addr2 = child<QLineEdit>(window, QStringLiteral("txtaddr2"));
    QLineEdit* town = child<QLineEdit>(window, QStringLiteral("txtaddr3"));
    QLineEdit* county = child<QLineEdit>(window, QStringLiteral("txtaddr4"));
    QLineEdit* postcode1 = child<QLineEdit>(window, QStringLiteral("txtpostcode1"));
    QLineEdit* postcode2 = child<QLineEdit>(window, QStringLiteral("txtpostcode2"));
    QLineEdit* phone1 = child<QLineEdit>(window, QStringLiteral("txtphone1"));
    QLineEdit* phone2 = child<QLineEdit>(window, QStringLiteral("txtphone2"));
    QLineEdit* phone3 = child<QLineEdit>(window, QStringLiteral("txtphone3"));
    QAction* save = child<QAction>(window, QStringLiteral("mnusave"));
    QPushButton* clear = child<QPushButton>(window, QStringLiteral("Command1"));
};

// The ten columns and the type of the address row `id`, joined by "|", a NULL column shown
// as `null`; "<none>" when there is no such row.
inline QString addressRow(TestDatabase& t, const QVariant& id, const QString& null = {})
{
    const QStringList found = t.rows(
        QStringLiteral("select address_line1, address_line2, address_line3, address_town, "
                       "address_county, address_postcode1, address_postcode2, address_phone1, "
                       "address_phone2, address_phone3, address_type from addresses "
                       "where address_id = ?"),
        {id}, null);
    return found.isEmpty() ? QStringLiteral("<none>") : found.first();
}

} // namespace velmora::test
