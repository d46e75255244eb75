#include "app/ui/StartUp.h"

#include <QApplication>

int RunProgramWindow(QApplication &app, const QString &)
{
    return app.exec();
}
