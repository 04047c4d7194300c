#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

namespace velmora::test {

// A new, empty Velmora database in a temporary folder, removed with the object.
class TestDatabase
{
public:
    TestDatabase();
    // The firm in `source` copied whole into the empty server database at `address` (a
    // postgresql:// address), for a test that runs on both engines.
    TestDatabase(const QString& address, const QSqlDatabase& source);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QSqlDatabase& db() { return m_db; }
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }

    // Runs one statement with bound values; a failing statement ends the test run.
    void exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row of a query (invalid when there is no row).
    QVariant value(const QString& sql, const QVariantList& values = {});
    // The first column of the first row of a query as a whole number (a count, say).
    qlonglong count(const QString& sql, const QVariantList& values = {});
    // Every row of a query, its columns joined by "|", a NULL column shown as `null`.
    QStringList rows(const QString& sql, const QVariantList& values = {}, const QString& null = {});
    // The schema and every row of every table, in a fixed order, as text.
    QString dump();

    // Convenience rows for tests; each returns the new row's id.
    int addVehicleType(const QString& name);
    int addDriver(const QString& name);
    // A job with a vehicle type; returns the job number the counter gave it.
    int addJob(const QString& prefix, QDate date, const QString& time, const QString& passenger,
               const QString& status, int vehicleType, int driver = 0);

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
};

} // namespace velmora::test
