#pragma once

#include "data/databaselocation.h"

#include <QString>

#include <memory>

namespace velmora::bench {

// The server database a run of the desks case works on: a copy of a generated firm's file,
// made from a template database that the first run copies the file into and later runs keep
// while the file is unchanged (at full size the copy takes minutes, the template seconds),
// dropped after by drop().
class ServerFirm
{
public:
    // `server` names any database on the server, its role allowed to create databases;
    // `firmFile` is the generated firm. nullptr with the reason in *error.
    static std::unique_ptr<ServerFirm> make(const DatabaseLocation& server, const QString& firmFile,
                                            QString* error);
    ServerFirm(const ServerFirm&) = delete;
    ServerFirm& operator=(const ServerFirm&) = delete;

    // The address of the run's database, as --database takes it.
    QString address() const;
    // Drops the run's database (its connections closed first); false with the reason.
    bool drop(QString* error);

private:
    ServerFirm(DatabaseLocation server, DatabaseLocation run)
        : m_server(std::move(server)), m_run(std::move(run))
    {
    }

    DatabaseLocation m_server;
    DatabaseLocation m_run;
};

} // namespace velmora::bench
