#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class Application;
class Interaction;

// What the program was asked to do: stocksync [--data-dir DIR] [COMMAND [ARGS...]].
struct CommandLineRequest
{
    QString dataDir;      // empty: the program folder
    bool dataDirGiven = false; // --data-dir was on the command line
    QString command;      // empty: start the window
    QStringList arguments; // the command's own arguments
    bool help = false;
    bool verbose = false; // --verbose: the embedded browser's diagnostics on standard error
    QString error;        // a malformed command line
};

CommandLineRequest ParseCommandLine(const QStringList &arguments);

// A folder named by --data-dir must be an existing data folder, one that
// holds TBData/, for every command but init-db (which makes one): a typing
// error must not start an empty database that reports "nothing differs".
// Returns the refusal (exit 2), or an empty text when the folder will do.
QString CheckDataDir(const CommandLineRequest &request);

// Whether a command only reads the data folder: these run beside another
// copy of the program (the window, plan) that holds it.
bool IsReadOnlyCommand(const QString &command, const QStringList &arguments);

// Headless commands, run without any window on QCoreApplication.
struct CommandContext
{
    QString dataDir; // resolved: never empty
    QStringList arguments;
    Interaction &ui;
    // A read-only command: it reads beside another copy that holds the folder.
    bool readOnly = false;
};

// The composition root of a command on the context's data folder, opened;
// null (the message shown) when the folder cannot be used.
std::unique_ptr<Application> OpenApplication(CommandContext &ctx);

class CommandTable
{
public:
    using Handler = std::function<int(CommandContext &)>;
    struct Command
    {
        QString name;
        QString usage;   // "download-source", "add-items --source ID..."
        QString summary; // one line
        Handler run;
        // Runs on the window system (an embedded browser): the program starts
        // it on QApplication, offscreen when there is no display.
        bool needsWindowSystem = false;
    };

    // Every command the program knows.
    static const QList<Command> &commands();
    // Adds a command of a layer above this one (the program registers the
    // commands that need widgets before it reads the command line).
    static void add(const Command &command);
    static const Command *find(const QString &name);
    static QString helpText();
};
