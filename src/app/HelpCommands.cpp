#include "app/HelpCommands.h"

#include "base/Desktop.h"
#include "base/Interaction.h"

#include <QDir>

QString HelpCommands::helpAddress()
{
    return QStringLiteral("https://www.aowan-soft.example/help/stocksync.html");
}

QString HelpCommands::websiteAddress()
{
    return QStringLiteral("https://www.aowan-soft.example/");
}

QString HelpCommands::feedbackAddress()
{
    return QStringLiteral("mailto:feedback@aowan-soft.example");
}

QString HelpCommands::calculatorProgram()
{
#ifdef Q_OS_WIN
    return QStringLiteral("calc.exe");
#else
    return QStringLiteral("gnome-calculator");
#endif
}

QString HelpCommands::updaterProgram() const
{
#ifdef Q_OS_WIN
    return QDir(m_folder).filePath(QStringLiteral("Update.exe"));
#else
    return QDir(m_folder).filePath(QStringLiteral("Update"));
#endif
}

void HelpCommands::calculator()
{
    m_desktop.startProgram(calculatorProgram());
}

void HelpCommands::onlineHelp()
{
    m_desktop.openUrl(helpAddress());
}

void HelpCommands::website()
{
    m_desktop.openUrl(websiteAddress());
}

void HelpCommands::feedback()
{
    m_desktop.openUrl(feedbackAddress());
}

bool HelpCommands::updateOnline()
{
    if (!m_ui.question(QStringLiteral("在线升级"), QStringLiteral("是否要执行在线升级?"),
                       Interaction::Icon::Question))
        return false;
    m_desktop.startProgram(updaterProgram());
    return true;
}
