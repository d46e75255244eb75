#pragma once

#include "sync/DifferenceQuery.h"
#include "sync/QuantityUpload.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <functional>

class JobHost;
class SourceDownloadJob;

// What one synchronisation cycle did.
struct SyncSummary
{
    enum class Outcome {
        Completed,      // every step that was on ran to its end (also when nothing differed)
        Busy,           // a job was running: the cycle did not start
        NoSteps,        // neither the download nor the upload step is on
        DownloadFailed, // the source download did not complete
        QueryRefused,   // the duplicate-key check refused the difference query
        QueryFailed,    // the difference query failed
        UploadFailed,   // the upload ended early (error reply, network, database)
        Held,           // a guardrail held the upload: nothing was sent
    };
    Outcome outcome = Outcome::Completed;
    QDateTime started;
    QDateTime ended;
    bool downloadStep = true;
    bool uploadStep = true;
    int rowsDownloaded = 0; // TB_Source rows after the download (0 when the step is off)
    int rowsDiffering = 0;  // ticked rows of the list after the difference query
    int rowsUploaded = 0;
    QList<QuantityRow> uploaded;
    QList<QuantityRow> notUploaded; // still ticked after a failed upload
    QList<QuantityRow> refused;     // rows the platform refused (reason: its text)
    QList<QuantityRow> skipped;     // rows left out before sending (reason given)
    QList<QuantityRow> planned;     // what the upload was about to send (a dry run's answer)
    QStringList settled;            // what the settling of earlier "sent" rows found
    UploadPreview preview;          // what the guardrails looked at
    QString held;                   // the guardrail that held ("" when none)
    bool dryRun = false;
    int failureCode = 0;            // the error code of the reply that ended the upload
    qint64 cycleId = 0;             // the TB_Sync_Cycle row
    QStringList failures;           // messages of what went wrong, in order

    bool ok() const { return outcome == Outcome::Completed; }
    static QString outcomeName(Outcome outcome);
    QJsonObject toJson() const;
};

// One cycle of the sync plan, GUI-free: with the download step (NM 101) the
// source download, then the difference query in the view
// "仅显示有库存差异的宝贝", then with the upload step (NM 102) the quantity
// upload of the ticked rows. The cycle follows the jobs' ended() signals
// itself, so a plan that uses it leaves the source download's own plan
// hand-over unset. finished() comes once per started cycle.
class SyncCycle : public QObject
{
    Q_OBJECT
public:
    SyncCycle(JobHost &host, SourceDownloadJob &download, DifferenceQuery &query, QuantityUploadJob &upload,
              const QSqlDatabase &db, QObject *parent = nullptr);

    // The steps of the next start; unset, start() reads NM 101 and NM 102.
    void setSteps(bool download, bool upload);
    void clearSteps() { m_stepsSet = false; }
    // How the difference query runs (the window reads its controls first);
    // unset: the view "仅显示有库存差异的宝贝" with an empty keyword.
    void setRunQuery(std::function<DifferenceQuery::Outcome()> run) { m_runQuery = std::move(run); }

    // A dry run downloads and compares but sends nothing: the summary holds
    // the preview and what would be sent. Force lets the upload go on past
    // a guardrail that holds.
    void setDryRun(bool on) { m_dryRun = on; }
    void setForce(bool on) { m_force = on; }

    // Starts a cycle; false (finished() with Busy or NoSteps) when it cannot.
    // startedByPlan: the upload asks nothing and journals "plan".
    bool start(bool startedByPlan = true);
    bool running() const { return m_step != Step::Idle; }
    const SyncSummary &summary() const { return m_summary; }

    // The tray hint while the plan waits: "同步计划状态:等待中...(间隔:N分钟)-account".
    static QString WaitingHint(int intervalMinutes, const QString &account);
    // The hint when the download is done and the upload starts.
    static QString UploadStartingHint(const QString &account, const QString &downloadTime);

Q_SIGNALS:
    // The source download completed and the upload is about to start.
    void uploadStarting();
    void finished(const SyncSummary &summary);

private:
    enum class Step { Idle, Download, Upload };
    void downloadEnded(int outcome);
    void compareAndUpload();
    void uploadEnded(QuantityUploadJob::Outcome outcome);
    void done(SyncSummary::Outcome outcome, const QString &failure = QString());
    void record();

    JobHost &m_host;
    SourceDownloadJob &m_download;
    DifferenceQuery &m_query;
    QuantityUploadJob &m_upload;
    QSqlDatabase m_db;
    bool m_stepsSet = false;
    bool m_downloadStep = true;
    bool m_uploadStep = true;
    bool m_byPlan = true;
    bool m_dryRun = false;
    bool m_force = false;
    Step m_step = Step::Idle;
    SyncSummary m_summary;
    std::function<DifferenceQuery::Outcome()> m_runQuery;
};
