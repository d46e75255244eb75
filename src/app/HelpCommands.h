#pragma once

#include <QString>

class Desktop;
class Interaction;
class Settings;

// The Help menu and the calculator of the Tools menu. The help page, the
// website, the feedback mailbox and the updater are settings (940 to 943);
// a command whose page or program does not exist, or cannot be opened, says
// so instead of doing nothing.
class HelpCommands
{
public:
    HelpCommands(Desktop &desktop, Interaction &ui, const QString &programFolder, const Settings &settings)
        : m_desktop(desktop), m_ui(ui), m_folder(programFolder), m_settings(settings)
    {
    }

    QString helpAddress() const;
    QString websiteAddress() const;
    QString feedbackAddress() const; // a mailto: link
    // The system calculator of the platform.
    static QString calculatorProgram();
    // The updater: the setting, else the one beside the program.
    QString updaterProgram() const;

    void calculator();
    void onlineHelp();
    void website();
    void feedback();
    // Asks first; on Yes starts the updater and returns true: the program
    // must then end. False (with the reason shown) when there is no updater.
    bool updateOnline();

private:
    void open(const QString &address, const QString &what);

    Desktop &m_desktop;
    Interaction &m_ui;
    QString m_folder;
    const Settings &m_settings;
};
