#pragma once

#include <QString>
#include <functional>

class Application;

// The login of `journal revert`, which needs the short authorization when it
// changes prices; set by the layer that has the login pages. 0 when logged
// in, else the command's exit code.
using RevertLoginStep = std::function<int(Application &app, const QString &account, bool shortAuthorization)>;
void SetRevertLoginStep(RevertLoginStep step);
