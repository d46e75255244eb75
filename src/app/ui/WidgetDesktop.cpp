#include "app/ui/WidgetDesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

void WidgetDesktop::setClipboardText(const QString &text)
{
    if (QClipboard *c = QGuiApplication::clipboard())
        c->setText(text);
}

QString WidgetDesktop::clipboardText() const
{
    if (QClipboard *c = QGuiApplication::clipboard())
        return c->text();
    return {};
}

bool WidgetDesktop::openUrl(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

bool WidgetDesktop::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}
