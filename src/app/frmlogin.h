#pragma once

#include <QDialog>
#include <QPointer>
#include <QSqlDatabase>

class QLineEdit;
class QPushButton;

namespace velmora {

class Dialogs;
class HelpWindow;

// The login window: checks an operator's name and password against `passwords`.
// Accepted on a successful login, with the operator's level in the hidden `slevel`;
// rejected by Cancel.
class frmLogin final : public QDialog
{
    Q_OBJECT

public:
    frmLogin(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    QString securityLevel() const;

private:
    void login();

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_userName;
    QLineEdit* m_password;
    QLineEdit* m_level;
    QPointer<HelpWindow> m_help;
};

} // namespace velmora
