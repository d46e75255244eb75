#include "sync/SyncPlan.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "sync/Guardrails.h"

#include <QSqlError>
#include <QStringList>
#include <algorithm>
#include <QSqlQuery>

namespace {
const QString kBreak = QStringLiteral("\r\n");
} // namespace

PlanSettings PlanSettings::load(const Settings &settings)
{
    PlanSettings s;
    s.minutes = settings.integer(Setting::SyncInterval);
    s.download = settings.flag(Setting::SyncDownload);
    s.upload = settings.flag(Setting::SyncUpload);
    return s;
}

bool PlanSettings::save(const Settings &settings) const
{
    return settings.setInteger(Setting::SyncInterval, minutes) &&
           settings.setFlag(Setting::SyncDownload, download) && settings.setFlag(Setting::SyncUpload, upload);
}

SyncPlan::SyncPlan(const QSqlDatabase &db, const Settings &settings, JobHost &jobs, Interaction &ui,
                   PlanSteps &steps, QObject *parent)
    : QObject(parent), m_db(db), m_settings(settings), m_jobs(jobs), m_ui(ui), m_steps(steps)
{
    m_timer.setObjectName(QStringLiteral("_TimerSync"));
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &SyncPlan::TimerSyncTimer);
    connect(&m_jobs, &JobHost::planHandBack, this, &SyncPlan::handBack);
}

QString SyncPlan::hint() const
{
    return m_jobs.trayHint();
}

QString SyncPlan::waitingText() const
{
    return QStringLiteral("同步计划状态:等待中...(间隔:") + QString::number(m_interval) +
           QStringLiteral("分钟)-") + m_steps.account();
}

QString SyncPlan::sourceDone() const
{
    return kBreak + QStringLiteral("完成下载:") + m_settings.text(Setting::SourceDownloadTime);
}

QString SyncPlan::targetDone() const
{
    return kBreak + QStringLiteral("完成上传:") + m_settings.text(Setting::TargetDownloadTime);
}

bool SyncPlan::N24Click()
{
    if (running() || m_steps.jobRunning())
        return false;
    const PlanSettings stored = PlanSettings::load(m_settings);
    if (!stored.download && !stored.upload) {
        m_ui.warn(QStringLiteral("请至\"设置同步计划\",选择同步项."));
        return false;
    }
    QSqlQuery q(m_db);
    const QString ticked = QStringLiteral("select bcheck,num_iid from tb_url where bcheck=1 and num_iid<>''");
    if (!q.exec(ticked)) {
        m_ui.error(q.lastError().text());
        return false;
    }
    if (!q.next()) {
        m_ui.warn(QStringLiteral("没有配置下载源,请进入<配置源下载源>进行配置勾选"));
        return false;
    }
    if (stored.upload) {
        if (!m_steps.uploadAllowed()) {
            m_ui.warn(
                QStringLiteral("由于上传目标店铺最新库存数量,需要有店铺的管理权限,请先\"登录\"店铺帐号."));
            return false;
        }
        const QString count = QStringLiteral("Select count(*) from Tb_Object");
        if (!q.exec(count) || !q.next()) {
            m_ui.error(q.lastError().text());
            return false;
        }
        if (q.value(0).toLongLong() == 0) {
            m_ui.warn(QStringLiteral("请先通过\"下载目标店铺宝贝列表\"进行初始化目标店铺宝贝列表."));
            return false;
        }
    }
    m_interval = stored.interval();
    m_download = stored.download;
    m_upload = stored.upload;

    m_steps.showDifferences();
    m_countdown = 0;
    m_state = State::Waiting;
    m_lastCycle = CycleRecord();
    m_nextRun = Clock::now().addSecs(m_interval * 60);
    m_jobs.setPlanRunning(true);
    setTray(Tray::Still);
    Q_EMIT runningChanged(true);
    setHint(waitingText());
    Intervals::arm(m_timer, 1000, true);
    Q_EMIT noteChanged();
    return true;
}

void SyncPlan::N29Click()
{
    if (!running())
        return;
    m_timer.stop();
    m_countdown = 0;
    m_state = State::NotRunning;
    m_jobs.setPlanRunning(false);
    setTray(Tray::Hidden);
    Q_EMIT runningChanged(false);
    Q_EMIT noteChanged();
}

