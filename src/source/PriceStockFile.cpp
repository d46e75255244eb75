#include "source/PriceStockFile.h"

#include "base/TextRoutines.h"

#include <QStringDecoder>

QString DecodeListFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return asUtf8;
    QStringDecoder gb("GB18030");
    if (!gb.isValid())
        return QString::fromLocal8Bit(bytes);
    return gb.decode(bytes);
}

QStringList SplitListLines(const QString &text)
{
    QStringList lines;
    QString current;
    bool open = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            open = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            continue;
        }
        current += c;
        open = true;
    }
    if (open)
        lines << current;
    return lines;
}

bool IsBlankListLine(const QString &line)
{
    return TrimText(line).isEmpty();
}
