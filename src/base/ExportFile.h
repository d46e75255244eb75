#pragma once

#include <QString>
#include <QStringList>

class Interaction;

// "选中项另存为...": asks for a file, proposing namePrefix + local time
// (yyyyMMddhhmmss) + ".csv", adds ".csv" when the chosen name has no
// extension, and writes the lines in GB18030 (GBK for every character GBK
// has, and keeps the others) with CR LF after each. A failure is shown with
// the file's name and the reason. True when the file was written; false also
// when the seller cancelled the dialog. The caller shows its own completion
// message.
bool SaveExportLines(Interaction &ui, const QString &namePrefix, const QStringList &lines);
