#pragma once

#include <QPointer>
#include <QWidget>

class Application;
class ConfirmedSelector;
class DifferenceQuery;
class FormulaPage;
class FormulaTab;
class Interaction;
class JobHost;
class ListModel;
class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class Settings;
class TargetListCommands;
class TargetListPage;
class TfrmTB_Object;
class WarehousePage;
struct ShowSettings;

// The target pane `_PanelObject`: the toolbar `_ObjectToolbar` with the
// account box `_users` and the two selectors `_Uniqid` and `_UpgradeStock`,
// and the page control `_ObjectPage` with the target list, the formulas, the
// warehouse list and the options. The toolbar's buttons come from the
// window's command table, in front of the selectors. The handlers read the
// controls into the difference query's options and forward to the query,
// the formula page and the selectors.
class TfrmAccountAdmin;
class TargetPane : public QWidget
{
    Q_OBJECT
public:
    TargetPane(Application &app, QWidget *parent = nullptr);
    ~TargetPane() override;

    QToolBar *toolbar() const { return m_toolbar; }
    // Where the command table puts its buttons: in front of the selectors.
    QAction *toolbarAnchor() const { return m_anchor; }
    QMenu *popupMenu() const { return m_popup; }
    QTabWidget *objectPage() const { return m_objectPage; }
    TargetListPage *targetListPage() const { return m_targetPage; }
    FormulaTab *formulaTab() const { return m_formulaTab; }
    WarehousePage *warehousePage() const { return m_warehousePage; }
    QMenu *inventoryPopupMenu() const { return m_inventoryPopup; }
    ListModel *targetModel() const;
    // The "其他功能" button, enabled on the first tab only.
    void setOtherButton(QToolButton *button) { m_otherButton = button; }
    // The account box; the account list fills it.
    QComboBox *usersBox() const { return m_users; }
    // "登录时检查 淘宝证书 Appkey  权限" on the options tab.
    QCheckBox *checkLoginBox() const { return m_chkLogin; }
    // Setting 120 on the options tab: keys compare trimmed, full-width folded.
    QCheckBox *normalisedKeysBox() const { return m_chkNormalisedKeys; }
    // The warehouse tab's commands a login enables.
    void setLoginCommandsEnabled(bool enabled);
    // While the debug memo is shown the query's statements go to it.
    void setDebugMemoShown(bool shown) { m_debugMemoShown = shown; }

    // "未配对...": the view of what pairs with nothing under the current key.
    void UnmatchedClick();

    QString currentAccount() const;
    int matchingKey() const;
    QString matchingKeyText() const;

    // At the window's first show, and its first load.
    void applyShowSettings(const ShowSettings &show);
    void firstLoad();

public Q_SLOTS:
    void ObjectPageChange(int index);
    void MenuItem1Click();
    void Cancel2Click();
    void NoShowOnlyClick();
    void ObjectSearchClick();
    void RefeshObjectClick();
    // A view filter chosen.
    void chkstockClick();
    // "只显示差异".
    void chkShowPriceClick();
    void UniqidChange(int index);
    void UpgradeStockChange(int index);
    // The tick commands of the list's popup.
    void N43Click(); // "勾选所有"
    void N44Click(); // "所有不勾选"
    void N45Click(); // "选中-勾选"
    void N46Click(); // "选中-取消勾选"
    // The downloads: by target configuration (_DownloadGroup, N62, N68) and
    // by source configuration (NDownload).
    void N62Click();
    void DownloadClick();
    // The list's download commands: delete, copy (the action's Tag), save as, empty the account.
    void MenuItem3Click();
    void MenuItem6Click();
    void MenuItem13Click();
    void N67Click();
    // "查看目标店铺当前用户所有已下载的数据": the target item browser.
    void N71Click();
    // "上传最新库存到目标店铺": the quantity upload of the ticked rows.
    void UploadClick();
    // "其他功能": price upload, delisting and listing of the ticked rows.
    void _updatepriceClick();
    void _delistingClick();
    void _listingClick();

    // "帐号管理": the account dialog, then the account list again.
    void AccountAdminClick();
    // "配置目标下载源(我的店铺)": the item-list dialog on the target list.
    void ObjectConfigClick();
    // An account chosen in the account box.
    void usersClick();

    // The loaders.
    void GetUserList();
    void GetData_TB_Object(const QString &keyword);
    void GetTotal_Object();
    void GetFormula();
    void ShowFormulaTag();
    void ShowHideObjectOption();

Q_SIGNALS:
    // The status bar's note on the confirmed matching key.
    void statusTipsChanged(const QString &text);
    // A quantity or price upload has ended: what it did, in one line.
    void uploadReported(const QString &headline);

private:
    void buildToolbar();
    QWidget *buildOptionsTab();
    void readOptions();
    QString trimmedKeyword() const;
    // A view filter or the uniqueness option changed.
    void viewChanged();
    void showConfirmed(QComboBox *box, const ConfirmedSelector &selector);

    Application &m_app;
    JobHost &m_jobs;
    Interaction &m_ui;
    const Settings &m_settings;
    DifferenceQuery &m_query;
    FormulaPage &m_formulas;
    ConfirmedSelector &m_keySelector;
    ConfirmedSelector &m_uploadSelector;
    bool m_debugMemoShown = false;

    QToolBar *m_toolbar = nullptr;
    QAction *m_anchor = nullptr;
    QToolButton *m_otherButton = nullptr;
    QComboBox *m_users = nullptr;
    QComboBox *m_uniqid = nullptr;
    QComboBox *m_upgradeStock = nullptr;
    QTabWidget *m_objectPage = nullptr;
    TargetListPage *m_targetPage = nullptr;
    FormulaTab *m_formulaTab = nullptr;
    WarehousePage *m_warehousePage = nullptr;
    QCheckBox *m_chkNoOuterId = nullptr;
    QCheckBox *m_chkIgore = nullptr;
    QCheckBox *m_chkLogin = nullptr;
    QCheckBox *m_chkNormalisedKeys = nullptr;
    class TfrmUnmatched *m_unmatched = nullptr;
    QMenu *m_popup = nullptr;
    QMenu *m_inventoryPopup = nullptr;
    QPointer<TfrmAccountAdmin> m_accountAdmin;
    TargetListCommands *m_listCommands = nullptr;
    QPointer<TfrmTB_Object> m_browser;
};
