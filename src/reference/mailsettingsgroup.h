#pragma once

#include "mail/mailsettings.h"

#include <QGroupBox>

class QComboBox;
class QLineEdit;

namespace velmora {

// The company's e-mail settings as a group of fields: mail server, port, security, user
// name, password and the sender's address and name. The password field never shows the
// kept password: what is typed there replaces it.
class MailSettingsGroup final : public QGroupBox
{
    Q_OBJECT

public:
    explicit MailSettingsGroup(QWidget* parent = nullptr);

    void display(const MailSettings& settings);
    // The settings as typed (a port that is not a number reads as 0).
    MailSettings typed() const;
    // True when no field of the group holds anything (the firm sends no mail).
    bool isEmpty() const;
    // The password typed since the settings were shown; empty when none.
    QString password() const;
    void clearPassword();
    // The fields in tab order.
    QList<QWidget*> fields() const;

private:
    QLineEdit* m_host;
    QLineEdit* m_port;
    QComboBox* m_security;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_fromAddress;
    QLineEdit* m_fromName;
};

} // namespace velmora
