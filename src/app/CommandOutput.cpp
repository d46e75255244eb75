#include "app/CommandOutput.h"

#include "base/CsvWriter.h"
#include "jobs/RequestJob.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>

namespace {

CommandOutputCapture *g_capture = nullptr;

void writeData(const QByteArray &bytes)
{
    if (g_capture) {
        g_capture->data += bytes;
        return;
    }
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

void PrintCsv(const CsvWriter &csv)
{
    writeData(csv.bytes());
}

void PrintCsv(const QByteArray &utf8Csv)
{
    writeData(utf8Csv);
}

void PrintCsvRow(const QStringList &fields)
{
    writeData(CsvLine(fields).toUtf8() + "\r\n");
}

void PrintDataLine(const QString &line)
{
    QString flat = line;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    writeData(flat.toUtf8() + '\n');
}

void PrintJson(const QJsonDocument &document)
{
    writeData(document.toJson(QJsonDocument::Compact) + '\n');
}

void PrintJson(const QJsonObject &object)
{
    PrintJson(QJsonDocument(object));
}

void SayOnStderr(const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (g_capture) {
        g_capture->messages << flat;
        return;
    }
    std::fputs((flat + QLatin1Char('\n')).toUtf8().constData(), stderr);
    std::fflush(stderr);
}

void FollowJobsOnTerminal(JobHost &host)
{
    auto lastRetry = std::make_shared<QString>();
    for (ProgressPanelState *panel : {&host.panel1(), &host.panel2()}) {
        QObject::connect(panel, &ProgressPanelState::captionSet, panel, [](const QString &c) { SayOnStderr(c); });
        QObject::connect(panel, &ProgressPanelState::changed, panel, [panel, lastRetry]() {
            if (panel->retryShown() && panel->retryText() != *lastRetry)
                SayOnStderr(*lastRetry = panel->retryText());
        });
    }
    QObject::connect(&host, &JobHost::debugAdded, &host, [](const QString &text) {
        // the memo's lines as they are, line breaks and all
        if (g_capture)
            g_capture->messages << text;
        else
            std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
    });
}

CommandOutputCapture::CommandOutputCapture() : m_previous(g_capture)
{
    g_capture = this;
}

CommandOutputCapture::~CommandOutputCapture()
{
    g_capture = m_previous;
}
