#include "base/TextRoutines.h"

#include <cmath>

QString EscapeQuotes(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

QStringList SplitToList(const QString &text, const QString &separator)
{
    QStringList list;
    if (separator.isEmpty()) {
        list.append(text);
        return list;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype p = text.indexOf(separator, start);
        if (p < 0)
            break;
        list.append(text.mid(start, p - start));
        start = p + separator.size();
    }
    list.append(text.mid(start));
    return list;
}

QString TrimText(const QString &text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text.at(b).unicode() <= 32)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 32)
        --e;
    return text.mid(b, e - b);
}

bool IsNumericText(const QString &text)
{
    if (text.isEmpty())
        return false;
    int points = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('.')) {
            if (++points > 1)
                return false;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return text.front() != QLatin1Char('.') && text.back() != QLatin1Char('.');
}

QString VersionTextFrom(const QString &compiledVersion)
{
    const QStringList parts = compiledVersion.split(QLatin1Char('.'));
    if (compiledVersion.isEmpty() || parts.isEmpty())
        return QStringLiteral("0");
    QStringList four;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint n = i < parts.size() ? parts.at(i).toUInt(&ok) : 0;
        if (i < parts.size() && !ok)
            return QStringLiteral("0");
        four.append(QString::number(n & 0xFFFF));
    }
    return four.join(QLatin1Char('.'));
}

QString GetVersionText()
{
#ifdef STOCKSYNC_VERSION_TEXT
    return VersionTextFrom(QStringLiteral(STOCKSYNC_VERSION_TEXT));
#else
    return QStringLiteral("0");
#endif
}

double RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

double RoundMoney(double value)
{
    return std::round(value * 10000.0) / 10000.0;
}

QString MoneyText(double value)
{
    QString s = QString::number(RoundMoney(value), 'f', 4);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QStringLiteral("-0"))
        s = QStringLiteral("0");
    return s;
}
