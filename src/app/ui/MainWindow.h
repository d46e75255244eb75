#pragma once

#include <memory>
#include <vector>

#include "app/MainWindowState.h"

#include <QMainWindow>
#include <QPointer>
#include <QSqlDatabase>
#include <QTimer>

class Application;
class Desktop;
class Interaction;
class JobHost;
class ListModel;
class ProgressPanelState;
class SourceDownloadJob;
class SourceList;
class TopClient;
class ListView;
class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QSystemTrayIcon;
class QTabWidget;
class QTimeEdit;
class QToolBar;
class QToolButton;
class TfrmAbout;

// The main window. It is created on the data module's connection and talks
// to the user and the desktop only through the two seams it is given.
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
    bool cancelFlag() const;
    void setCancelFlag(bool on);
    bool firstLoadDone() const { return m_firstLoadDone; }
    QSqlDatabase connection() const { return m_db; }

    // The lists' models.
    ListModel *sourceModel() const { return m_sourceModel; }
    ListModel *priceModel() const { return m_priceModel; }
    ListModel *stockModel() const { return m_stockModel; }
    ListModel *targetModel() const { return m_targetModel; }
    ListModel *inventoryModel() const { return m_inventoryModel; }

    // True while a progress panel is shown: list commands and jobs wait.
    bool busy() const;
    // The request jobs' shared state, the open-platform client and the source side's logic.
    JobHost &jobs() const { return *m_jobs; }
    TopClient &topClient() const { return *m_client; }
    SourceList &sourceList() const { return *m_sourceLogic; }
    SourceDownloadJob &sourceDownload() const { return *m_sourceDownload; }
    // A line for the debug memo.
    void appendDebug(const QString &text);

public Q_SLOTS:
    void FormCreate();
    void FormShow();
    void TimerShowTimer();
    void SetColor();
    void EnableControl(bool enabled);
    void ShowSourcePageClick();
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
    void ObjectPageChange(int index);

    // The source side (source list and source download).
    void FromDownloadClick();
    void Cancel1Click();
    void Cancel2Click();
    void RefreshData_SourceClick();
    void SourceSearchClick();
    void chkouterid2Click();
    void chkEasyClick();
    void N1Click();
    void N3Click();
    void N7Click();
    void N13Click();
    void N31Click();
    void N57Click();
    void N70Click();

    // The lists' loaders; they fill the lists once their commands exist.
    void GetData_TB_Source(const QString &keyword);
    void GetTotal_Source();
    void GetUserList();
    void GetData_TB_Object(const QString &keyword);
    void GetFormula();
    void ShowHideObjectOption();
    void NoShowOnlyClick();

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

    void buildMenus();
    void buildSourceToolbar();
    void buildKeyToolbar();
    QWidget *buildSourcePane();
    QWidget *buildSourceListTab();
    QWidget *buildPriceTab();
    QWidget *buildStockTab();
    QWidget *buildTargetPane();
    QWidget *buildTargetListTab();
    QWidget *buildFormulaTab();
    QWidget *buildInventoryTab();
    QWidget *buildOptionsTab();
    void buildProgressPanels();
    void buildBrowserPanels();
    void buildStatusBar();
    void buildTray();
    void buildPopupMenus();
    void applySourcePaneLook(bool expanded);
    void placeFloatingPanels();
    void colourSelector(QComboBox *box, uint rgb);
    // The source side: the jobs, the client and the source list's logic.
    void buildSourceSide();
    void mirrorPanel(const ProgressPanelState &state, QFrame *panel);
    void readSourceFilter();
    std::vector<int> selectedSourceRows() const;

    QAction *addAction(QMenu *menu, const QString &name, const QString &caption);
    QToolButton *addToolButton(QToolBar *bar, const QString &name, const QString &caption);

    QSqlDatabase m_db;
    int m_hideNonUniqueFlag = 0;
    Interaction &m_ui;
    Desktop &m_desktop;

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

    // source pane
    QWidget *m_panelSource = nullptr;
    QTabWidget *m_sourcePage = nullptr;
    QWidget *m_sourcePanelTop = nullptr;
    QWidget *m_panelSourceTotal = nullptr;
    QLabel *m_lblSourceUpdate = nullptr;
    QLineEdit *m_sourceKeyword = nullptr;
    QCheckBox *m_chkEasy = nullptr;
    ListView *m_sourceList = nullptr;
    ListView *m_priceList = nullptr;
    ListView *m_stockList = nullptr;
    QToolBar *m_sourceToolbar = nullptr;
    QToolButton *m_showSourcePage = nullptr;
    QToolButton *m_refreshSource = nullptr;
    QAction *m_menuShowSourcePage = nullptr;

    // hidden key bar
    QToolBar *m_keyToolbar = nullptr;
    QLineEdit *m_appKeyEdit = nullptr;
    QLineEdit *m_appSecretEdit = nullptr;

    // target pane
    QWidget *m_panelObject = nullptr;
    QToolBar *m_objectToolbar = nullptr;
    QToolButton *m_otherButton = nullptr;
    QComboBox *m_users = nullptr;
    QComboBox *m_uniqid = nullptr;
    QComboBox *m_upgradeStock = nullptr;
    QTabWidget *m_objectPage = nullptr;
    ListView *m_targetList = nullptr;
    ListView *m_inventoryList = nullptr;
    QCheckBox *m_noShowOnly = nullptr;
    QLineEdit *m_inventoryKeyword = nullptr;
    QDateTimeEdit *m_nowDatetime = nullptr;
    QTimeEdit *m_endTime = nullptr;

    // floating panels, memo, status, tray
    QFrame *m_processPanel1 = nullptr;
    QFrame *m_processPanel2 = nullptr;
    QFrame *m_panelWebBrowser1 = nullptr;
    QFrame *m_panelWebBrowser2 = nullptr;
    QPlainTextEdit *m_debug = nullptr;
    QLabel *m_versionStatus = nullptr;
    QLabel *m_statusTips = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_popupSync = nullptr;

    ListModel *m_sourceModel;
    ListModel *m_priceModel;
    ListModel *m_stockModel;
    ListModel *m_targetModel;
    ListModel *m_inventoryModel;

    QPointer<TfrmAbout> m_about;

    Application &m_app;
    JobHost *m_jobs = nullptr;
    TopClient *m_client = nullptr;
    SourceList *m_sourceLogic = nullptr;
    SourceDownloadJob *m_sourceDownload = nullptr;
};
