#pragma once

struct CommandContext;

// stocksync login NAME: the login of the window, driven in offscreen
// browsers. Exit 0 logged in ("登录成功.(NAME)" on standard output), 1 when
// the login failed (the message on standard error), 3 when a page needs a
// person (captcha, phone check, consent): the login must be finished in the
// window.
int RunLogin(CommandContext &ctx);

// Registers the commands that need the window system (the login).
void RegisterWindowCommands();
