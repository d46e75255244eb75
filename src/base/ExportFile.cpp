#include "base/ExportFile.h"

#include "base/Clock.h"
#include "base/CsvWriter.h"
#include "base/Interaction.h"

#include <QStringEncoder>
#include <algorithm>

bool SaveExportLines(Interaction &ui, const QString &namePrefix, const QStringList &lines)
{
    const QString suggested =
        namePrefix + Clock::now().toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".csv");
    QString path = ui.saveFileName(QStringLiteral("选中项另存为..."), QStringLiteral("csv 文件(*.csv)"), suggested);
    if (path.isEmpty())
        return false;
    // the default extension when the file's name has none (folders may have points)
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (!path.mid(slash + 1).contains(QLatin1Char('.')))
        path += QStringLiteral(".csv");
    auto cannot = [&](const QString &why) {
        ui.message(Interaction::errorCaption(), QStringLiteral("无法写入文件: ") + path + QStringLiteral("\r\n") + why,
                   Interaction::Icon::Error);
        return false;
    };
    if (!QStringEncoder("GB18030").isValid())
        return cannot(QStringLiteral("缺少 GB18030 编码"));
    CsvWriter file(CsvWriter::Encoding::Gb18030);
    for (const QString &line : lines)
        file.addLine(line);
    if (file.hasEncodingError())
        return cannot(QStringLiteral("选中项中有无法保存为 GB18030 文本的字符"));
    QString why;
    if (!file.saveAs(path, &why))
        return cannot(why);
    return true;
}
