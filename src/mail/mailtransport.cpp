#include "mailtransport.h"

#include <QDateTime>
#include <QObject>
#include <QUuid>

#include <memory>

#include <curl/curl.h>

namespace velmora {

namespace {

// The last line the server sent, kept from libcurl's trace.
int keepServerLine(CURL*, curl_infotype type, char* data, size_t size, void* last)
{
    if (type == CURLINFO_HEADER_IN) {
        const QString line = QString::fromUtf8(data, qsizetype(size)).trimmed();
        if (!line.isEmpty())
            *static_cast<QString*>(last) = line;
    }
    return 0;
}

struct SlistFree
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MimeFree
{
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

QByteArray angled(const QString& address) { return '<' + address.toUtf8() + '>'; }

bool isPlain(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

} // namespace

QByteArray headerText(const QString& text)
{
    if (isPlain(text))
        return text.toUtf8();
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

SmtpTransport::SmtpTransport(MailSettings settings, QString password)
    : m_settings(std::move(settings)), m_password(std::move(password)), m_curl(curl_easy_init())
{
}

SmtpTransport::~SmtpTransport()
{
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

bool SmtpTransport::send(const OutgoingMail& mail, QString* answer)
{
    auto* curl = static_cast<CURL*>(m_curl);
    if (!curl) {
        *answer = QObject::tr("the mail library could not be started");
        return false;
    }
    const QString scheme =
        m_settings.security == MailSecurity::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp");
    const QByteArray url =
        QStringLiteral("%1://%2:%3").arg(scheme, m_settings.host).arg(m_settings.port).toUtf8();
    const QByteArray user = m_settings.user.toUtf8();
    const QByteArray password = m_password.toUtf8();
    const QByteArray from = angled(mail.fromAddress);
    const QByteArray to = angled(mail.to);

    std::unique_ptr<curl_slist, SlistFree> recipients(curl_slist_append(nullptr, to.constData()));
    const QByteArray sender =
        mail.fromName.isEmpty() ? from
                                : '"' + headerText(mail.fromName).replace('"', "'") + "\" " + from;
    const QList<QByteArray> lines = {
        "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toUtf8(),
        "From: " + sender,
        "To: " + to,
        "Subject: " + headerText(mail.subject),
        "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' +
            mail.fromAddress.section(u'@', 1).toUtf8() + '>',
    };
    std::unique_ptr<curl_slist, SlistFree> headers;
    for (const QByteArray& line : lines)
        headers.reset(curl_slist_append(headers.release(), line.constData()));

    std::unique_ptr<curl_mime, MimeFree> mime(curl_mime_init(curl));
    curl_mimepart* text = curl_mime_addpart(mime.get());
    const QByteArray body = mail.text.toUtf8();
    curl_mime_data(text, body.constData(), size_t(body.size()));
    curl_mime_type(text, "text/plain; charset=utf-8");
    curl_mime_encoder(text, "quoted-printable");
    curl_mimepart* file = curl_mime_addpart(mime.get());
    curl_mime_data(file, mail.attachment.constData(), size_t(mail.attachment.size()));
    curl_mime_type(file, "application/pdf");
    curl_mime_filename(file, mail.attachmentName.toUtf8().constData());
    curl_mime_encoder(file, "base64");

    QString lastLine;
    char reason[CURL_ERROR_SIZE] = {};
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    if (m_settings.security == MailSecurity::StartTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime.get());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 300L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, keepServerLine);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &lastLine);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    const CURLcode result = curl_easy_perform(curl);
    if (result == CURLE_OK)
        return true;
    const QString why =
        reason[0] ? QString::fromUtf8(reason) : QString::fromUtf8(curl_easy_strerror(result));
    *answer = lastLine.isEmpty() || result == CURLE_COULDNT_CONNECT
                  ? why
                  : QObject::tr("%1 (the server said: %2)").arg(why, lastLine);
    return false;
}

} // namespace velmora
