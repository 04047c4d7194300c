#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace velmora {

// Where the mail server's password is kept: never the database or a file. The desktop
// keeps it in its key store, the command line reads it from standard input, and tests
// script it.
class KeyStore
{
public:
    virtual ~KeyStore() = default;
    // The password kept under `name`; nullopt with the reason in *error when there is none
    // or it cannot be read.
    virtual std::optional<QString> read(const QString& name, QString* error) = 0;
    // Keeps `password` under `name`; false with the reason in *error.
    virtual bool write(const QString& name, const QString& password, QString* error) = 0;
};

// A key store for tests: the passwords are in a map, reads and writes are counted.
class ScriptedKeyStore final : public KeyStore
{
public:
    std::optional<QString> read(const QString& name, QString* error) override;
    bool write(const QString& name, const QString& password, QString* error) override;

    QMap<QString, QString> passwords;
    int reads = 0;
};

// The password typed on standard input, one line, read once and kept for the run; it is
// never written anywhere.
class InputKeyStore final : public KeyStore
{
public:
    std::optional<QString> read(const QString& name, QString* error) override;
    bool write(const QString& name, const QString& password, QString* error) override;

private:
    std::optional<QString> m_read;
};

} // namespace velmora
