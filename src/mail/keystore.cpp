#include "keystore.h"

#include <QObject>
#include <QTextStream>

#include <cstdio>

namespace velmora {

std::optional<QString> ScriptedKeyStore::read(const QString& name, QString* error)
{
    ++reads;
    const auto found = passwords.constFind(name);
    if (found != passwords.constEnd())
        return *found;
    *error = QObject::tr("No password is kept for %1.").arg(name);
    return std::nullopt;
}

bool ScriptedKeyStore::write(const QString& name, const QString& password, QString*)
{
    passwords.insert(name, password);
    return true;
}

std::optional<QString> InputKeyStore::read(const QString& name, QString* error)
{
    if (m_read)
        return m_read;
    QTextStream in(stdin);
    QString line;
    if (!in.readLineInto(&line)) {
        *error = QObject::tr("The password for %1 was expected on standard input.").arg(name);
        return std::nullopt;
    }
    m_read = line;
    return m_read;
}

bool InputKeyStore::write(const QString&, const QString&, QString* error)
{
    *error = QObject::tr("The command line keeps no passwords: give it on standard input.");
    return false;
}

} // namespace velmora
