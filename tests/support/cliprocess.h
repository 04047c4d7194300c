#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace velmora::test {

// How a run of a program ended: its exit code (-1 when it hung or crashed) and what it
// wrote.
struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `program` with `arguments`, `input` on its standard input.
Outcome
runProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// The bytes of a file; empty when it cannot be read.
QByteArray contents(const QString& path);

// A database file that a program wrote, opened as the program opens it; the connection is
// gone again with the object.
class OpenedDatabase
{
public:
    explicit OpenedDatabase(const QString& path);
    ~OpenedDatabase();
    OpenedDatabase(const OpenedDatabase&) = delete;
    OpenedDatabase& operator=(const OpenedDatabase&) = delete;

    bool isValid() const { return m_db.isValid(); }
    QSqlDatabase& db() { return m_db; }
    // The first column of the first row of a query (invalid when it fails or has no row).
    QVariant value(const QString& sql);

private:
    QString m_connection;
    QSqlDatabase m_db;
};

} // namespace velmora::test
