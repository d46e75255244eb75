#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class Application;
class GroupBox;
class ItemListEditor;
class ListView;
class ProgressPanel;
class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;

// The item-list dialog: one of the two download-source lists (mode 0 the
// source shops' items, 1 the seller's own), its groups, ticks and merchant
// codes. Created on first use and kept; every opening lists anew. The
// handlers forward to ItemListEditor.
class TfrmFromDownload : public QDialog
{
    Q_OBJECT
public:
    TfrmFromDownload(Application &app, QWidget *parent = nullptr);
    ~TfrmFromDownload() override;

    // The window's one item-list dialog (created on first use, kept until
    // the window goes): set to the mode and caption and shown modally. Does
    // nothing while a progress panel of the window is shown.
    static void OpenModal(Application &app, QWidget *owner, int mode, const QString &caption);
    // The dialog OpenModal shows (null before the first opening).
    static TfrmFromDownload *current();

    ItemListEditor &editor() { return *m_editor; }
    // The mode (form Tag) and the caption the opening command gives.
    void setMode(int mode, const QString &caption);
    // Whether a shop account is logged in, and its name (the on-sale download).
    void setLoginState(std::function<bool()> loggedIn, std::function<QString()> account);

    ListView *list() const { return m_list; }
    QStatusBar *statusBar() const { return m_status; }

public Q_SLOTS:
    // Closes the dialog; not while its on-sale download runs (cancel that first).
    void reject() override;
    // GetDataList: lists again (also after links were added elsewhere).
    void reloadList();

    void NOuter_IDClick();
    void DownloadSaleClick();
    void N5Click();
    void N6Click();
    void N7Click();
    void SelectClick();
    void SearchClick();
    void chkObjectConfigClick();
    void StartDownloadClick();
    void RzBitBtn1Click();
    void A1Click();
    void N17Click();
    void N18Click();
    void N1Click();
    void N10Click();
    void NullClick();
    void N13Click();
    void MoveToClick();
    void N9Click();
    void CreateOuterIDClick();
    void CreateOuterID_TitleClick();
    void W1Click();
    void AccessURLClick();

Q_SIGNALS:
    // _SearchURL ("搜索添加宝贝链接"): the link collection for a group of the
    // list (mode, the first ticked group's name and Uniqid). After links were
    // added, reloadList().
    void addLinksRequested(int mode, const QString &groupName, int groupId);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *action(const QString &name, const QString &text, void (TfrmFromDownload::*slot)());
    std::vector<int> selectedRows() const;
    void showGroups();
    void placePanel();

    Application &m_app;
    ItemListEditor *m_editor = nullptr;
    std::function<bool()> m_loggedIn;
    std::function<QString()> m_account;

    QToolBar *m_toolbar = nullptr;
    QAction *m_searchUrl = nullptr;
    QAction *m_downloadSale = nullptr;
    QToolButton *m_groupButton = nullptr;
    QCheckBox *m_select = nullptr;
    GroupBox *m_group = nullptr;
    QLineEdit *m_keyword = nullptr;
    QPushButton *m_search = nullptr;
    QCheckBox *m_chkObjectConfig = nullptr;
    ListView *m_list = nullptr;
    QMenu *m_popup = nullptr;
    QAction *m_null = nullptr;
    QAction *m_createOuterId = nullptr;
    QAction *m_createOuterIdTitle = nullptr;
    QPushButton *m_startDownload = nullptr;
    QPushButton *m_cancel = nullptr;
    QStatusBar *m_status = nullptr;
    ProgressPanel *m_panel = nullptr;
};
