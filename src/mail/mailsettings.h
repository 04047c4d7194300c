#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// How the connection to the mail server is protected.
enum class MailSecurity { StartTls, Tls, None };

// The company's mail server and sender, as kept with the company's details. The password
// is never among them: it is kept in a KeyStore under keyName().
struct MailSettings
{
    QString host;
    int port = 587;
    MailSecurity security = MailSecurity::StartTls;
    QString user;
    QString fromAddress;
    QString fromName;

    // The name the password is kept under: the user at the host.
    QString keyName() const { return user + QLatin1Char('@') + host; }
};

// The stored word for `security` ("starttls", "tls", "none") and back; nullopt for an
// unknown word.
QString securityWord(MailSecurity security);
std::optional<MailSecurity> securityFromWord(const QString& word);

// True when `address` looks like one mailbox (name@domain.tld, no spaces or brackets).
bool isMailAddress(const QString& address);

// Why `settings` cannot be used, naming the field; empty when they can. Security "none"
// is refused unless the server is on this computer (localhost or a loopback address).
QString mailSettingsFault(const MailSettings& settings);

// The company's mail settings; nullopt with the reason in *error when they cannot be read
// or none have been given (no host).
std::optional<MailSettings> readMailSettings(const QSqlDatabase& db, QString* error);

// Keeps `settings` with the company's details after checking them; false with the
// reason in *error, nothing changed.
bool saveMailSettings(const QSqlDatabase& db, const MailSettings& settings, QString* error);
// The same inside a transaction the caller holds.
bool writeMailSettings(const QSqlDatabase& db, const MailSettings& settings, QString* error);

} // namespace velmora
