#include "jobs/PlatformCallJob.h"

#include "base/Interaction.h"
#include "top/WinHTTP.h"

PlatformCallJob::PlatformCallJob(JobHost &host, TopClient &client, ProgressPanelState &panel, const QString &caption,
                                 RequestBuilder request, ReplyHandler reply, QObject *parent)
    : ComponentJob(host, 200, TransportRule::Countdown, parent), m_client(client), m_panel(panel), m_caption(caption),
      m_request(std::move(request)), m_reply(std::move(reply))
{
}

bool PlatformCallJob::start(const QStringList &items)
{
    if (host().busy() || items.isEmpty())
        return false;
    host().clearCancel();
    host().resetErrors();
    m_outcome = Outcome::Completed;
    m_over = false;
    begin(items, progressCaption(0), true);
    return true;
}

QString PlatformCallJob::progressCaption(int percent) const
{
    return m_caption + QLatin1Char('(') + QString::number(percent) + QStringLiteral("%)");
}

void PlatformCallJob::sendFirst()
{
    m_current = m_request(items().first());
    if (!m_client.call(m_current, *component()))
        componentError(QStringLiteral("busy"));
}

void PlatformCallJob::componentDone(const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, m_current.errorPrefix, true, replyContentType());
    if (!reply.ok()) {
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            over(reply.kind == TopIntake::Kind::Unreadable ? Outcome::Unreadable : Outcome::ErrorReply);
        return;
    }
    const QString why = m_reply(m_client.replyBuffer(), items().first());
    if (!why.isEmpty()) {
        // read by its structure or not at all: nothing of it is taken
        end();
        m_panel.hide();
        host().debug(m_client.replyBuffer());
        host().ui().error(m_current.errorPrefix + why);
        over(Outcome::Unreadable);
        return;
    }
    advance();
}

void PlatformCallJob::componentError(const QString &message)
{
    transportError(QStringLiteral("网络通讯错误: ") + message);
    // the countdown rule gave up (its message shown), or the cancel ended it
    if (!running())
        over(wasCancelled() ? Outcome::Cancelled : Outcome::NetworkGaveUp);
}

void PlatformCallJob::finish()
{
    m_panel.hide();
    over(Outcome::Completed);
}

void PlatformCallJob::onCancelled()
{
    m_panel.hide();
    over(Outcome::Cancelled);
}

void PlatformCallJob::over(Outcome outcome)
{
    if (m_over)
        return;
    m_over = true;
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}
