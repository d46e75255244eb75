#pragma once

#include <QString>

class QApplication;

// Start-up of the window program: splash, data module, main window.
// dataDir empty: the program folder. Returns the exit code.
int RunProgramWindow(QApplication &app, const QString &dataDir);

// Qt's own texts (Yes/No, Cancel, the file dialogs) in Chinese.
void InstallChineseTranslations(QApplication &app);