bool SyncPlan::runNow()
{
    if (!running()) {
        m_ui.warn(QStringLiteral("同步计划没有在执行."));
        return false;
    }
    if (m_state == State::Downloading || m_state == State::Uploading || m_steps.jobRunning()) {
        m_ui.warn(QStringLiteral("正在执行同步或其他任务, 请等它结束后再点\"立即同步\"."));
        return false;
    }
    startCycle();
    return true;
}

QString SyncPlan::cycleNote() const
{
    if (!running())
        return {};
    QString note;
    if (m_state == State::Waiting) {
        note += QStringLiteral("\r\n下次同步:");
        // due, but a job started by hand runs: the cycle follows it
        note += m_countdown >= m_interval * 60 ? QStringLiteral("其他任务结束后")
                                               : m_nextRun.toString(QStringLiteral("HH:mm"));
    }
    if (m_lastCycle.ended.isValid()) {
        const CycleRecord &c = m_lastCycle;
        QStringList parts;
        if (m_download)
            parts << QStringLiteral("下载") + QString::number(c.downloaded);
        parts << QStringLiteral("差异") + QString::number(c.differing);
        if (m_upload) {
            parts << QStringLiteral("上传") + QString::number(c.uploaded);
            parts << QStringLiteral("拒绝") + QString::number(c.refused);
        }
        if (!c.held.isEmpty())
            parts << QStringLiteral("上传保护拦下");
        else if (c.error == QStringLiteral("已取消"))
            parts << QStringLiteral("已取消");
        else if (!c.error.isEmpty())
            parts << QStringLiteral("失败");
        note += QStringLiteral("\r\n上次同步:") + parts.join(QLatin1Char(','));
    }
    if (m_state == State::Stalled)
        note += QStringLiteral("\r\n同步失败,计划已暂停(可右击图标\"立即同步\")");
    return note;
}

void SyncPlan::TimerSyncTimer()
{
    if (m_state == State::NotRunning) {
        m_timer.stop();
        return;
    }
    if (m_state != State::Waiting)
        return;
    ++m_countdown;
    if (m_countdown < m_interval * 60)
        return;
    // a job started by hand holds the busy guard: the cycle starts when it has ended
    if (m_steps.jobRunning()) {
        // said once: the next run waits for that job
        if (m_countdown == m_interval * 60)
            Q_EMIT noteChanged();
        return;
    }
    startCycle();
}

void SyncPlan::startCycle()
{
    m_countdown = 0;
    m_timer.stop();
    m_stepError.clear();
    m_cycle = CycleRecord();
    m_cycle.startedBy = QStringLiteral("plan");
    m_cycle.account = m_steps.account();
    QString error;
    m_cycle.id = SyncCycleLog(m_db).begin(m_cycle.startedBy, m_cycle.account, &error);
    if (m_cycle.id == 0)
        m_jobs.debug(QStringLiteral("Error:") + error);
    Q_EMIT cycleStarted(m_cycle.id);
    setHint(QStringLiteral("同步计划状态: 执行中...(") + m_steps.account() + QLatin1Char(')'));
    setTray(Tray::Animated);
    if (!m_download && m_upload)
        runUpload();
    else
        runDownload();
}

void SyncPlan::runDownload()
{
    m_state = State::Downloading;
    switch (m_steps.startDownload()) {
    case PlanSteps::Start::Started:
        return;
    case PlanSteps::Start::NothingToDo: {
        // the download keeps quiet while the plan runs; the plan says why it stops
        const QString nothing = QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选");
        m_ui.warn(nothing);
        recordCycle(nothing);
        stall(nothing);
        return;
    }
    case PlanSteps::Start::Refused:
        // due again at the next tick
        waitAgain(waitingText(), 1);
        return;
    case PlanSteps::Start::Failed: {
        const QString failed = m_stepError.isEmpty() ? QStringLiteral("下载源宝贝库存数据没有开始.") : m_stepError;
        recordCycle(failed);
        stall(failed);
        return;
    }
    }
}

void SyncPlan::runUpload()
{
    m_state = State::Uploading;
    switch (m_steps.startUpload()) {
    case PlanSteps::Start::Started:
        return;
    case PlanSteps::Start::NothingToDo:
        stepFinished(Step::Upload, Result::NothingToUpload);
        return;
    case PlanSteps::Start::Refused:
        waitAgain(waitingText(), 1);
        return;
    case PlanSteps::Start::Failed: {
        const QString failed = m_stepError.isEmpty() ? QStringLiteral("上传最新库存没有开始.") : m_stepError;
        recordCycle(failed);
        stall(failed);
        return;
    }
    }
}

