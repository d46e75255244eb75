#include "jobs/RequestJob.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"

#include <cmath>

void ProgressPanelState::show(const QString &caption, bool cancelShown)
{
    m_shown = true;
    m_cancelShown = cancelShown;
    m_retryShown = false;
    setCaption(caption);
}

void ProgressPanelState::showAgain()
{
    m_shown = true;
    Q_EMIT changed();
}

void ProgressPanelState::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    Q_EMIT changed();
}

void ProgressPanelState::setCaption(const QString &caption)
{
    m_caption = caption;
    Q_EMIT captionSet(caption);
    Q_EMIT changed();
}

void ProgressPanelState::setRetry(bool shown, const QString &text)
{
    m_retryShown = shown;
    m_retryText = text;
    Q_EMIT changed();
}

JobHost::JobHost(Interaction &ui, QObject *parent) : QObject(parent), m_ui(ui)
{
    m_tryTimer.setSingleShot(false);
    connect(&m_tryTimer, &QTimer::timeout, this, &JobHost::tryTick);
}

void JobHost::setTrayHint(const QString &hint)
{
    m_trayHint = hint;
    Q_EMIT trayHintChanged(hint);
}

void JobHost::stopCountdown()
{
    m_tryTimer.stop();
    if (m_retryPanel)
        m_retryPanel->setRetry(false, m_retryPanel->retryText());
    if (m_retryJob)
        m_retryJob->stop();
    m_retryJob = nullptr;
    m_retryPanel = nullptr;
}

void JobHost::cancelSourceSide()
{
    m_cancel = true;
    if (m_tryTimer.isActive())
        stopCountdown();
    m_panel1.hide();
    Q_EMIT cancelled1();
}

void JobHost::cancelTargetSide()
{
    m_cancel = true;
    if (m_tryTimer.isActive())
        stopCountdown();
    m_panel2.hide();
    Q_EMIT cancelled2();
}

void JobHost::startRetryCountdown(RequestJob *job, ProgressPanelState &panel)
{
    m_retryJob = job;
    m_retryPanel = &panel;
    m_tryLeft = 10;
    panel.setRetry(true, QStringLiteral("重试 = 10"));
    m_tryTimer.setInterval(Intervals::ms(1000));
    m_tryTimer.start();
}

void JobHost::tryTick()
{
    --m_tryLeft;
    if (!m_retryPanel || !m_retryJob) {
        m_tryTimer.stop();
        return;
    }
    if (m_tryLeft > 0) {
        m_retryPanel->setRetry(true, QStringLiteral("重试 = ") + QString::number(m_tryLeft));
        return;
    }
    m_tryTimer.stop();
    ProgressPanelState *panel = m_retryPanel;
    RequestJob *job = m_retryJob;
    m_retryPanel = nullptr;
    m_retryJob = nullptr;
    panel->setRetry(false, panel->retryText());
    panel->showAgain();
    ++m_errors;
    job->resumeAfterCountdown();
}

void JobHost::debug(const QString &text)
{
    m_debug.append(text);
    Q_EMIT debugAdded(text);
}

RequestJob::RequestJob(JobHost &host, int intervalMs, TransportRule rule, QObject *parent)
    : QObject(parent), m_host(host), m_rule(rule), m_intervalMs(intervalMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RequestJob::tick);
}

int RequestJob::Percent(int done, int total)
{
    if (total <= 0)
        return 0;
    return static_cast<int>(RoundHalfEven(100.0 * done / total));
}

QStringList RequestJob::Batches(const QStringList &ids, int size)
{
    QStringList batches;
    QStringList current;
    for (const QString &id : ids) {
        current.append(TrimText(id));
        if (current.size() == size) {
            batches.append(current.join(QLatin1Char(',')));
            current.clear();
        }
    }
    if (!current.isEmpty())
        batches.append(current.join(QLatin1Char(',')));
    return batches;
}

void RequestJob::begin(const QStringList &items, const QString &startCaption, bool cancelShown)
{
    m_items = items;
    m_done = 0;
    m_startTime = Clock::nowText();
    m_running = true;
    panel().show(startCaption, cancelShown);
    sendFirst();
}

void RequestJob::advance()
{
    ++m_done;
    if (!m_items.isEmpty())
        m_items.removeFirst();
    if (m_items.isEmpty()) {
        m_running = false;
        finish();
        return;
    }
    armTimer();
}

void RequestJob::tick()
{
    m_timer.stop();
    if (m_host.cancelled()) {
        stop();
        return;
    }
    const QString caption = progressCaption(Percent(m_done, m_done + static_cast<int>(m_items.size())));
    panel().setCaption(caption);
    const QString hint = trayHintFor(caption);
    if (!hint.isEmpty())
        m_host.setTrayHint(hint);
    sendFirst();
}

void RequestJob::armTimer()
{
    m_timer.setInterval(Intervals::ms(m_intervalMs));
    m_timer.start();
}

void RequestJob::end()
{
    m_running = false;
    m_timer.stop();
}

void RequestJob::stop()
{
    const bool wasRunning = m_running;
    end();
    if (wasRunning)
        onCancelled();
}

void RequestJob::resumeAfterCountdown()
{
    // nothing has advanced: the tick resends the item in flight
    armTimer();
}

void RequestJob::transportError()
{
    if (m_host.cancelled() && m_rule != TransportRule::NoHandler) {
        // the user ended the job while this request was out: no retry for it
        replaceComponent();
        stop();
        return;
    }
    switch (m_rule) {
    case TransportRule::Countdown:
        onTransportError();
        replaceComponent();
        if (m_host.errorCount() >= 5) {
            m_host.panel1().hide();
            m_host.panel2().hide();
            end();
            m_host.ui().error(JobHost::networkErrorText());
            return;
        }
        m_host.startRetryCountdown(this, panel());
        return;
    case TransportRule::Immediate: {
        m_host.panel1().hide();
        m_host.panel2().hide();
        onTransportError();
        const int before = m_host.errorCount();
        m_host.addError();
        if (!m_host.planRunning() && before == 4)
            m_host.ui().error(JobHost::networkErrorText());
        if (m_host.planRunning())
            handBackToPlan();
        replaceComponent();
        if (m_host.errorCount() < 5) {
            panel().showAgain();
            armTimer();
        } else {
            end();
        }
        return;
    }
    case TransportRule::NoRetry:
        if (hideBothPanelsOnGiveUp())
            m_host.panel1().hide();
        m_host.panel2().hide();
        end();
        m_host.ui().error(JobHost::networkErrorText());
        replaceComponent();
        return;
    case TransportRule::NoHandler:
        return;
    }
}
