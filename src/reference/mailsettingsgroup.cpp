#include "mailsettingsgroup.h"

#include "platform/screenparts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

#include <algorithm>
#include <iterator>

namespace velmora {

namespace {

const MailSecurity kSecurities[] = {MailSecurity::StartTls, MailSecurity::Tls, MailSecurity::None};

} // namespace

MailSettingsGroup::MailSettingsGroup(QWidget* parent)
    : QGroupBox(tr("E-mail Settin&gs"), parent),
      m_host(lineEdit("txtsmtp_host", tr("The name of the mail server, e.g. smtp.example.com"))),
      m_port(lineEdit("txtsmtp_port", tr("The mail server's port: 587 for STARTTLS, 465 for "
                                         "TLS"))),
      m_security(named(new QComboBox, "cbosmtp_security",
                       tr("How the connection to the mail server is protected; none only for a "
                          "server on this computer"))),
      m_user(lineEdit("txtsmtp_user", tr("The user name to log in with; empty when the "
                                         "server asks for none"))),
      m_password(lineEdit("txtsmtp_password",
                          tr("Kept in the desktop's key store, never in the database; leave "
                             "empty to keep the password kept"))),
      m_fromAddress(lineEdit("txtmail_from_address", tr("The address invoices are sent from"))),
      m_fromName(lineEdit("txtmail_from_name", tr("The name invoices are sent by")))
{
    setObjectName(QStringLiteral("grpmail"));
    m_security->addItems({tr("STARTTLS"), tr("TLS"), tr("None")});
    m_password->setEchoMode(QLineEdit::Password);
    fitWidth(m_port, 5);
    for (QLineEdit* field : {m_host, m_user, m_password, m_fromAddress, m_fromName})
        field->setMaxLength(254);
    auto* grid = new QGridLayout(this);
    addCaptioned(grid, 0, tr("Mail Server"), m_host);
    setFocusProxy(m_host);
    addCaptioned(grid, 1, tr("Server Port"), m_port);
    addCaptioned(grid, 2, tr("Sec&urity"), m_security);
    addCaptioned(grid, 3, tr("Log In As"), m_user);
    addCaptioned(grid, 4, tr("Pass&word"), m_password);
    addCaptioned(grid, 5, tr("E-mail Sent From"), m_fromAddress);
    addCaptioned(grid, 6, tr("Sender's Name"), m_fromName);
    display(MailSettings{});
}

void MailSettingsGroup::display(const MailSettings& settings)
{
    m_host->setText(settings.host);
    m_port->setText(QString::number(settings.port));
    m_security->setCurrentIndex(
        int(std::find(std::begin(kSecurities), std::end(kSecurities), settings.security) -
            std::begin(kSecurities)));
    m_user->setText(settings.user);
    m_password->clear();
    m_fromAddress->setText(settings.fromAddress);
    m_fromName->setText(settings.fromName);
}

MailSettings MailSettingsGroup::typed() const
{
    MailSettings settings;
    settings.host = m_host->text().trimmed();
    settings.port = m_port->text().trimmed().toInt();
    settings.security = kSecurities[std::clamp(m_security->currentIndex(), 0, 2)];
    settings.user = m_user->text();
    settings.fromAddress = m_fromAddress->text().trimmed();
    settings.fromName = m_fromName->text().trimmed();
    return settings;
}

bool MailSettingsGroup::isEmpty() const
{
    for (const QLineEdit* field : {m_host, m_user, m_password, m_fromAddress, m_fromName}) {
        if (!field->text().trimmed().isEmpty())
            return false;
    }
    return true;
}

QString MailSettingsGroup::password() const { return m_password->text(); }

void MailSettingsGroup::clearPassword() { m_password->clear(); }

QList<QWidget*> MailSettingsGroup::fields() const
{
    return {m_host, m_port, m_security, m_user, m_password, m_fromAddress, m_fromName};
}

} // namespace velmora
