#include "sync/SyncCycle.h"

#include "base/Clock.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "store/Settings.h"
#include "store/SyncCycleLog.h"
#include "sync/Guardrails.h"

#include <QJsonArray>
#include <QSqlQuery>

namespace {

QJsonArray rowsJson(const QList<QuantityRow> &rows)
{
    QJsonArray out;
    for (const QuantityRow &r : rows) {
        QJsonObject o{{QStringLiteral("account"), r.account},
                      {QStringLiteral("num_iid"), r.numIid},
                      {QStringLiteral("sku_id"), r.skuId},
                      {QStringLiteral("title"), r.title},
                      {QStringLiteral("color"), r.color},
                      {QStringLiteral("size"), r.size},
                      {QStringLiteral("before"), r.before},
                      {QStringLiteral("after"), r.after.isEmpty() ? r.source : r.after}};
        if (!r.reason.isEmpty())
            o.insert(QStringLiteral("reason"), r.reason);
        out.append(o);
    }
    return out;
}

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

} // namespace

QString SyncSummary::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Completed:
        return QStringLiteral("completed");
    case Outcome::Busy:
        return QStringLiteral("busy");
    case Outcome::NoSteps:
        return QStringLiteral("no-steps");
    case Outcome::DownloadFailed:
        return QStringLiteral("download-failed");
    case Outcome::QueryRefused:
        return QStringLiteral("query-refused");
    case Outcome::QueryFailed:
        return QStringLiteral("query-failed");
    case Outcome::UploadFailed:
        return QStringLiteral("upload-failed");
    case Outcome::Held:
        return QStringLiteral("held");
    }
    return {};
}

QJsonObject SyncSummary::toJson() const
{
    return QJsonObject{{QStringLiteral("outcome"), outcomeName(outcome)},
                       {QStringLiteral("started"), timeText(started)},
                       {QStringLiteral("ended"), timeText(ended)},
                       {QStringLiteral("download_step"), downloadStep},
                       {QStringLiteral("upload_step"), uploadStep},
                       {QStringLiteral("rows_downloaded"), rowsDownloaded},
                       {QStringLiteral("rows_differing"), rowsDiffering},
                       {QStringLiteral("rows_uploaded"), rowsUploaded},
                       {QStringLiteral("uploaded"), rowsJson(uploaded)},
                       {QStringLiteral("not_uploaded"), rowsJson(notUploaded)},
                       {QStringLiteral("refused"), rowsJson(refused)},
                       {QStringLiteral("skipped"), rowsJson(skipped)},
                       {QStringLiteral("would_upload"), rowsJson(planned)},
                       {QStringLiteral("settled"), QJsonArray::fromStringList(settled)},
                       {QStringLiteral("preview"), preview.toJson()},
                       {QStringLiteral("held"), held},
                       {QStringLiteral("dry_run"), dryRun},
                       {QStringLiteral("cycle_id"), cycleId},
                       {QStringLiteral("failures"), QJsonArray::fromStringList(failures)}};
}

SyncCycle::SyncCycle(JobHost &host, SourceDownloadJob &download, DifferenceQuery &query,
                     QuantityUploadJob &upload, const QSqlDatabase &db, QObject *parent)
    : QObject(parent), m_host(host), m_download(download), m_query(query), m_upload(upload), m_db(db)
{
    connect(&m_download, &SourceDownloadJob::ended, this,
            [this](SourceDownloadJob::Outcome o) { downloadEnded(static_cast<int>(o)); });
    connect(&m_upload, &QuantityUploadJob::ended, this, &SyncCycle::uploadEnded);
}

void SyncCycle::setSteps(bool download, bool upload)
{
    m_stepsSet = true;
    m_downloadStep = download;
    m_uploadStep = upload;
}

QString SyncCycle::WaitingHint(int intervalMinutes, const QString &account)
{
    return QStringLiteral("同步计划状态:等待中...(间隔:") + QString::number(intervalMinutes) +
           QStringLiteral("分钟)-") + account;
}

