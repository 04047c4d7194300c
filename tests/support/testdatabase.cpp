#include "testdatabase.h"

#include "data/batchedquery.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/firmcopy.h"
#include "data/sql.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace velmora::test {

namespace {
int connectionCounter = 0;
}

TestDatabase::TestDatabase()
    : m_path(m_dir.filePath(QStringLiteral("taxi.mdb"))),
      m_connection(QStringLiteral("test-%1").arg(++connectionCounter))
{
    QString error;
    m_db = createDatabase(m_path, m_connection, &error);
    if (!m_db.isValid())
        qFatal("test database: %s", qPrintable(error));
}

TestDatabase::TestDatabase(const QString& address, const QSqlDatabase& source)
    : m_path(address), m_connection(QStringLiteral("test-%1").arg(++connectionCounter))
{
    QString error;
    {
        QSqlDatabase empty = openEmptyDatabase(m_path, m_connection, &error);
        if (!empty.isValid() || !copyFirm(source, empty, {}, &error))
            qFatal("test database on the server: %s", qPrintable(error));
        empty.close();
    }
    // Opened again as the program opens a firm.
    QSqlDatabase::removeDatabase(m_connection);
    m_db = openDatabase(m_path, m_connection, &error);
    if (!m_db.isValid())
        qFatal("test database on the server: %s", qPrintable(error));
}

TestDatabase::~TestDatabase()
{
    velmora::closeBatchConnection(m_connection);
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

void TestDatabase::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(m_db);
    QString error;
    if (!run(query, sql, values, &error))
        qFatal("%s: %s", qPrintable(sql), qPrintable(error));
}

QVariant TestDatabase::value(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(m_db);
    QString error;
    if (!run(query, sql, values, &error))
        qFatal("%s: %s", qPrintable(sql), qPrintable(error));
    return query.next() ? query.value(0) : QVariant();
}

qlonglong TestDatabase::count(const QString& sql, const QVariantList& values)
{
    return value(sql, values).toLongLong();
}

QStringList TestDatabase::rows(const QString& sql, const QVariantList& values, const QString& null)
{
    QSqlQuery query(m_db);
    QString error;
    if (!run(query, sql, values, &error))
        qFatal("%s: %s", qPrintable(sql), qPrintable(error));
    QStringList rows;
    while (query.next()) {
        QStringList columns;
        for (int column = 0; column < query.record().count(); ++column)
            columns << (query.isNull(column) ? null : query.value(column).toString());
        rows << columns.join(u'|');
    }
    return rows;
}

QString TestDatabase::dump()
{
    QString all;
    const QStringList objects = rows(QStringLiteral("select type, name, sql from sqlite_master "
                                                    "order by type, name"));
    for (const QString& object : objects) {
        const QString type = object.section(u'|', 0, 0);
        const QString name = object.section(u'|', 1, 1);
        all += type + u' ' + name + u' ' + object.section(u'|', 2) + u'\n';
        // The jobs' text index is built from the jobs, which are dumped themselves.
        if (type != QLatin1String("table") || name.startsWith(QLatin1String("jobs_text")))
            continue;
        for (const QString& row :
             rows(QStringLiteral("select * from \"%1\" order by rowid").arg(name)))
            all += row + QStringLiteral("|\n");
    }
    return all;
}

int TestDatabase::addVehicleType(const QString& name)
{
    exec(QStringLiteral("insert into vehicle_types (vehicledescription) values (?)"), {name});
    return value(QStringLiteral("select max(vehicletypeid) from vehicle_types")).toInt();
}

int TestDatabase::addDriver(const QString& name)
{
    exec(QStringLiteral("insert into drivers (driver_name) values (?)"), {name});
    return value(QStringLiteral("select max(driver_id) from drivers")).toInt();
}

int TestDatabase::addJob(const QString& prefix, QDate date, const QString& time,
                         const QString& passenger, const QString& status, int vehicleType,
                         int driver)
{
    QSqlQuery query(m_db);
    QString error;
    if (!run(query,
             QStringLiteral("insert into jobs (job_prefix, date, time, passenger_name, "
                            "address_from, address_to, record_status, vehicle_type, driver) "
                            "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {prefix, storedDate(date), time, passenger, QStringLiteral("Station"),
              QStringLiteral("Airport"), status, vehicleType, driver},
             &error))
        qFatal("addJob: %s", qPrintable(error));
    return value(QStringLiteral("select job_id from jobs where rowid = ?"), {query.lastInsertId()})
        .toInt();
}

} // namespace velmora::test
