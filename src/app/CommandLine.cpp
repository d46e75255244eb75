#include "app/CommandLine.h"

#include "app/Interaction.h"
#include "store/DataModule.h"

#include <QSqlDatabase>

CommandLineRequest ParseCommandLine(const QStringList &arguments)
{
    CommandLineRequest r;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (!r.command.isEmpty()) {
            r.arguments.append(a);
        } else if (a == QStringLiteral("--data-dir")) {
            if (i + 1 >= arguments.size()) {
                r.error = QStringLiteral("--data-dir 需要一个文件夹");
                return r;
            }
            r.dataDir = arguments.at(++i);
        } else if (a.startsWith(QStringLiteral("--data-dir="))) {
            r.dataDir = a.mid(11);
        } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            r.help = true;
        } else if (a.startsWith(QLatin1Char('-'))) {
            // options of the window toolkit (-platform, -style, ...) pass through
            if (a == QStringLiteral("-platform") || a == QStringLiteral("-style") || a == QStringLiteral("-display"))
                ++i;
        } else {
            r.command = a;
        }
    }
    return r;
}

namespace {

int initDatabase(CommandContext &ctx)
{
    TADOMain data(ctx.ui, ctx.dataDir);
    if (!data.DataModuleCreate())
        return 1;
    ctx.ui.message(Interaction::tipCaption(), QStringLiteral("数据库已就绪: ") + data.databasePath(),
                   Interaction::Icon::Information);
    return 0;
}

QList<CommandTable::Command> buildCommands()
{
    return {
        {QStringLiteral("init-db"), QStringLiteral("init-db"),
         QStringLiteral("创建或升级数据库 TBData/TBData.db, 然后退出"), initDatabase},
    };
}

} // namespace

const QList<CommandTable::Command> &CommandTable::commands()
{
    static const QList<Command> table = buildCommands();
    return table;
}

const CommandTable::Command *CommandTable::find(const QString &name)
{
    for (const Command &c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

QString CommandTable::helpText()
{
    QString text = QStringLiteral("用法: stocksync [--data-dir DIR] [COMMAND [ARGS...]]\n"
                                  "  不带 COMMAND 时启动程序窗口.\n"
                                  "  --data-dir DIR   数据库放在 DIR/TBData/TBData.db (默认: 程序所在文件夹)\n\n"
                                  "命令:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  ") + c.usage.leftJustified(28) + QLatin1Char(' ') + c.summary + QLatin1Char('\n');
    return text;
}
