#pragma once

#include "platform/fieldsnapshot.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QComboBox;
class QLineEdit;

namespace velmora {

class Dialogs;
class FieldEvents;

// Operator maintenance ("Maintain Users"): adds operators and changes an operator's
// password and security level. A name that is already stored is found when the name field
// is left, and saving then changes that operator instead of adding one. Passwords are kept
// only as hashes, so an existing operator's password field comes up empty and every save
// sets the password typed.
class frmsecurity final : public QMainWindow
{
    Q_OBJECT

public:
    frmsecurity(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    void userNameLeft();
    // True when `text` is not empty; otherwise shows `message` and puts the focus into
    // `field`.
    bool present(QWidget* field, const QString& text, const QString& message);
    bool save();
    void closeEvent(QCloseEvent* event) override;

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    FieldEvents* m_events;
    QLineEdit* m_userName;
    QLineEdit* m_password;
    QComboBox* m_level;
    FieldSnapshot m_shown; // the fields as stored or emptied
};

} // namespace velmora
