#pragma once

#include <QString>

class Application;
struct CommandContext;

// A login with the account's stored password in offscreen browsers, in this
// process: the commands that act on the shop log in first this way. On
// LoggedIn the client holds the session key (in memory only). With
// shortAuthorization the login goes on to "获取短授权", and LoggedIn means
// the session may change prices. PasswordRefused: the login page came back
// with the platform's wrong-password message after the one submission (the
// message, naming the account, has been shown); like Failed it is exit 1,
// and nothing should try the same password again on its own.
enum class CommandLogin { LoggedIn, Failed, NeedsPerson, TimedOut, PasswordRefused };
CommandLogin LogInForCommand(Application &app, const QString &accountName, bool shortAuthorization = false);

// stocksync login NAME: the login of the window, driven in offscreen
// browsers. Exit 0 logged in ("登录成功.(NAME)"), 1 when the login failed (an
// unknown account, a stored password that cannot be read or that the platform
// refused, no network, a time-out), 3 when a page needs a person (captcha,
// phone check, consent): the login must be finished in the window. Every
// message goes to standard error; the command writes no data.
int RunLogin(CommandContext &ctx);

// Registers the commands that need the window system (the login).
void RegisterWindowCommands();
