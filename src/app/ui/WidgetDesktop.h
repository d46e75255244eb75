#pragma once

#include "base/Desktop.h"

// The desktop through Qt: the system clipboard, the default browser or mail
// program, and starting programs detached from this one.
class WidgetDesktop : public Desktop
{
public:
    void setClipboardText(const QString &text) override;
    QString clipboardText() const override;
    bool openUrl(const QString &url) override;
    bool startProgram(const QString &program, const QStringList &arguments = {}) override;
};
