#pragma once

#include <QString>
#include <functional>

class Application;
struct CommandContext;

// How a login for a command ended. LoggedIn: the client holds the session
// key (in memory only); with the short authorization asked for, the session
// may change prices. PasswordRefused: the login page came back with the
// platform's wrong-password message after the one submission (the message,
// naming the account, has been shown); like Failed it is exit 1, and nothing
// should try the same password again on its own.
enum class CommandLogin { LoggedIn, Failed, NeedsPerson, TimedOut, PasswordRefused };

// The login with the account's stored password. It drives the platform's
// pages in embedded browsers, so the program hands it in from the widgets
// layer (LogInForCommand, src/shop/ui/) before it runs a command; the
// commands themselves live in the app layer's one table and are marked as
// needing the window system.
using CommandLogInFunction =
    std::function<CommandLogin(Application &app, const QString &account, bool shortAuthorization)>;
void SetCommandLogIn(CommandLogInFunction login);
bool HasCommandLogIn();

// The login step of every command that acts on the shop: 0 when logged in,
// else the exit code the command ends with, its message shown: 1 for an
// unknown account, a refused or failed login or a time-out (and a short
// authorization that was not granted), 3 when a page needs a person. Without
// a login handed in the step refuses (1).
int LogInForCommandStep(Application &app, const QString &account, bool shortAuthorization = false);

// stocksync login NAME: the login of the window, driven in offscreen
// browsers. Exit 0 logged in ("登录成功.(NAME)"), 1 when the login failed (an
// unknown account, a stored password that cannot be read or that the platform
// refused, no network, a time-out), 3 when a page needs a person (captcha,
// phone check, consent): the login must be finished in the window. Every
// message goes to standard error; the command writes no data.
int RunLogin(CommandContext &ctx);
