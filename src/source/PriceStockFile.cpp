#include "source/PriceStockFile.h"

#include "base/TextRoutines.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// The byte lines of a file by the same rule as SplitListLines.
std::vector<QByteArray> byteLines(const QByteArray &bytes)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    bool open = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.push_back(bytes.mid(start, i - start));
            if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
            start = i + 1;
            open = false;
            continue;
        }
        open = true;
    }
    if (open)
        lines.push_back(bytes.mid(start));
    return lines;
}

bool isAscii(const QByteArray &line)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isUtf8(const QByteArray &line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(line); // decode() converts only when taken as a text
    return !utf8.hasError() && !text.isNull();
}

// GB18030: one byte up to 0x7F; two bytes 81-FE then 40-7E or 80-FE; four
// bytes 81-FE, 30-39, 81-FE, 30-39.
bool isGb18030(const QByteArray &line)
{
    const auto b = [&line](qsizetype i) { return static_cast<unsigned char>(line.at(i)); };
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = b(i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c == 0x80 || c == 0xFF || i + 1 >= n)
            return false;
        const unsigned char d = b(i + 1);
        if ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xFE)) {
            i += 2;
            continue;
        }
        if (d < 0x30 || d > 0x39 || i + 3 >= n)
            return false;
        const unsigned char e = b(i + 2), f = b(i + 3);
        if (e < 0x81 || e > 0xFE || f < 0x30 || f > 0x39)
            return false;
        i += 4;
    }
    return true;
}

DecodedListFile refused(int line, const QString &error)
{
    DecodedListFile d;
    d.failedLine = line;
    d.error = error;
    return d;
}

DecodedListFile decodedAs(const QString &text, const QString &encoding)
{
    DecodedListFile d;
    d.ok = true;
    d.text = text;
    d.encoding = encoding;
    return d;
}

DecodedListFile decodeUtf16(const QByteArray &bytes, QStringDecoder::Encoding encoding, const QString &name)
{
    const QByteArray body = bytes.mid(2);
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    // a surrogate without its partner is no character: mark it as the decoder marks bad input
    bool unpaired = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar(QChar::ReplacementCharacter);
            unpaired = true;
        }
    }
    if (body.size() % 2 != 0 || decoder.hasError() || unpaired) {
        // name the first line that does not come out whole
        const QStringList lines = SplitListLines(text);
        int line = 0;
        for (qsizetype i = 0; i < lines.size() && line == 0; ++i)
            if (lines.at(i).contains(QChar(QChar::ReplacementCharacter)))
                line = int(i + 1);
        if (line == 0)
            line = int(qMax<qsizetype>(lines.size(), 1));
        return refused(line, QStringLiteral("文件以 ") + name + QStringLiteral(" 的字节顺序标记开头, 但这一行不是有效的 ") +
                                 name + QStringLiteral(" 文本"));
    }
    if (text.contains(QChar(0)))
        return refused(0, QStringLiteral("文件含有 NUL 字符"));
    return decodedAs(text, name);
}

} // namespace

DecodedListFile DecodeListFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return decodeUtf16(bytes, QStringDecoder::Utf16LE, QStringLiteral("UTF-16LE"));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeUtf16(bytes, QStringDecoder::Utf16BE, QStringLiteral("UTF-16BE"));
    const bool utf8Mark = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = utf8Mark ? bytes.mid(3) : bytes;
    const std::vector<QByteArray> lines = byteLines(body);

    // every non-ASCII line must be of the kind of the first one
    enum class Kind { None, Utf8, Gb };
    Kind first = Kind::None;
    int firstLine = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const int number = int(i + 1);
        if (line.contains('\0'))
            return refused(number, QStringLiteral("这一行含有 NUL 字符 (可能是没有字节顺序标记的 UTF-16 文件, "
                                                  "请另存为 UTF-8 或带标记的 Unicode)"));
        if (isAscii(line))
            continue;
        const bool utf8 = isUtf8(line);
        if (utf8Mark && !utf8)
            return refused(number, QStringLiteral("文件以 UTF-8 的字节顺序标记开头, 但这一行不是有效的 UTF-8 文本"));
        if (!utf8 && !isGb18030(line))
            return refused(number, QStringLiteral("这一行既不是有效的 UTF-8 文本, 也不是有效的 GB18030 (GBK) 文本"));
        const Kind kind = utf8 ? Kind::Utf8 : Kind::Gb;
        if (first == Kind::None) {
            first = kind;
            firstLine = number;
        } else if (kind != first) {
            const QString was = first == Kind::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("GBK");
            const QString is = kind == Kind::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("GBK");
            return refused(number, QStringLiteral("文件中的编码不一致: 第 ") + QString::number(firstLine) +
                                       QStringLiteral(" 行是 ") + was + QStringLiteral(" 编码, 这一行是 ") + is +
                                       QStringLiteral(" 编码. 请把整个文件另存为同一种编码 (如 UTF-8) 后再导入"));
        }
    }
    if (first != Kind::Gb)
        return decodedAs(QString::fromUtf8(body), QStringLiteral("UTF-8"));
    QStringDecoder gb("GB18030");
    if (!gb.isValid())
        return refused(0, QStringLiteral("本机不能读取 GB18030 编码的文件"));
    return decodedAs(gb.decode(body), QStringLiteral("GB18030"));
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

