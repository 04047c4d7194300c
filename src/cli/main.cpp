#include "command.h"

#include <CLI/CLI.hpp>
#include <QGuiApplication>

int main(int argc, char** argv)
{
    // Reports are laid out with Qt's text engine, which needs a GUI application but no
    // screen: run without a display unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    CLI::App app{"Velmora batch tools"};
    app.require_subcommand(1);
    velmora::cli::CommandAction action;
    for (velmora::cli::CommandRegistrar add : velmora::cli::commands())
        add(app, action);
    CLI11_PARSE(app, argc, argv);
    return action ? action() : 1;
}
