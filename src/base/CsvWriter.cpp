#include "base/CsvWriter.h"

#include <QFile>
#include <QStringEncoder>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QString CsvField(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())));
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvLine(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            line += QLatin1Char(',');
        line += CsvField(fields.at(i));
    }
    return line;
}

CsvWriter::CsvWriter(Encoding encoding) : m_encoding(encoding)
{
    if (encoding == Encoding::Utf8WithBom)
        m_bytes = QByteArray("\xEF\xBB\xBF");
}

void CsvWriter::addRow(const QStringList &fields)
{
    addLine(CsvLine(fields));
}

void CsvWriter::addRows(const QList<QStringList> &rows)
{
    for (const QStringList &r : rows)
        addRow(r);
}

void CsvWriter::addLine(const QString &line)
{
    if (m_encoding == Encoding::Gb18030) {
        QStringEncoder gbk("GB18030");
        m_bytes += QByteArray(gbk.encode(line));
        if (!gbk.isValid() || gbk.hasError())
            m_encodingError = true;
    } else {
        m_bytes += line.toUtf8();
    }
    m_bytes += "\r\n";
}

bool CsvWriter::writeTo(std::FILE *stream) const
{
    const size_t n = static_cast<size_t>(m_bytes.size());
    const bool ok = std::fwrite(m_bytes.constData(), 1, n, stream) == n;
    return std::fflush(stream) == 0 && ok;
}

bool CsvWriter::saveAs(const QString &path, QString *error) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(m_bytes) != m_bytes.size() ||
        !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.close();
    return true;
}
