#pragma once

#include "app/MainWindowState.h"

#include <QMainWindow>
#include <QPointer>
#include <QSqlDatabase>

class Application;
class Desktop;
class Interaction;
class JobHost;
class LoginPanels;
class ListModel;
class ProgressPanel;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class SourceDownloadJob;
class SourcePane;
class SyncPlanFrame;
class TfrmSyncConfig;
class TargetPane;
class TfrmAbout;
class TfrmTotalForm;
class TfrmTotalForm1;
class TfrmUploadHistory;
class TopClient;

// The main window's frame: the menus and toolbars built from the command
// table, the source and target panes, the floating progress panels, the
// browser panels, the debug memo, the status bar and the tray icon. The
// panes hold the lists and their commands; the frame holds the commands of
// the program as a whole (exit, tools, help).
class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(Application &app, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Application state set at creation.
    const QString &productName() const { return m_productName; }
    const QString &versionText() const { return m_versionText; }
    const QString &programFolder() const { return m_programFolder; }
    const QString &appKey() const { return m_appKey; }
    const QString &appSecret() const { return m_appSecret; }
    const QString &gateway() const { return m_gateway; }
    const QString &gatewayRoot() const { return m_gatewayRoot; }
    const QString &authorizationAddress() const { return m_authorizationAddress; }
    const ShowSettings &showSettings() const { return m_show; }
    bool firstLoadDone() const { return m_firstLoadDone; }

    SourcePane &sourcePane() const { return *m_sourcePane; }
    TargetPane &targetPane() const { return *m_targetPane; }
    ListModel *sourceModel() const;
    ListModel *targetModel() const;

    // The request jobs' shared state: busy guard and cancel flag.
    JobHost &jobs() const { return m_jobs; }
    bool busy() const;
    bool cancelFlag() const;
    void setCancelFlag(bool on);
    SourceDownloadJob &sourceDownload() const { return m_sourceDownload; }
    // The shop login's browser panels and commands.
    LoginPanels &loginPanels() const { return *m_loginPanels; }
    // The sync plan, its tray icon and its settings dialog.
    SyncPlanFrame &syncPlan() const { return *m_syncPlan; }

public Q_SLOTS:
    void FormCreate();
    void FormShow();
    void TimerShowTimer();
    void SetColor();
    void EnableControl(bool enabled);
    void FormResize();
    void D2Click();
    void est1Click();
    void N10Click();
    void N19Click();
    void H2Click();
    void WebsiteClick();
    void F2Click();
    void UpdateOnlineClick();
    void AboutClick();
    // The statistics and duplicate-key windows, created on first use, modal.
    void N37Click();
    void N61Click();
    // "上传记录": the upload history and the sync cycles, one window, not modal.
    void UploadHistoryClick();
    void N24Click(); // "执行同步计划(&G)"
    void N25Click(); // "设置同步计划(&P)..."
    void NShowMainClick(); // "显示主窗口" (tray menu; also a double-click on the icon)
    void NSyncNowClick();  // "立即同步" (tray menu): a cycle of the plan now
    void N29Click(); // "取消执行同步计划"
    // A line for the debug memo.
    void appendDebug(const QString &text);
    // The status bar's note of the last upload: its time and what it did.
    void showUploadResult(const QString &headline);

Q_SIGNALS:
    // The first load after showing has run.
    void firstLoadFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Returns true when the key was Ctrl+Alt+I and has been handled.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void setDebugShown(bool shown);

    void buildCommands();
    void buildKeyToolbar();
    void buildBrowserPanels();
    void buildStatusBar();
    void buildTray();
    void placeFloatingPanels();

    Application &m_app;
    QSqlDatabase m_db;
    Interaction &m_ui;
    Desktop &m_desktop;
    JobHost &m_jobs;
    TopClient &m_client;
    SourceDownloadJob &m_sourceDownload;

    QString m_productName;
    QString m_versionText;
    QString m_programFolder;
    QString m_appKey;
    QString m_appSecret;
    QString m_gateway;
    QString m_gatewayRoot;
    QString m_authorizationAddress;
    ShowSettings m_show;
    bool m_shown = false;
    bool m_firstLoadDone = false;

    QTimer *m_timerShow = nullptr;
    QToolBar *m_sourceToolbar = nullptr;
    QToolBar *m_keyToolbar = nullptr;
    SourcePane *m_sourcePane = nullptr;
    TargetPane *m_targetPane = nullptr;
    ProgressPanel *m_processPanel1 = nullptr;
    ProgressPanel *m_processPanel2 = nullptr;
    QFrame *m_panelWebBrowser1 = nullptr;
    QFrame *m_panelWebBrowser2 = nullptr;
    LoginPanels *m_loginPanels = nullptr;
    QPlainTextEdit *m_debug = nullptr;
    QLabel *m_versionStatus = nullptr;
    QLabel *m_statusTips = nullptr;
    QLabel *m_uploadResult = nullptr; // what the last upload did, until the next one
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_popupSync = nullptr;

    QPointer<TfrmAbout> m_about;
    QPointer<TfrmTotalForm> m_totalForm;
    QPointer<TfrmTotalForm1> m_totalForm1;
    QPointer<TfrmUploadHistory> m_uploadHistory;
    SyncPlanFrame *m_syncPlan = nullptr;
    QPointer<TfrmSyncConfig> m_syncConfig;
};
