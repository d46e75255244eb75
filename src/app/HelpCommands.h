#pragma once

#include <QString>

class Desktop;
class Interaction;

// The Help menu and the calculator of the Tools menu. The maker's addresses
// are on the maker's own domain; a failed open reports nothing.
class HelpCommands
{
public:
    HelpCommands(Desktop &desktop, Interaction &ui, const QString &programFolder)
        : m_desktop(desktop), m_ui(ui), m_folder(programFolder)
    {
    }

    static QString helpAddress();
    static QString websiteAddress();
    static QString feedbackAddress(); // a mailto: link
    // The system calculator of the platform.
    static QString calculatorProgram();
    // The updater beside the program.
    QString updaterProgram() const;

    void calculator();
    void onlineHelp();
    void website();
    void feedback();
    // Asks first; on Yes starts the updater and returns true: the program
    // must then end.
    bool updateOnline();

private:
    Desktop &m_desktop;
    Interaction &m_ui;
    QString m_folder;
};
