#pragma once

#include "sync/SyncPlan.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class Application;
class QAbstractButton;
class QLabel;
class QMainWindow;
class QStatusBar;
class QSystemTrayIcon;
class QToolButton;
class SourceDownloadJob;
class TargetPane;

// The sync plan in the main window: the plan's steps are the window's own
// handlers (the source download, the target list's view and query, the
// quantity upload), the tray icon `_RzTrayIcon` shows the plan (hidden,
// still while it waits, animated while a cycle's job runs) with its status
// text as hint, and the window goes to the notification area while the plan
// runs and comes back when it is cancelled. The status bar repeats the
// status text with a cancel button, also where no notification area exists.
// The tray's hint adds the next run's time and the last cycle's counts; a
// failed or held cycle shows a balloon with the reason; a double-click on
// the icon shows the window. The first time the plan puts the window away
// the seller is told where it went (once; setting 103 remembers it).
class SyncPlanFrame : public QObject, public PlanSteps
{
    Q_OBJECT
public:
    SyncPlanFrame(Application &app, QMainWindow &window, TargetPane &targets, QSystemTrayIcon &tray,
                  QObject *parent = nullptr);
    ~SyncPlanFrame() override;

    SyncPlan &plan() { return *m_plan; }
    // The `_Upload` button: enabled once a shop account is authorized.
    void setUploadButton(QAbstractButton *button);

    // The quantity upload as `_UploadClick` starts it. Its end must come back
    // through uploadFinished() (Completed after a whole run, NothingToUpload
    // when nothing was ticked, Failed after an error reply or the network
    // given up, Cancelled after the user's cancel).
    void setQuantityUpload(std::function<PlanSteps::Start()> start) { m_startUpload = std::move(start); }
    void uploadFinished(SyncPlan::Result result) { m_plan->stepFinished(SyncPlan::Step::Upload, result); }

    QLabel *statusLabel() const { return m_status; }
    // Shows the window as it was (maximised or not), in front.
    void showWindow();
    // The words the seller gets the first time the plan puts the window away.
    static QString TrayNoticeText(bool trayAvailable);
    // The balloon of a failed and of a held cycle.
    static QString TroubleTitle(bool failed);
    int trayFrame() const { return m_frame; }

    // PlanSteps
    bool jobRunning() const override;
    bool uploadAllowed() const override;
    QString account() const override;
    void showDifferences() override;
    Start startDownload() override;
    Start startUpload() override;
    int tickedRows() const override;

private:
    void showRunning(bool running);
    void showTray(SyncPlan::Tray tray);
    void nextFrame();
    void showHint(const QString &hint);
    void showTrouble(bool failed, const QString &reason);
    // Once: where the window has gone.
    void tellWhereTheWindowWent(bool toTray);

    Application &m_app;
    QMainWindow &m_window;
    TargetPane &m_targets;
    QSystemTrayIcon &m_tray;
    SourceDownloadJob &m_download;
    SyncPlan *m_plan = nullptr;
    QPointer<QAbstractButton> m_uploadButton;
    std::function<PlanSteps::Start()> m_startUpload;
    QLabel *m_status = nullptr;
    QToolButton *m_cancel = nullptr;
    QList<QIcon> m_frames;
    QTimer m_animation;
    int m_frame = 0;
    bool m_wasMaximized = true;
};
