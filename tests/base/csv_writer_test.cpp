// The one CSV writer: which fields are quoted, and the three file forms.
#include "base/CsvWriter.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

class CsvWriterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quoting()
    {
        // plain fields, inner blanks and Chinese stay as they are
        QCOMPARE(CsvField(QStringLiteral("T恤 黑色")), QStringLiteral("T恤 黑色"));
        QCOMPARE(CsvField(QString()), QString());
        // a comma, a quote or a line break would shift or split the record
        QCOMPARE(CsvField(QStringLiteral("S1,大")), QStringLiteral("\"S1,大\""));
        QCOMPARE(CsvField(QStringLiteral("Bob\"s")), QStringLiteral("\"Bob\"\"s\""));
        QCOMPARE(CsvField(QStringLiteral("\"")), QStringLiteral("\"\"\"\""));
        QCOMPARE(CsvField(QStringLiteral("a\r\nb")), QStringLiteral("\"a\r\nb\""));
        QCOMPARE(CsvField(QStringLiteral("a\nb")), QStringLiteral("\"a\nb\""));
        // blanks at either end survive readers that trim unquoted fields
        QCOMPARE(CsvField(QStringLiteral(" A-01")), QStringLiteral("\" A-01\""));
        QCOMPARE(CsvField(QStringLiteral("A-01 ")), QStringLiteral("\"A-01 \""));
        QCOMPARE(CsvField(QStringLiteral("\tA")), QStringLiteral("\"\tA\""));
        QCOMPARE(CsvLine({QStringLiteral("1"), QString(), QStringLiteral("x,y"), QStringLiteral(" ")}),
                 QStringLiteral("1,,\"x,y\",\" \""));
    }

    void fileForms()
    {
        const QStringList row{QStringLiteral("白色"), QStringLiteral("a,b")};
        CsvWriter utf8;
        utf8.addRow(row);
        utf8.addRow({});
        QCOMPARE(utf8.bytes(), QStringLiteral("白色,\"a,b\"\r\n\r\n").toUtf8());

        CsvWriter bom(CsvWriter::Encoding::Utf8WithBom);
        bom.addRow(row);
        QCOMPARE(bom.bytes(), QByteArray("\xEF\xBB\xBF") + QStringLiteral("白色,\"a,b\"\r\n").toUtf8());

        CsvWriter gbk(CsvWriter::Encoding::Gb18030);
        gbk.addRow(row);
        QVERIFY(!gbk.hasEncodingError());
        QCOMPARE(gbk.bytes(), QByteArray("\xB0\xD7\xC9\xAB,\"a,b\"\r\n"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.csv"));
        QString error;
        QVERIFY(gbk.saveAs(path, &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), gbk.bytes());
        // a file that cannot be written says why
        QVERIFY(!utf8.saveAs(dir.filePath(QStringLiteral("no/such/folder.csv")), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CsvWriterTest)
#include "csv_writer_test.moc"
