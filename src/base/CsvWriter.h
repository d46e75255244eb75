#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

// The one CSV writer of the program (RFC 4180). A field goes between double
// quotes, with each quote inside doubled, when it holds a comma, a double
// quote, a line break (CR or LF), or a blank or tab at its start or end (so
// that no reader trims it away); every other field stays as it is. Records
// end in CR LF.
QString CsvField(const QString &text);
// The fields of one record, each quoted as needed, joined by commas (no line end).
QString CsvLine(const QStringList &fields);

// Records gathered into the bytes of a file: UTF-8 (the command line's
// output and the item lists), UTF-8 with a byte-order mark (the upload
// history's export, for spreadsheet programs) or GB18030 (the lists'
// "选中项另存为..." file: GBK for every character GBK has).
class CsvWriter
{
public:
    enum class Encoding { Utf8, Utf8WithBom, Gb18030 };

    explicit CsvWriter(Encoding encoding = Encoding::Utf8);

    void addRow(const QStringList &fields);
    void addRows(const QList<QStringList> &rows);
    // A line that is already CSV (a caller's own header), added as it is.
    void addLine(const QString &line);

    const QByteArray &bytes() const { return m_bytes; }
    // GB18030 only: a character of the records has no GB18030 form.
    bool hasEncodingError() const { return m_encodingError; }

    // The bytes to an open stream (standard output), flushed; false when
    // they could not all be written.
    bool writeTo(std::FILE *stream) const;
    // The bytes as the whole content of a file; false with the reason.
    bool saveAs(const QString &path, QString *error) const;

private:
    Encoding m_encoding;
    QByteArray m_bytes;
    bool m_encodingError = false;
};