void SyncPlan::stepFinished(Step step, Result result)
{
    const State expected = step == Step::Download ? State::Downloading : State::Uploading;
    if (m_state != expected)
        return;
    switch (result) {
    case Result::Failed: {
        QString reason = m_stepError;
        if (reason.isEmpty())
            reason = m_jobs.debugLines().isEmpty() ? QStringLiteral("失败") : m_jobs.debugLines().last();
        recordCycle(reason);
        stall(reason);
        return;
    }
    case Result::Cancelled:
        recordCycle(QStringLiteral("已取消"));
        waitAgain(waitingText());
        return;
    case Result::Held: {
        // nothing was sent; the next interval tries again
        const QString held = m_cycle.held;
        recordCycle();
        waitAgain(waitingText() + kBreak + QStringLiteral("上传保护: 本次没有上传 (") + held + QLatin1Char(')'));
        Q_EMIT cycleTrouble(false, held);
        return;
    }
    case Result::Completed:
    case Result::NothingToUpload:
        break;
    }
    if (step == Step::Download) {
        QSqlQuery count(m_db);
        if (count.exec(QStringLiteral("select count(*) from TB_Source")) && count.next())
            m_cycle.downloaded = count.value(0).toInt();
        // the download's end has run the difference query
        if (const int ticked = m_steps.tickedRows(); ticked >= 0)
            m_cycle.differing = ticked;
        if (m_upload) {
            const QString shrink = Guardrails::sourceShrink(
                m_cycle.downloaded, SyncCycleLog(m_db).previousDownload(m_cycle.id), m_settings);
            if (!shrink.isEmpty()) {
                m_cycle.held = shrink;
                m_jobs.debug(QStringLiteral("上传保护: 本次没有上传. ") + shrink);
                m_state = State::Uploading;
                stepFinished(Step::Upload, Result::Held);
                return;
            }
            const QString done =
                QStringLiteral("同步计划状态:(") + m_steps.account() + QLatin1Char(')') + sourceDone();
            setHint(done);
            setHint(done + kBreak + QStringLiteral("正在上传..."));
            runUpload();
        } else {
            // a cycle without its upload step ends here
            recordCycle();
            waitAgain(waitingText() + sourceDone());
        }
        return;
    }
    recordCycle();
    QString text = waitingText();
    if (m_download)
        text += sourceDone();
    if (result == Result::NothingToUpload)
        text += kBreak + QStringLiteral("完成上传:") + Clock::nowText();
    else if (m_upload)
        text += targetDone();
    waitAgain(text);
}

void SyncPlan::handBack()
{
    if (m_state == State::Downloading || m_state == State::Uploading)
        waitAgain(waitingText());
}

void SyncPlan::recordCycle(const QString &error)
{
    m_cycle.error = error;
    m_cycle.ended = Clock::now();
    m_lastCycle = m_cycle;
    if (m_cycle.id == 0)
        return;
    QString failure;
    if (!SyncCycleLog(m_db).finish(m_cycle, &failure))
        m_jobs.debug(QStringLiteral("Error:") + failure);
    m_cycle.id = 0;
}

void SyncPlan::waitAgain(const QString &hint, int dueIn)
{
    m_state = State::Waiting;
    m_countdown = dueIn < 0 ? 0 : std::max(0, m_interval * 60 - dueIn);
    m_nextRun = Clock::now().addSecs(m_interval * 60 - m_countdown);
    setHint(hint);
    setTray(Tray::Still);
    Intervals::arm(m_timer, 1000, true);
    Q_EMIT noteChanged();
}

void SyncPlan::stall(const QString &reason)
{
    m_state = State::Stalled;
    m_timer.stop();
    setTray(Tray::Still);
    Q_EMIT noteChanged();
    Q_EMIT cycleTrouble(true, reason);
}

void SyncPlan::setTray(Tray tray)
{
    if (m_tray == tray)
        return;
    m_tray = tray;
    Q_EMIT trayChanged(tray);
}

void SyncPlan::setHint(const QString &hint)
{
    m_jobs.setTrayHint(hint);
}
