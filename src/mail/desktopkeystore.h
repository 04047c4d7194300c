#pragma once

#include "keystore.h"

namespace velmora {

// The desktop's own key store (the Secret Service, KWallet and the like), through
// QtKeychain; waits for each answer with a local event loop.
class DesktopKeyStore final : public KeyStore
{
public:
    std::optional<QString> read(const QString& name, QString* error) override;
    bool write(const QString& name, const QString& password, QString* error) override;
};

} // namespace velmora
