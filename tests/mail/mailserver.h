#pragma once

#include "cliprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace velmora::test {

// A mail server of the test's own (aiosmtpd), for the life of the object.
class MailServer
{
public:
    explicit MailServer(const QString& folder, const QStringList& options = {}) : m_folder(folder)
    {
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral(VELMORA_MAIL_TESTS "/smtpserver.py"), folder} +
                            options);
        if (m_process.waitForReadyRead(20000)) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("PORT "))
                port = line.mid(5).toInt();
        }
        if (port == 0)
            qWarning("the mail server did not start: %s",
                     m_process.readAllStandardError().constData());
    }
    ~MailServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }

    // The messages kept so far: to, subject, from, text and attachment (written to `out`).
    QJsonArray messages(const QString& out) const
    {
        const Outcome read =
            runProgram(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(VELMORA_MAIL_TESTS "/readmailbox.py"), m_folder, out}, {});
        if (read.exitCode != 0)
            qWarning("%s", qPrintable(read.err));
        return QJsonDocument::fromJson(read.out.toUtf8()).array();
    }

    int port = 0;

private:
    QString m_folder;
    QProcess m_process;
};

} // namespace velmora::test