QString SyncCycle::UploadStartingHint(const QString &account, const QString &downloadTime)
{
    return QStringLiteral("同步计划状态:(") + account + QStringLiteral(")\r\n完成下载:") + downloadTime +
           QStringLiteral("\r\n正在上传...");
}

bool SyncCycle::start(bool startedByPlan)
{
    if (running())
        return false;
    m_summary = SyncSummary();
    m_summary.started = Clock::now();
    m_byPlan = startedByPlan;
    const Settings settings(m_db);
    m_summary.downloadStep = m_stepsSet ? m_downloadStep : settings.flag(Setting::SyncDownload);
    m_summary.uploadStep = m_stepsSet ? m_uploadStep : settings.flag(Setting::SyncUpload);
    m_summary.dryRun = m_dryRun;
    if (m_host.busy()) {
        done(SyncSummary::Outcome::Busy, QStringLiteral("另一个任务正在执行, 本次同步没有开始."));
        return false;
    }
    if (!m_summary.downloadStep && !m_summary.uploadStep) {
        done(SyncSummary::Outcome::NoSteps, QStringLiteral("请至\"设置同步计划\",选择同步项."));
        return false;
    }
    QString error;
    m_summary.cycleId = SyncCycleLog(m_db).begin(startedByPlan ? QStringLiteral("plan") : QStringLiteral("person"),
                                                 m_query.options().account, &error);
    if (m_summary.cycleId == 0)
        m_host.debug(QStringLiteral("Error:") + error);
    m_upload.setCycleId(m_summary.cycleId);
    if (!m_summary.downloadStep) {
        compareAndUpload();
        return true;
    }
    m_step = Step::Download;
    if (!m_download.FromDownloadClick()) {
        const bool nothing = m_download.outcome() == SourceDownloadJob::Outcome::NothingToDo;
        done(SyncSummary::Outcome::DownloadFailed,
             nothing ? QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选")
                     : QStringLiteral("下载源宝贝库存数据没有开始."));
        return m_summary.ok();
    }
    return true;
}

