#include "app/HelpCommands.h"

#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "store/Settings.h"

#include <QDir>
#include <QFileInfo>

QString HelpCommands::helpAddress() const
{
    return TrimText(m_settings.text(Setting::HelpAddress));
}

QString HelpCommands::websiteAddress() const
{
    return TrimText(m_settings.text(Setting::WebsiteAddress));
}

QString HelpCommands::feedbackAddress() const
{
    QString address = TrimText(m_settings.text(Setting::FeedbackAddress));
    if (!address.isEmpty() && !address.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive))
        address.prepend(QStringLiteral("mailto:"));
    return address;
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
    const QString set = TrimText(m_settings.text(Setting::UpdaterProgram));
    if (!set.isEmpty())
        return QDir(m_folder).filePath(set);
#ifdef Q_OS_WIN
    return QDir(m_folder).filePath(QStringLiteral("Update.exe"));
#else
    return QDir(m_folder).filePath(QStringLiteral("Update"));
#endif
}

void HelpCommands::open(const QString &address, const QString &what)
{
    if (address.isEmpty()) {
        m_ui.info(QStringLiteral("本程序没有") + what + QStringLiteral(". (未设置地址)"));
        return;
    }
    if (!m_desktop.openUrl(address))
        m_ui.warn(QStringLiteral("无法打开") + what + QStringLiteral(": ") + address);
}

void HelpCommands::calculator()
{
    if (!m_desktop.startProgram(calculatorProgram()))
        m_ui.warn(QStringLiteral("无法启动计算器: ") + calculatorProgram());
}

void HelpCommands::onlineHelp()
{
    open(helpAddress(), QStringLiteral("联机帮助页面"));
}

void HelpCommands::website()
{
    open(websiteAddress(), QStringLiteral("官方网站"));
}

void HelpCommands::feedback()
{
    open(feedbackAddress(), QStringLiteral("意见反馈邮箱"));
}

bool HelpCommands::updateOnline()
{
    const QString updater = updaterProgram();
    if (!QFileInfo(updater).isFile()) {
        m_ui.info(QStringLiteral("没有找到在线升级程序, 无法在线升级:\r\n") + QDir::toNativeSeparators(updater));
        return false;
    }
    if (!m_ui.question(QStringLiteral("在线升级"), QStringLiteral("是否要执行在线升级?"),
                       Interaction::Icon::Question))
        return false;
    if (!m_desktop.startProgram(updater)) {
        m_ui.warn(QStringLiteral("无法启动在线升级程序: ") + QDir::toNativeSeparators(updater));
        return false;
    }
    return true;
}
