#include "app/startup.h"
#include "data/database.h"
#include "data/serverdatabase.h"
#include "platform/qtdialogs.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Velmora back office"));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("The database file to open."),
                                      QStringLiteral("PATH"));
    options.addOption(database);
    options.process(application);

    const QString path = velmora::databasePath(options.value(database));
    velmora::QtDialogs dialogs(path);
    velmora::setPasswordSource([&dialogs](const QString& prompt) {
        return dialogs.password(nullptr, prompt, velmora::applicationTitle());
    });
    return velmora::runProgram(path, dialogs);
}
