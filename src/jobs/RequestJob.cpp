#include "jobs/RequestJob.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "top/TopClient.h"

#include <QRegularExpression>
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

void JobHost::cancelSide(ProgressPanelState &panel)
{
    m_cancel = true;
    if (m_tryTimer.isActive() && m_retryPanel == &panel)
        stopCountdown();
    if (m_active && &m_active->panel() == &panel)
        m_active->cancel();
    panel.hide();
}

void JobHost::cancelSourceSide()
{
    cancelSide(m_panel1);
    Q_EMIT cancelled1();
}

void JobHost::cancelTargetSide()
{
    cancelSide(m_panel2);
    Q_EMIT cancelled2();
}

void JobHost::startRetryCountdown(RequestJob *job, ProgressPanelState &panel, int seconds)
{
    m_retryJob = job;
    m_retryPanel = &panel;
    m_tryLeft = std::max(1, seconds);
    panel.setRetry(true, QStringLiteral("重试 = ") + QString::number(m_tryLeft));
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
    job->countdownOver();
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

RequestJob::~RequestJob()
{
    if (m_host.m_active == this)
        m_host.m_active = nullptr;
    if (m_host.m_retryJob == this) {
        m_host.m_tryTimer.stop();
        m_host.m_retryJob = nullptr;
        m_host.m_retryPanel = nullptr;
    }
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

int RequestJob::TemporaryWait(const TopIntake &reply)
{
    if (reply.ok())
        return -1;
    if (reply.code == 7) {
        // "This ban will last for 42 more seconds", in msg or sub_msg
        static const QRegularExpression ban(QStringLiteral("ban will last (?:for )?(\\d+) more second"),
                                            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = ban.match(reply.errorText);
        if (!m.hasMatch())
            return -1;
        bool ok = false;
        const int seconds = m.captured(1).toInt(&ok);
        return ok && seconds <= kLongestBan ? std::max(1, seconds) : -1;
    }
    if (reply.code == 15) {
        const QString sub = reply.subCode.trimmed();
        if (sub == QStringLiteral("isp.top-remote-connection-timeout") ||
            sub == QStringLiteral("isp.remote-service-timeout"))
            return 10;
    }
    return -1;
}

void RequestJob::releaseOldRun()
{
    if (!m_inFlight)
        return;
    // its reply must not reach the new run, and its component is busy until then
    replaceComponent();
    m_inFlight = false;
    if (m_running)
        stop();
}

int RequestJob::currentRow() const
{
    if (!m_model || m_row < 0)
        return -1;
    return m_model->rowOfKey(m_rowKey);
}

void RequestJob::start(const QString &startCaption, bool cancelShown)
{
    // a list still filling is read to its end before anything is sent
    ListModel::finishAllFills();
    releaseOldRun();
    m_timer.stop();
    m_done = 0;
    m_cancelled = false;
    m_platformWaits = 0;
    m_platformWait = false;
    m_startTime = Clock::nowText();
    m_running = true;
    m_host.m_active = this;
    panel().show(startCaption, cancelShown);
}

void RequestJob::begin(const QStringList &items, const QString &startCaption, bool cancelShown)
{
    m_model = nullptr;
    m_items = items;
    start(startCaption, cancelShown);
    sendCurrent();
}

bool RequestJob::beginRows(ListModel &model, const QString &startCaption, bool cancelShown, bool sentItemList)
{
    ListModel::finishAllFills();
    m_model = &model;
    m_items.clear();
    m_useSentItems = sentItemList;
    m_sentItems.clear();
    m_rowTotal = model.checkedCount();
    m_row = nextTickedRow();
    if (m_row < 0)
        return false;
    m_rowKey = model.keyOf(m_row);
    start(startCaption, cancelShown);
    sendCurrent();
    return true;
}

void RequestJob::sendCurrent()
{
    if (!m_model) {
        m_inFlight = true;
        sendFirst();
        return;
    }
    // the row by its id: a sort since the last request moved it
    m_row = currentRow();
    if (m_row < 0) {
        // the row left the list (deleted): go on with the next ticked one
        m_row = nextTickedRow();
        if (m_row < 0) {
            m_running = false;
            finish();
            return;
        }
        m_rowKey = m_model->keyOf(m_row);
    }
    if (m_useSentItems) {
        const QString key = sentItemKey(m_row);
        if (!key.isEmpty()) {
            if (m_sentItems.contains(key)) {
                // another row of an item sent in this run: done without a request
                rowAlreadySent(m_row);
                rowDone();
                return;
            }
            m_sentItems.append(key);
        }
    }
    m_inFlight = true;
    sendRow(m_row);
}

int RequestJob::nextTickedRow() const
{
    for (int r = 0; r < m_model->count(); ++r)
        if (m_model->isChecked(r))
            return r;
    return -1;
}

void RequestJob::advance()
{
    m_inFlight = false;
    ++m_done;
    if (!m_items.isEmpty())
        m_items.removeFirst();
    if (m_items.isEmpty()) {
        // a cancelled job whose last item came back still finishes
        m_running = false;
        finish();
        return;
    }
    if (m_cancelled) {
        stop();
        return;
    }
    armTimer();
}

void RequestJob::replaceCurrentItem(const QStringList &pieces)
{
    m_inFlight = false;
    if (!m_items.isEmpty())
        m_items.removeFirst();
    for (qsizetype i = pieces.size(); i-- > 0;)
        m_items.prepend(pieces.at(i));
    if (m_items.isEmpty()) {
        m_running = false;
        finish();
        return;
    }
    if (m_cancelled) {
        stop();
        return;
    }
    armTimer();
}

void RequestJob::rowDone()
{
    m_inFlight = false;
    // untick the row of the request, wherever a sort has put it
    const int done = currentRow();
    if (done >= 0)
        m_model->setChecked(done, false);
    m_row = nextTickedRow();
    m_rowKey = m_row >= 0 ? m_model->keyOf(m_row) : 0;
    if (m_row < 0) {
        m_running = false;
        finish();
        return;
    }
    ++m_done;
    if (m_cancelled) {
        stop();
        return;
    }
    armTimer();
}

void RequestJob::tick()
{
    m_timer.stop();
    if (m_cancelled || !m_running) {
        stop();
        return;
    }
    const int percent = m_model ? Percent(m_done, m_rowTotal)
                                : Percent(m_done, m_done + static_cast<int>(m_items.size()));
    const QString caption = progressCaption(percent);
    panel().setCaption(caption);
    const QString hint = trayHintFor(caption);
    if (!hint.isEmpty())
        m_host.setTrayHint(hint);
    sendCurrent();
}

void RequestJob::armTimer()
{
    m_timer.setInterval(Intervals::ms(m_intervalMs));
    m_timer.start();
}

void RequestJob::end()
{
    m_running = false;
    m_inFlight = false;
    m_timer.stop();
    if (m_host.m_active == this)
        m_host.m_active = nullptr;
}

void RequestJob::stop()
{
    const bool wasRunning = m_running;
    // a request still out stays marked: its reply is processed, and a new
    // start replaces its component
    const bool out = m_inFlight;
    end();
    m_inFlight = out;
    if (wasRunning)
        onCancelled();
}

void RequestJob::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    // the reply of a request still out ends the job when it arrives
    if (!m_inFlight)
        stop();
}

QString RequestJob::rowsLeftNote() const
{
    const int left = m_model ? m_model->checkedCount() : 0;
    if (left <= 0)
        return {};
    return QStringLiteral("\r\n有 %1 行没有上传到店铺 (仍保持勾选), 可稍后再上传.").arg(left);
}

void RequestJob::resumeAfterCountdown()
{
    // nothing has advanced: the tick resends the item in flight
    armTimer();
}

void RequestJob::countdownOver()
{
    if (!m_platformWait)
        m_host.addError();
    m_platformWait = false;
    resumeAfterCountdown();
}

RequestJob::ErrorReplyEnd RequestJob::errorReply(const TopIntake &reply)
{
    m_inFlight = false;
    const int wait = TemporaryWait(reply);
    if (wait > 0 && !m_cancelled && m_running && m_platformWaits < kMaxPlatformWaits) {
        ++m_platformWaits;
        m_platformWait = true;
        m_host.debug(reply.message);
        m_host.startRetryCountdown(this, panel(), wait);
        return ErrorReplyEnd::Waiting;
    }
    m_host.ui().error(reply.message + rowsLeftNote());
    panel().hide();
    end();
    return ErrorReplyEnd::Ended;
}

void RequestJob::transportError(const QString &cause)
{
    m_inFlight = false;
    if (!cause.isEmpty())
        m_host.debug(cause);
    if (m_cancelled && m_rule != TransportRule::NoHandler) {
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
            m_host.ui().error(JobHost::networkErrorText() + rowsLeftNote());
            return;
        }
        m_platformWait = false;
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
        m_host.ui().error(JobHost::networkErrorText() + rowsLeftNote());
        replaceComponent();
        return;
    case TransportRule::NoHandler:
        return;
    }
}
