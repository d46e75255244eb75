#include "app/AccountCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "shop/PasswordVault.h"
#include "shop/ShopAccounts.h"

#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// Turns the terminal's echo off while the password is typed; does nothing
// when standard input is a pipe or a file.
class EchoOff
{
public:
    EchoOff()
    {
#ifdef Q_OS_UNIX
        if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &m_saved) == 0) {
            termios quiet = m_saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            m_active = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
            if (m_active)
                std::fputs("密码: ", stderr);
        }
#endif
    }
    ~EchoOff()
    {
#ifdef Q_OS_UNIX
        if (m_active) {
            tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
            std::fputs("\n", stderr);
        }
#endif
    }

private:
#ifdef Q_OS_UNIX
    termios m_saved{};
#endif
    bool m_active = false;
};

QString readLine(QTextStream &input)
{
    QString line = input.readLine();
    while (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

int usage(CommandContext &ctx)
{
    ctx.ui.error(AccountsUsage());
    return 2;
}

int add(CommandContext &ctx, const QStringList &args, QTextStream &input)
{
    QString name;
    QString remark;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QStringLiteral("--remark")) {
            if (i + 1 >= args.size())
                return usage(ctx);
            remark = args.at(++i);
        } else if (name.isNull() && !args.at(i).startsWith(QStringLiteral("--"))) {
            name = args.at(i);
        } else {
            return usage(ctx);
        }
    }
    if (name.isNull())
        return usage(ctx);

    QString password;
    {
        EchoOff quiet;
        password = readLine(input);
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    PasswordVault vault(PasswordVault::keyFileBeside(app->databasePath()));
    ShopAccounts accounts(app->db(), vault);
    ShopAccounts::Edit edit;
    edit.userName = name;
    edit.password = password;
    edit.remark = remark;
    if (accounts.save(edit, ctx.ui) != ShopAccounts::Saved::Yes)
        return 1;
    ctx.ui.info(QStringLiteral("已添加店铺帐号: ") + TrimText(name));
    return 0;
}

int list(CommandContext &ctx, QTextStream &output)
{
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    PasswordVault vault(PasswordVault::keyFileBeside(app->databasePath()));
    for (const ShopAccount &a : ShopAccounts(app->db(), vault).all()) {
        QString remark = a.remark;
        remark.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        remark.replace(QLatin1Char('\n'), QLatin1Char(' '));
        remark.replace(QLatin1Char('\r'), QLatin1Char(' '));
        output << TrimText(a.userName) << '\t' << remark << '\n';
    }
    output.flush();
    return 0;
}

int remove(CommandContext &ctx, const QStringList &args)
{
    if (args.size() != 1)
        return usage(ctx);
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    PasswordVault vault(PasswordVault::keyFileBeside(app->databasePath()));
    ShopAccounts accounts(app->db(), vault);
    ShopAccount found;
    if (!accounts.find(args.first(), &found)) {
        ctx.ui.warn(QStringLiteral("没有这个店铺帐号: ") + TrimText(args.first()));
        return 1;
    }
    if (!accounts.erase({found.uniqid})) {
        ctx.ui.error(accounts.lastError());
        return 1;
    }
    ctx.ui.info(QStringLiteral("已删除店铺帐号: ") + TrimText(found.userName));
    return 0;
}

} // namespace

QString AccountsUsage()
{
    return QStringLiteral("用法: accounts add NAME [--remark TEXT] (密码从标准输入读一行) | accounts list | "
                          "accounts remove NAME");
}

int RunAccounts(CommandContext &ctx, QTextStream &input, QTextStream &output)
{
    if (ctx.arguments.isEmpty())
        return usage(ctx);
    const QString sub = ctx.arguments.first();
    const QStringList args = ctx.arguments.mid(1);
    if (sub == QStringLiteral("add"))
        return add(ctx, args, input);
    if (sub == QStringLiteral("list"))
        return args.isEmpty() ? list(ctx, output) : usage(ctx);
    if (sub == QStringLiteral("remove"))
        return remove(ctx, args);
    return usage(ctx);
}

int RunAccounts(CommandContext &ctx)
{
    QTextStream input(stdin);
    QTextStream output(stdout);
    return RunAccounts(ctx, input, output);
}