QString ShortenedForMessage(const QString &text)
{
    constexpr qsizetype kMost = 60;
    return text.size() <= kMost ? text : text.left(kMost) + QStringLiteral("...");
}

QString PriceValueProblem(const QString &text, double *value)
{
    const QString t = TrimText(text);
    const QString quoted = QStringLiteral("价格 \"") + ShortenedForMessage(t) + QStringLiteral("\" ");
    static const QRegularExpression money(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = money.match(t);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return quoted + QStringLiteral("不是数字");
    QString whole = m.captured(2);
    const QString fraction = m.captured(3);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    QString digits = fraction;
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    const bool zero = whole.count(QLatin1Char('0')) == whole.size() && digits.isEmpty();
    if (m.captured(1) == QStringLiteral("-") || zero)
        return quoted + QStringLiteral("应大于 0");
    if (digits.size() > 2)
        return quoted + QStringLiteral("最多两位小数");
    // at most 100 000 000: nine digits before the point at most
    if (whole.size() > 9)
        return quoted + QStringLiteral("超过 100000000");
    const qint64 cents = whole.toLongLong() * 100 + QString(digits + QStringLiteral("00")).left(2).toLongLong();
    if (cents > Q_INT64_C(10000000000))
        return quoted + QStringLiteral("超过 100000000");
    *value = double(cents) / 100.0;
    return {};
}

QString QuantityValueProblem(const QString &text, qint64 *value)
{
    const QString t = TrimText(text);
    const QString quoted = QStringLiteral("数量 \"") + ShortenedForMessage(t) + QStringLiteral("\" ");
    static const QRegularExpression whole(QStringLiteral("^([+-]?)([0-9]+)$"));
    const QRegularExpressionMatch m = whole.match(t);
    if (!m.hasMatch())
        return quoted + QStringLiteral("不是整数");
    QString digits = m.captured(2);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    const bool zero = digits == QStringLiteral("0");
    if ((m.captured(1) == QStringLiteral("-") && !zero) || digits.size() > 9)
        return quoted + QStringLiteral("应在 0 到 999999999 之间");
    *value = digits.toLongLong();
    return {};
}

ParsedListFile ParsePriceStockFile(ListFileKind kind, const QByteArray &bytes)
{
    ParsedListFile r;
    const DecodedListFile decoded = DecodeListFile(bytes);
    const auto fail = [&r](int line, const QString &text, const QString &error) {
        r.ok = false;
        r.records.clear();
        r.failedLine = line;
        r.failedText = ShortenedForMessage(text);
        r.error = error;
        return r;
    };
    if (!decoded.ok) {
        // the line as far as it can be shown: its ASCII characters
        QString text;
        if (decoded.failedLine > 0) {
            const std::vector<QByteArray> lines = byteLines(bytes);
            if (size_t(decoded.failedLine) <= lines.size())
                for (const char c : lines[size_t(decoded.failedLine) - 1])
                    text += (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F)
                                ? QChar::fromLatin1(c)
                                : QChar(QChar::ReplacementCharacter);
        }
        return fail(decoded.failedLine, text, decoded.error);
    }
    r.encoding = decoded.encoding;
    const QStringList lines = SplitListLines(decoded.text);
    r.lines = int(lines.size());
    const int fields = kind == ListFileKind::Price ? 2 : 6;
    for (int i = 1; i <= r.lines; ++i) {
        const QString &line = lines.at(i - 1);
        if (IsBlankListLine(line))
            continue;
        // no quoting: every comma ends a field, and a field keeps its blanks
        const QStringList f = SplitToList(line, QStringLiteral(","));
        if (f.size() != fields)
            return fail(i, line, QStringLiteral("应有 %1 个以逗号分隔的字段, 这一行有 %2 个").arg(fields).arg(f.size()));
        ListFileRecord record;
        record.line = i;
        record.text = line;
        for (int c = 0; c + 1 < fields; ++c)
            record.values << f.at(c);
        QString problem;
        if (kind == ListFileKind::Price) {
            double price = 0;
            problem = PriceValueProblem(f.last(), &price);
            record.values << price;
        } else {
            qint64 num = 0;
            problem = QuantityValueProblem(f.last(), &num);
            record.values << num;
        }
        if (!problem.isEmpty())
            return fail(i, line, problem);
        r.records.push_back(std::move(record));
    }
    r.ok = true;
    return r;
}
