#pragma once

#include "mailsettings.h"

#include <QByteArray>
#include <QString>

namespace velmora {

// One message: a short text with one attachment.
struct OutgoingMail
{
    QString fromAddress;
    QString fromName;
    QString to;
    QString subject;
    QString text;
    QString attachmentName;
    QByteArray attachment; // a PDF
};

// What sends mail: the mail server over SMTP, or a test's own.
class MailTransport
{
public:
    virtual ~MailTransport() = default;
    // Sends `mail`; false with the server's answer (or why it could not be reached) in
    // *answer.
    virtual bool send(const OutgoingMail& mail, QString* answer) = 0;
};

// Sends through the mail server of `settings` with libcurl, logging in as the settings'
// user with `password` when there is a user. One connection is kept for the messages of
// a run.
class SmtpTransport final : public MailTransport
{
public:
    SmtpTransport(MailSettings settings, QString password);
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    bool send(const OutgoingMail& mail, QString* answer) override;

private:
    MailSettings m_settings;
    QString m_password;
    void* m_curl = nullptr;
};

// The message's header value `text` as RFC 2047 encoded words when it is not plain ASCII.
QByteArray headerText(const QString& text);

} // namespace velmora
