#pragma once

#include "lists/ItemLinks.h"

#include <QDialog>
#include <memory>

class Application;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class ShopSearch;

// The link-collection dialog "搜索添加宝贝链接(URL)-GROUP": item page
// addresses pasted one a line, or collected by a shop's own search, go into
// one group of the source list (tag 0) or the target list (tag 1), reached by
// its Uniqid (the name, blanks and all, is only shown). It closes with
// Accepted after the links were stored.
class TfrmFormAddURL : public QDialog
{
    Q_OBJECT
public:
    TfrmFormAddURL(Application &app, int tag, int groupId, const QString &groupName, QWidget *parent = nullptr);
    ~TfrmFormAddURL() override;

    int tag() const { return m_tag; }
    int group() const { return m_group; }
    ShopSearch &search() { return *m_search; }
    // Memo lines as the status bar counts them.
    int lineCount() const;

public Q_SLOTS:
    void FormShow();
    void SearchClick();
    void StartDownloadClick();
    void RzBitBtn1Click();
    void Cancel2Click();
    void URLChange();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPanel(bool shown, const QString &caption);
    void addCollected();
    void placePanel();
    // The group's Uniqid while it is still one of the list's groups, else -1.
    int groupNow() const;

    Application &m_app;
    int m_tag;
    QString m_groupName;
    int m_group = -1;
    ItemLinks m_links;
    ShopSearch *m_search;

    QFrame *m_panelSearch;
    QComboBox *m_type;
    QLineEdit *m_shopUrl;
    QLineEdit *m_keyword;
    QPushButton *m_searchButton;
    QPlainTextEdit *m_url;
    QPlainTextEdit *m_debug;
    QPushButton *m_startDownload;
    QPushButton *m_cancel;
    QStatusBar *m_status;
    QFrame *m_processPanel;
    QLabel *m_lblCaption;
    QPushButton *m_cancel2;
};
