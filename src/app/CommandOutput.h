#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class CsvWriter;
class JobHost;
class QJsonDocument;
class QJsonObject;

// The command line's output, in one place. Standard output carries only the
// command's data: CSV (UTF-8, RFC 4180, CR LF; see CsvWriter) or one JSON
// document; every message goes to standard error, one line each (a CR LF
// inside a message becomes a blank).

// The records of a CsvWriter in UTF-8, or CSV bytes made by one.
void PrintCsv(const CsvWriter &csv);
void PrintCsv(const QByteArray &utf8Csv);
// One CSV record on its own (a command that prints as it goes).
void PrintCsvRow(const QStringList &fields);
// A line of data that is not CSV (upload-quantity's tab-separated rows).
void PrintDataLine(const QString &line);
// One JSON document, compact, on one line.
void PrintJson(const QJsonDocument &document);
void PrintJson(const QJsonObject &object);
// A message on standard error.
void SayOnStderr(const QString &text);

// The job host on the terminal: every caption the panels show and each new
// retry countdown text as messages, the debug memo's lines on standard error.
void FollowJobsOnTerminal(JobHost &host);

// Tests: while one lives, standard output goes into data and standard
// error into messages instead of the process's streams.
class CommandOutputCapture
{
public:
    CommandOutputCapture();
    ~CommandOutputCapture();
    CommandOutputCapture(const CommandOutputCapture &) = delete;
    CommandOutputCapture &operator=(const CommandOutputCapture &) = delete;

    QByteArray data;
    QStringList messages;

private:
    CommandOutputCapture *m_previous;
};