void SyncCycle::downloadEnded(int outcome)
{
    if (m_step != Step::Download)
        return;
    using O = SourceDownloadJob::Outcome;
    switch (static_cast<O>(outcome)) {
    case O::Completed: {
        QSqlQuery q(m_db);
        if (q.exec(QStringLiteral("select count(*) from TB_Source")) && q.next())
            m_summary.rowsDownloaded = q.value(0).toInt();
        compareAndUpload();
        return;
    }
    case O::ErrorReply:
        done(SyncSummary::Outcome::DownloadFailed, QStringLiteral("下载源宝贝库存数据失败: 平台返回了错误."));
        return;
    case O::NetworkGaveUp:
        done(SyncSummary::Outcome::DownloadFailed, JobHost::networkErrorText());
        return;
    case O::DatabaseError:
        done(SyncSummary::Outcome::DownloadFailed, QStringLiteral("下载源宝贝库存数据失败: 数据库错误."));
        return;
    case O::Cancelled:
        done(SyncSummary::Outcome::DownloadFailed, QStringLiteral("下载源宝贝库存数据已取消."));
        return;
    case O::NothingToDo:
        done(SyncSummary::Outcome::DownloadFailed, QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选"));
        return;
    }
}

void SyncCycle::compareAndUpload()
{
    m_step = Step::Upload; // the query and the upload
    DifferenceQuery::Outcome compared = DifferenceQuery::Outcome::Completed;
    if (m_runQuery) {
        compared = m_runQuery();
    } else {
        m_query.options().view = ViewFilter::Differ;
        compared = m_query.GetData_TB_Object(QString());
    }
    switch (compared) {
    case DifferenceQuery::Outcome::Completed:
        break;
    case DifferenceQuery::Outcome::Refused:
        done(SyncSummary::Outcome::QueryRefused, DifferenceQuery::tooManyDuplicatesText());
        return;
    case DifferenceQuery::Outcome::Busy:
    case DifferenceQuery::Outcome::Failed:
        done(SyncSummary::Outcome::QueryFailed, QStringLiteral("比较目标店铺与源宝贝失败."));
        return;
    }
    m_summary.rowsDiffering = m_query.model().checkedCount();
    if (!m_summary.uploadStep) {
        done(SyncSummary::Outcome::Completed);
        return;
    }
    // the source guardrail: a download much smaller than the last complete one
    QString shrink;
    if (m_summary.downloadStep)
        shrink = Guardrails::sourceShrink(m_summary.rowsDownloaded,
                                          SyncCycleLog(m_db).previousDownload(m_summary.cycleId), Settings(m_db));
    m_upload.setSourceHeld(shrink);
    m_upload.setDryRun(m_dryRun);
    m_upload.setGuardPolicy(m_force ? GuardPolicy::Force : GuardPolicy::Hold);
    Q_EMIT uploadStarting();
    // nothing ticked reports NothingTicked through ended() at once
    const bool started = m_upload.UploadClick(m_byPlan);
    m_upload.setSourceHeld(QString());
    m_upload.setDryRun(false);
    if (!started && running())
        done(SyncSummary::Outcome::UploadFailed, QStringLiteral("上传最新库存没有开始."));
}

void SyncCycle::uploadEnded(QuantityUploadJob::Outcome outcome)
{
    if (m_step != Step::Upload)
        return;
    m_summary.uploaded = m_upload.uploaded();
    m_summary.rowsUploaded = static_cast<int>(m_summary.uploaded.size());
    m_summary.refused = m_upload.refused();
    m_summary.skipped = m_upload.skipped();
    m_summary.planned = m_upload.planned();
    m_summary.settled = m_upload.settleNotes();
    m_summary.preview = m_upload.preview();
    m_summary.failureCode = m_upload.failureCode();
    switch (outcome) {
    case QuantityUploadJob::Outcome::DryRun:
        // what would have held
        m_summary.held = m_summary.preview.held;
        done(SyncSummary::Outcome::Completed);
        return;
    case QuantityUploadJob::Outcome::Completed:
    case QuantityUploadJob::Outcome::NothingTicked:
        // forced past a guardrail or not held: this download is the new reference
        done(SyncSummary::Outcome::Completed);
        return;
    case QuantityUploadJob::Outcome::Held:
        m_summary.held = m_summary.preview.held;
        done(SyncSummary::Outcome::Held, QStringLiteral("上传保护: 本次没有上传. ") + m_summary.held);
        return;
    default:
        m_summary.notUploaded = m_upload.notUploaded();
        done(SyncSummary::Outcome::UploadFailed,
             m_upload.failureText().isEmpty() ? QStringLiteral("上传已取消.") : m_upload.failureText());
        return;
    }
}

void SyncCycle::done(SyncSummary::Outcome outcome, const QString &failure)
{
    m_step = Step::Idle;
    m_summary.outcome = outcome;
    if (!failure.isEmpty())
        m_summary.failures << failure;
    m_summary.ended = Clock::now();
    record();
    Q_EMIT finished(m_summary);
}

void SyncCycle::record()
{
    m_upload.setCycleId(0);
    if (m_summary.cycleId == 0)
        return;
    CycleRecord r;
    r.id = m_summary.cycleId;
    r.ended = m_summary.ended;
    r.downloaded = m_summary.rowsDownloaded;
    r.differing = m_summary.rowsDiffering;
    r.uploaded = m_summary.rowsUploaded;
    r.refused = static_cast<int>(m_summary.refused.size());
    r.held = m_summary.held;
    if (m_summary.outcome != SyncSummary::Outcome::Completed && m_summary.outcome != SyncSummary::Outcome::Held)
        r.error = m_summary.failures.join(QLatin1Char(' '));
    if (m_summary.dryRun && r.held.isEmpty())
        r.error = QStringLiteral("试运行 (--dry-run), 没有上传");
    QString error;
    if (!SyncCycleLog(m_db).finish(r, &error))
        m_host.debug(QStringLiteral("Error:") + error);
}
