#include "cliprocess.h"

#include "data/database.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>

namespace velmora::test {

Outcome runProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
                   const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    Outcome outcome;
    // A guard against a hang, not a measure of speed.
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.exitCode = process.exitCode();
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

OpenedDatabase::OpenedDatabase(const QString& path) : m_connection(QStringLiteral("opened-") + path)
{
    QString error;
    m_db = openDatabase(path, m_connection, &error);
    if (!m_db.isValid())
        qWarning("%s", qPrintable(error));
}

OpenedDatabase::~OpenedDatabase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

QVariant OpenedDatabase::value(const QString& sql)
{
    QSqlQuery query(m_db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

} // namespace velmora::test
