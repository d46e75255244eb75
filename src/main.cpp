// The program's entry: the window, or a headless command.
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "app/ui/StartUp.h"
#include "shop/ui/LoginCommand.h"
#include "target/ui/TargetCommands.h"
#include "sync/ui/UploadLoginCommands.h"
#include "sync/ui/ShopJobCommands.h"
#include "lists/ui/ListsCommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineRequest request = ParseCommandLine(raw);
    RegisterWindowCommands();
    RegisterTargetCommands();
    RegisterUploadCommands();
    RegisterShopJobCommands();
    RegisterListsCommands();

    if (request.help || !request.error.isEmpty()) {
        const QString text = (request.error.isEmpty() ? QString() : request.error + QLatin1Char('\n')) +
                             CommandTable::helpText();
        std::fputs(text.toUtf8().constData(), request.error.isEmpty() ? stdout : stderr);
        return request.error.isEmpty() ? 0 : 2;
    }

    if (!request.command.isEmpty()) {
        const CommandTable::Command *command = CommandTable::find(request.command);
        std::unique_ptr<QCoreApplication> app;
        if (command && command->needsWindowSystem) {
            // an embedded browser needs the window system; without a display it runs offscreen
            if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
            app = std::make_unique<QApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        if (!command) {
            std::fprintf(stderr, "%s\n%s", qPrintable(QStringLiteral("未知的命令: ") + request.command),
                         CommandTable::helpText().toUtf8().constData());
            return 2;
        }
        ConsoleInteraction console;
        CommandContext ctx{request.dataDir.isEmpty() ? QCoreApplication::applicationDirPath() : request.dataDir,
                           request.arguments, console};
        return command->run(ctx);
    }

    // the login's browsers share the window's graphics context
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // the window's lists show their first rows at once and read the rest between events
    ListModel::setBackgroundFilling(true);
    return RunProgramWindow(app, request.dataDir);
}
