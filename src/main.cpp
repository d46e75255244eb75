// The program's entry: the window, or a headless command.
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "app/ui/StartUp.h"
#include "shop/ui/LoginCommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#include <memory>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// Without --verbose the embedded browser's diagnostics (graphics backend,
// GPU process, JavaScript console) stay off standard error, where a script
// reads the command's messages; critical and fatal messages still show.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    if (g_defaultHandler)
        g_defaultHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void appendChromiumFlags(const QByteArray &flags)
{
    QByteArray current = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!current.isEmpty())
        current += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", current + flags);
}

} // namespace

// What the embedded browser needs, set up before any Qt application object:
// as root Chromium's own sandbox cannot start, so the program runs the
// browser without it (its pages are the login's, on the platform's hosts);
// and its diagnostics stay quiet unless asked for.
static void PrepareEmbeddedBrowser(bool verbose)
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    if (verbose)
        return;
    appendChromiumFlags("--disable-logging --log-level=3");
    g_defaultHandler = qInstallMessageHandler(quietHandler);
}

int main(int argc, char *argv[])
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineRequest request = ParseCommandLine(raw);
    // every command is in the app layer's table; the login they need runs
    // in embedded browsers, which only this layer can hand in
    SetCommandLogIn(LogInForCommand);

    if (request.help || !request.error.isEmpty()) {
        const QString text = (request.error.isEmpty() ? QString() : request.error + QLatin1Char('\n')) +
                             CommandTable::helpText();
        std::fputs(text.toUtf8().constData(), request.error.isEmpty() ? stdout : stderr);
        return request.error.isEmpty() ? 0 : 2;
    }

    if (const QString refused = CheckDataDir(request); !refused.isEmpty()) {
        std::fprintf(stderr, "%s\n", refused.toUtf8().constData());
        return 2;
    }
    PrepareEmbeddedBrowser(request.verbose);

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
        ctx.readOnly = IsReadOnlyCommand(request.command, request.arguments);
        return command->run(ctx);
    }

    // the login's browsers share the window's graphics context
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // the window's lists show their first rows at once and read the rest between events
    ListModel::setBackgroundFilling(true);
    return RunProgramWindow(app, request.dataDir);
}
