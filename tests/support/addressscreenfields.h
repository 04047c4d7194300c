#pragma once

#include "platform/scripteddialogs.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QPushButton>

namespace velmora::test {

// An account or driver screen (Window) on its own test database, with the fields the two
// share found by name.
template <typename Window> struct AddressScreenFields
{
    bool open() { return activate(window); }

    // Forgets the boxes shown so far, saves and gives the boxes the save showed.
    QStringList saving() { return shownBy(dialogs, save); }
    // Fills the address fields in screen order (line 1, line 2 below it, line 3, town,
    // county, postcodes, phones) from `texts`, directly (no focus moves).
    void fillAddress(const QStringList& texts)
    {
        const QList<QLineEdit*> fields{addr1,     addr5,     addr2,  town,   county,
                                       postcode1, postcode2, phone1, phone2, phone3};
        for (qsizetype i = 0; i < fields.size(); ++i)
            fields[i]->setText(texts.value(i));
    }
    // How many address rows there are.
    qlonglong addresses() { return t.count(QStringLiteral("select count(*) from addresses")); }

    TestDatabase t;
    ScriptedDialogs dialogs;
    Window window{t.db(), dialogs};
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
