#pragma once

#include "app/CommandLogin.h"

#include <QString>

class Application;

// A login with the account's stored password in offscreen browsers, in this
// process: the login that the program hands to the command line
// (SetCommandLogIn) for the commands that act on the shop. On LoggedIn the
// client holds the session key (in memory only). With shortAuthorization the
// login goes on to "获取短授权", and LoggedIn means the session may change
// prices.
CommandLogin LogInForCommand(Application &app, const QString &accountName, bool shortAuthorization = false);
