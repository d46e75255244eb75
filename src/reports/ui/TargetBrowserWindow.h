#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

class Application;
class ListModel;
class ListView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class TargetBrowser;

// The target item browser `TfrmTB_Object` "目标店铺(我的店铺)已下载数据": the
// current account's TB_Object rows with a keyword search, a row limit, copy
// commands and the item page. Created on first use, kept, shown modally;
// every opening reloads through a 200 ms one-shot timer.
class TfrmTB_Object : public QDialog
{
    Q_OBJECT
public:
    // accounts: the text of the main window's account box when it loads.
    TfrmTB_Object(Application &app, std::function<QString()> accounts, QWidget *parent = nullptr);
    ~TfrmTB_Object() override;

    TargetBrowser &browser() { return *m_browser; }
    ListView *list() const { return m_list; }
    QMenu *popupMenu() const { return m_popup; }

public Q_SLOTS:
    // "刷新", "搜索", a change of "只显示前200行": loads with the keyword.
    void GetData_TB_Object();
    void chkSearchClick();
    void N1Click();  // "全选"
    void CopyClick(); // the copy commands (the action's Tag is the cell; -1 the item page)
    void N31Click(); // "打开所选项网页地址"

protected:
    void showEvent(QShowEvent *event) override;

private:
    Application &m_app;
    std::function<QString()> m_accounts;
    ListModel *m_model = nullptr;
    TargetBrowser *m_browser = nullptr;
    ListView *m_list = nullptr;
    QLineEdit *m_keyword = nullptr;
    QCheckBox *m_rows200 = nullptr;
    QCheckBox *m_chkSearch = nullptr;
    QComboBox *m_fields = nullptr;
    QLabel *m_total = nullptr;
    QMenu *m_popup = nullptr;
    QTimer m_timer;
    bool m_loading = false;
};
