#include "desktopkeystore.h"

#include <QEventLoop>
#include <QObject>
#include <qt6keychain/keychain.h>

namespace velmora {

namespace {

const QString kService = QStringLiteral("Velmora mail");

// Runs `job` to its end; false with its reason in *error.
bool finish(QKeychain::Job& job, QString* error)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() == QKeychain::NoError)
        return true;
    *error = QObject::tr("The desktop's key store answered: %1").arg(job.errorString());
    return false;
}

} // namespace

std::optional<QString> DesktopKeyStore::read(const QString& name, QString* error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(name);
    if (!finish(job, error))
        return std::nullopt;
    return job.textData();
}

bool DesktopKeyStore::write(const QString& name, const QString& password, QString* error)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(name);
    job.setTextData(password);
    return finish(job, error);
}

} // namespace velmora
