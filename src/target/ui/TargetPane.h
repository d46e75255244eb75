#pragma once

#include <QWidget>

class Application;
class JobHost;
class ListModel;
class QAction;
class QComboBox;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class TargetListPage;
class WarehousePage;
struct ShowSettings;

// The target pane `_PanelObject`: the toolbar `_ObjectToolbar` with the
// account box `_users` and the two selectors `_Uniqid` and `_UpgradeStock`,
// and the page control `_ObjectPage` with the target list, the formulas, the
// warehouse list and the options. The toolbar's buttons come from the
// window's command table, in front of the selectors.
class TargetPane : public QWidget
{
    Q_OBJECT
public:
    TargetPane(Application &app, QWidget *parent = nullptr);

    QToolBar *toolbar() const { return m_toolbar; }
    // Where the command table puts its buttons: in front of the selectors.
    QAction *toolbarAnchor() const { return m_anchor; }
    QMenu *popupMenu() const { return m_popup; }
    QTabWidget *objectPage() const { return m_objectPage; }
    ListModel *targetModel() const;
    // The "其他功能" button, enabled on the first tab only.
    void setOtherButton(QToolButton *button) { m_otherButton = button; }

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

    // The loaders; they fill their lists once their commands exist.
    void GetUserList();
    void GetData_TB_Object(const QString &keyword);
    void GetFormula();
    void ShowHideObjectOption();

private:
    void buildToolbar();
    QWidget *buildOptionsTab();

    JobHost &m_jobs;
    QToolBar *m_toolbar = nullptr;
    QAction *m_anchor = nullptr;
    QToolButton *m_otherButton = nullptr;
    QComboBox *m_users = nullptr;
    QComboBox *m_uniqid = nullptr;
    QComboBox *m_upgradeStock = nullptr;
    QTabWidget *m_objectPage = nullptr;
    TargetListPage *m_targetPage = nullptr;
    WarehousePage *m_warehousePage = nullptr;
    QMenu *m_popup = nullptr;
    QMenu *m_inventoryPopup = nullptr;
};
