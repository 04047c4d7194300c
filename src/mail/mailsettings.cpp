#include "mailsettings.h"

#include "data/sql.h"

#include <QHostAddress>
#include <QObject>
#include <QRegularExpression>

namespace velmora {

namespace {

bool isLoopback(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QString securityWord(MailSecurity security)
{
    switch (security) {
    case MailSecurity::Tls:
        return QStringLiteral("tls");
    case MailSecurity::None:
        return QStringLiteral("none");
    case MailSecurity::StartTls:
        break;
    }
    return QStringLiteral("starttls");
}

std::optional<MailSecurity> securityFromWord(const QString& word)
{
    for (MailSecurity security : {MailSecurity::StartTls, MailSecurity::Tls, MailSecurity::None}) {
        if (word.trimmed().compare(securityWord(security), Qt::CaseInsensitive) == 0)
            return security;
    }
    return std::nullopt;
}

bool isMailAddress(const QString& address)
{
    static const QRegularExpression mailbox(
        QStringLiteral(R"(^[^\s@<>(),;:"\[\]\\]+@[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)+$)"));
    return address.size() <= 254 && mailbox.match(address).hasMatch();
}

QString mailSettingsFault(const MailSettings& settings)
{
    if (settings.host.trimmed().isEmpty())
        return QObject::tr("Please enter the mail server's name");
    if (settings.host.contains(QRegularExpression(QStringLiteral(R"([\s/:@])"))))
        return QObject::tr("The mail server '%1' is not a server name").arg(settings.host);
    if (settings.port < 1 || settings.port > 65535)
        return QObject::tr("The mail server's port must be a number from 1 to 65535");
    if (settings.security == MailSecurity::None && !isLoopback(settings.host))
        return QObject::tr("Mail may only be sent without encryption to a server on this "
                           "computer; choose STARTTLS or TLS for '%1'")
            .arg(settings.host);
    if (!isMailAddress(settings.fromAddress))
        return QObject::tr("The sender's address '%1' is not an e-mail address")
            .arg(settings.fromAddress);
    if (settings.fromName.contains(u'\n') || settings.fromName.contains(u'\r') ||
        settings.user.contains(u'\n') || settings.user.contains(u'\r'))
        return QObject::tr("The sender's name and the user name must be one line each");
    return {};
}

std::optional<MailSettings> readMailSettings(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select smtp_host, smtp_port, smtp_security, smtp_user, "
                            "mail_from_address, mail_from_name from company limit 1"),
             {}, error))
        return std::nullopt;
    if (!query.next() || query.value(0).toString().trimmed().isEmpty()) {
        *error = QObject::tr("No mail server is set: fill in the e-mail settings of the "
                             "company's details first.");
        return std::nullopt;
    }
    MailSettings settings;
    settings.host = query.value(0).toString().trimmed();
    settings.port = query.value(1).isNull() ? 587 : query.value(1).toInt();
    settings.security =
        securityFromWord(query.value(2).toString()).value_or(MailSecurity::StartTls);
    settings.user = query.value(3).toString();
    settings.fromAddress = query.value(4).toString().trimmed();
    settings.fromName = query.value(5).toString().trimmed();
    return settings;
}

bool saveMailSettings(const QSqlDatabase& db, const MailSettings& settings, QString* error)
{
    Transaction transaction(db);
    return transaction.begun(error) && writeMailSettings(db, settings, error) &&
           transaction.commit(error);
}

bool writeMailSettings(const QSqlDatabase& db, const MailSettings& settings, QString* error)
{
    *error = mailSettingsFault(settings);
    if (!error->isEmpty())
        return false;
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select count(*) from company"), {}, error) || !query.next())
        return false;
    if (query.value(0).toLongLong() == 0 &&
        !run(query, QStringLiteral("insert into company (company_id) values (1)"), {}, error))
        return false;
    return run(query,
               QStringLiteral("update company set smtp_host = ?, smtp_port = ?, "
                              "smtp_security = ?, smtp_user = ?, mail_from_address = ?, "
                              "mail_from_name = ?"),
               {settings.host.trimmed(), settings.port, securityWord(settings.security),
                settings.user, settings.fromAddress.trimmed(), settings.fromName.trimmed()},
               error);
}

} // namespace velmora
