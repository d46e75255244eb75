#pragma once

#include <QString>

class Application;
struct CommandContext;

// A login with the account's stored password in offscreen browsers, in this
// process: the commands that act on the shop log in first this way. On
// LoggedIn the client holds the session key (in memory only). With
// shortAuthorization the login goes on to "获取短授权", and LoggedIn means
// the session may change prices.
enum class CommandLogin { LoggedIn, Failed, NeedsPerson, TimedOut };
CommandLogin LogInForCommand(Application &app, const QString &accountName, bool shortAuthorization = false);

// stocksync login NAME: the login of the window, driven in offscreen
// browsers. Exit 0 logged in ("登录成功.(NAME)" on standard output), 1 when
// the login failed (the message on standard error), 3 when a page needs a
// person (captcha, phone check, consent): the login must be finished in the
// window.
int RunLogin(CommandContext &ctx);

// Registers the commands that need the window system (the login).
void RegisterWindowCommands();
