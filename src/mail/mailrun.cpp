#include "mailrun.h"

#include "data/databaselocation.h"
#include "data/dates.h"
#include "data/sql.h"
#include "keystore.h"
#include "reports/reportfolder.h"
#include "reports/reportjob.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

namespace velmora {

std::optional<MailServer> mailServer(const QSqlDatabase& db, KeyStore& keys, QString* error)
{
    const auto settings = readMailSettings(db, error);
    if (!settings)
        return std::nullopt;
    if (const QString fault = mailSettingsFault(*settings); !fault.isEmpty()) {
        *error = fault;
        return std::nullopt;
    }
    MailServer server{*settings, {}};
    if (!settings->user.isEmpty()) {
        const auto kept = keys.read(settings->keyName(), error);
        if (!kept)
            return std::nullopt;
        server.password = *kept;
    }
    return server;
}

QString firmName(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (run(query, QStringLiteral("select company_Name from company limit 1")) && query.next())
        return query.value(0).toString().trimmed();
    return {};
}

MailRun mailRun(const QSqlDatabase& db, const MailSettings& settings, const QString& firm,
                MailTransport& transport, WorkProgress& progress, SendRecord record)
{
    return {db,
            transport,
            progress,
            settings.fromAddress,
            settings.fromName.isEmpty() ? firm : settings.fromName,
            std::move(record)};
}

namespace {

// Runs `sql` with `values`; false with the reason in *error, or with `taken` there when no
// row changed.
bool markOne(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
             const QString& taken, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, sql, values, error))
        return false;
    if (query.numRowsAffected() == 1)
        return true;
    *error = taken;
    return false;
}

} // namespace

bool sendRecorded(const MailRun& run, const OutgoingMail& mail, const QVariantList& key,
                  QString* why)
{
    const SendRecord& record = run.record;
    const QString begun = storedStamp(QDateTime::currentDateTime());
    if (!markOne(run.db, record.begin, QVariantList{begun} + key, record.taken, why))
        return false;
    if (!run.transport.send(mail, why)) {
        QString unmarked;
        if (!markOne(run.db, record.forget, key, record.taken, &unmarked))
            *why += QStringLiteral("; ") + unmarked;
        return false;
    }
    const QString sent = storedStamp(QDateTime::currentDateTime());
    if (!markOne(run.db, record.sent, QVariantList{sent, mail.to} + key, record.taken, why)) {
        *why = QObject::tr("sent, but not recorded as sent: %1").arg(*why);
        return false;
    }
    return true;
}

QByteArray reportPdf(const QSqlDatabase& db, const QString& report, const QList<BoundSql>& choose,
                     QString* error)
{
    Transaction chosen(db);
    if (!chosen.begun(error))
        return {};
    QSqlQuery query(db);
    for (const auto& [sql, values] : choose) {
        if (!run(query, sql, values, error))
            return {};
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = folder.errorString();
        return {};
    }
    const QString path = folder.filePath(QStringLiteral("document.pdf"));
    reports::ReportRequest request;
    request.reportPath = reports::reportPath(report);
    request.databasePath = databaseAddress(db);
    request.connection = db;
    reports::PdfFileOutput output(path, {db.databaseName(), {request.reportPath}, false});
    reports::ReportControl control;
    const reports::ReportError failed = reports::runReportJob(request, output, control);
    if (failed.number != 0) {
        *error = failed.text;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    return file.readAll();
}

QString sentNote(const QString& what, const QString& address)
{
    return QObject::tr("Sent %1 to %2").arg(what, address);
}

QString notSentNote(const QString& what, const QString& address, const QString& answer)
{
    return QObject::tr("Not sent: %1 to %2: %3").arg(what, address, answer);
}

QString notSentAgainNote(const QString& what, const QString& address)
{
    return QObject::tr("Not sent again: %1 to %2 was being sent when a run stopped; check "
                       "whether it arrived")
        .arg(what, address);
}

QString toPrintNote(const QString& what)
{
    return QObject::tr("To print (no e-mail address): %1").arg(what);
}

QString mailRunSummary(qsizetype sent, qsizetype notSent, qsizetype toPrint)
{
    return QObject::tr("%1 sent, %2 not sent, %3 to print").arg(sent).arg(notSent).arg(toPrint);
}

} // namespace velmora
