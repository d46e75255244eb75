#pragma once

#include <QString>
#include <functional>

class Application;

struct CommandContext;

// Jobs run from the command line, without any window: the same job classes
// the window uses, with the panels' captions written to the terminal and the
// questions not asked. Each returns 0 when the job completed.
int RunDownloadSource(CommandContext &ctx);
// download-target [--account NAME] [--by-source] [--no-outer-id] [--login]:
// the account is --account or the one last selected (NM 3). By target
// configuration it logs in first only with --login and a stored password; by
// source configuration (--by-source) it always logs in first. logIn returns 0
// when logged in, else the command's exit code; without it a login is refused.
using CommandLogIn = std::function<int(Application &app, const QString &account)>;
int RunDownloadTarget(CommandContext &ctx, const CommandLogIn &logIn = {});
