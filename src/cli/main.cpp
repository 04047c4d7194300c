#include "command.h"
#include "data/serverdatabase.h"
#include "platform/consoledialogs.h"

#include <QDir>
#include <QGuiApplication>

#include <CLI/CLI.hpp>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Reports are laid out with Qt's text engine, which needs a GUI application but no
    // screen: run without a display unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a desktop session there is no runtime folder; give Qt a private one so
    // that it does not warn on every run.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/velmora-runtime-" +
                                   QByteArray::number(static_cast<qint64>(::getuid()));
        if (::mkdir(runtime.constData(), 0700) == 0 || errno == EEXIST)
            qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QGuiApplication application(argc, argv);
    // A server that asks for a password ~/.pgpass did not give has it asked for at the
    // terminal, unechoed.
    velmora::ConsoleDialogs console;
    velmora::setPasswordSource([&console](const QString& prompt) {
        return console.password(nullptr, prompt, QStringLiteral("velmora-cli"));
    });

    CLI::App app{"Velmora batch tools"};
    app.require_subcommand(1);
    velmora::cli::CommandAction action;
    for (velmora::cli::CommandRegistrar add : velmora::cli::commands())
        add(app, action);
    CLI11_PARSE(app, argc, argv);
    return action ? action() : 1;
}
