#include "base/ExportFile.h"

#include "base/Clock.h"
#include "base/Interaction.h"

#include <QFile>
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
    QStringEncoder gbk("GB18030");
    if (!gbk.isValid())
        return cannot(QStringLiteral("缺少 GB18030 编码"));
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += QByteArray(gbk.encode(line)) + "\r\n";
    if (gbk.hasError())
        return cannot(QStringLiteral("选中项中有无法保存为 GB18030 文本的字符"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        return cannot(file.errorString());
    file.close();
    return true;
}
