// The main window's source side: the source list `_RzListView` with its
// filter bar and popup menu, the source download, and the two progress
// panels that mirror the request jobs' state. The handlers forward to
// SourceList and SourceDownloadJob.
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "app/ui/ListView.h"
#include "app/ui/MainWindow.h"
#include "source/SourceDownload.h"
#include "source/SourceList.h"
#include "store/Settings.h"
#include "base/TextRoutines.h"
#include "top/TopClient.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <cmath>

namespace {
template <typename T> T *childNamed(QObject *root, const char *name)
{
    return root->findChild<T *>(QString::fromLatin1(name));
}
} // namespace

void TfrmMain::buildSourceSide()
{
    mirrorPanel(m_jobs->panel1(), m_processPanel1);
    mirrorPanel(m_jobs->panel2(), m_processPanel2);
    connect(m_jobs, &JobHost::debugAdded, this, &TfrmMain::appendDebug);
    connect(m_jobs, &JobHost::trayHintChanged, this, [this](const QString &hint) { m_tray->setToolTip(hint); });
    connect(childNamed<QPushButton>(m_processPanel1, "_Cancel1"), &QPushButton::clicked, this, &TfrmMain::Cancel1Click);
    connect(childNamed<QPushButton>(m_processPanel2, "_Cancel2"), &QPushButton::clicked, this, &TfrmMain::Cancel2Click);

    // the totals line of the source pane
    auto *totals = new QLabel(m_panelSourceTotal);
    totals->setObjectName(QStringLiteral("_PanelSource_Total_Caption"));
    if (auto *row = qobject_cast<QHBoxLayout *>(m_panelSourceTotal->layout()))
        row->insertWidget(0, totals);
    connect(m_sourceLogic, &SourceList::totalsChanged, totals, &QLabel::setText);
    connect(m_sourceLogic, &SourceList::updateLabelChanged, m_lblSourceUpdate, &QLabel::setText);
    connect(m_sourceLogic, &SourceList::controlsEnabled, this, &TfrmMain::EnableControl);

    m_sourceDownload->setAccountText([this] { return m_users->currentText(); });
    m_sourceDownload->setReloadLists([this] {
        if (!m_sourceList->isHidden())
            GetData_TB_Source(QString());
        else
            GetTotal_Source();
        GetData_TB_Object(QString());
    });

    // commands
    for (const char *name : {"_FromDownload", "NFromDownload"}) {
        if (auto *b = childNamed<QToolButton>(this, name))
            connect(b, &QToolButton::clicked, this, &TfrmMain::FromDownloadClick);
        if (auto *a = childNamed<QAction>(this, name))
            connect(a, &QAction::triggered, this, &TfrmMain::FromDownloadClick);
    }
    connect(m_refreshSource, &QToolButton::clicked, this, &TfrmMain::RefreshData_SourceClick);
    connect(childNamed<QPushButton>(m_sourcePanelTop, "_SourceSearch"), &QPushButton::clicked, this,
            &TfrmMain::SourceSearchClick);
    connect(m_sourceKeyword, &QLineEdit::returnPressed, this, &TfrmMain::SourceSearchClick);
    for (const char *name : {"_chkouterid1", "_chkouterid2", "_chkouterid3", "_chkouterid4"})
        connect(childNamed<QRadioButton>(m_sourcePanelTop, name), &QRadioButton::clicked, this,
                &TfrmMain::chkouterid2Click);
    connect(m_chkEasy, &QCheckBox::clicked, this, &TfrmMain::chkEasyClick);

    // the source list's popup menu, in menu order
    auto *menu = childNamed<QMenu>(this, "_PopupMenuSource");
    QMenu *tools = childNamed<QMenu>(menu, "N39");
    menu->clear();
    connect(addAction(menu, QStringLiteral("N1"), QStringLiteral("全选")), &QAction::triggered, this, &TfrmMain::N1Click);
    connect(addAction(menu, QStringLiteral("N3"), QStringLiteral("删除选中项")), &QAction::triggered, this,
            &TfrmMain::N3Click);
    QMenu *copy = menu->addMenu(QStringLiteral("复制文本"));
    copy->setObjectName(QStringLiteral("N6"));
    const struct
    {
        const char *name;
        int tag;
        const char *caption;
    } copies[] = {{"N7", -1, "复制宝贝名称"},  {"N8", 0, "复制商家编码"},      {"N9", 1, "复制颜色"},
                  {"SKU3", 2, "复制SKU"},      {"SKU1", 3, "复制数量"},        {"N11", 4, "复制价格"},
                  {"SKU4", 5, "复制SKU商家编码"}, {"ID1", 6, "复制商品数字ID"}, {"SKUID1", 7, "复制SKUID"},
                  {"N40", 9, "复制卖家昵称"},  {"N78", 11, "复制货号"}};
    for (const auto &c : copies) {
        QAction *a = addAction(copy, QString::fromLatin1(c.name), QString::fromUtf8(c.caption));
        a->setProperty("Tag", c.tag);
        connect(a, &QAction::triggered, this, &TfrmMain::N7Click);
    }
    connect(addAction(menu, QStringLiteral("N57"), QStringLiteral("复制URL链接")), &QAction::triggered, this,
            &TfrmMain::N57Click);
    if (tools) {
        tools->setObjectName(QStringLiteral("N38"));
        menu->addMenu(tools);
    }
    connect(addAction(menu, QStringLiteral("N13"), QStringLiteral("选中项另存为...")), &QAction::triggered, this,
            &TfrmMain::N13Click);
    QMenu *advanced = menu->addMenu(QStringLiteral("高级功能"));
    advanced->setObjectName(QStringLiteral("N69"));
    connect(addAction(advanced, QStringLiteral("N70"), QStringLiteral("清空源店铺所有已下载的数据")),
            &QAction::triggered, this, &TfrmMain::N70Click);
    connect(addAction(menu, QStringLiteral("N31"), QStringLiteral("打开所选项网页地址")), &QAction::triggered, this,
            &TfrmMain::N31Click);
}

void TfrmMain::mirrorPanel(const ProgressPanelState &state, QFrame *panel)
{
    auto *caption = panel->findChild<QLabel *>(panel == m_processPanel1 ? QStringLiteral("_lblCaption1")
                                                                        : QStringLiteral("_lblCaption2"));
    auto *retry = panel->findChild<QLabel *>(panel == m_processPanel1 ? QStringLiteral("lblTry") : QStringLiteral("lblTry2"));
    auto *cancel =
        panel->findChild<QPushButton *>(panel == m_processPanel1 ? QStringLiteral("_Cancel1") : QStringLiteral("_Cancel2"));
    const bool first = panel == m_processPanel1;
    connect(&state, &ProgressPanelState::changed, panel, [this, &state, panel, caption, retry, cancel, first] {
        caption->setText(state.caption());
        retry->setText(state.retryText());
        retry->setVisible(state.retryShown());
        // the target panel's cancel button is always there; the source panel shows it for the jobs that cancel
        cancel->setVisible(first ? state.cancelShown() : true);
        if (state.shown() && panel->isHidden()) {
            placeFloatingPanels();
            panel->show();
            panel->raise();
        } else if (!state.shown() && !panel->isHidden()) {
            panel->hide();
        }
    });
}

bool TfrmMain::busy() const
{
    return m_jobs->busy();
}

bool TfrmMain::cancelFlag() const
{
    return m_jobs->cancelled();
}

void TfrmMain::setCancelFlag(bool on)
{
    m_jobs->setCancelFlag(on);
}

void TfrmMain::readSourceFilter()
{
    SourceListFilter &f = m_sourceLogic->filter();
    f.codeFilter = SourceListFilter::WithCode;
    const char *names[] = {"_chkouterid1", "_chkouterid2", "_chkouterid3", "_chkouterid4"};
    for (int i = 0; i < 4; ++i)
        if (childNamed<QRadioButton>(m_sourcePanelTop, names[i])->isChecked())
            f.codeFilter = static_cast<SourceListFilter::CodeFilter>(i + 1);
    f.exactSearch = childNamed<QCheckBox>(m_sourcePanelTop, "chkSearch")->isChecked();
    f.field = childNamed<QComboBox>(m_sourcePanelTop, "_fields")->currentIndex();
    f.matchingKey = m_uniqid->currentIndex();
}

std::vector<int> TfrmMain::selectedSourceRows() const
{
    return m_sourceList->selectedModelRows();
}

void TfrmMain::GetData_TB_Source(const QString &keyword)
{
    readSourceFilter();
    m_sourceLogic->GetData_TB_Source(keyword, !m_sourceList->isHidden());
}

void TfrmMain::GetTotal_Source()
{
    m_sourceLogic->GetTotal_Source();
}

void TfrmMain::FromDownloadClick()
{
    m_sourceDownload->FromDownloadClick();
}

void TfrmMain::Cancel1Click()
{
    m_jobs->cancelSourceSide();
    if (!m_sourceList->isHidden())
        GetData_TB_Source(QString());
    GetData_TB_Object(QString());
}

void TfrmMain::Cancel2Click()
{
    m_jobs->cancelTargetSide();
    GetData_TB_Object(QString());
}

void TfrmMain::RefreshData_SourceClick()
{
    if (busy())
        return;
    m_jobs->clearCancel();
    GetData_TB_Source(QString());
}

void TfrmMain::SourceSearchClick()
{
    GetData_TB_Source(TrimText(m_sourceKeyword->text()));
}

void TfrmMain::chkouterid2Click()
{
    GetData_TB_Source(TrimText(m_sourceKeyword->text()));
}

void TfrmMain::chkEasyClick()
{
    Settings(m_db).setFlag(Setting::EasySku, m_chkEasy->isChecked());
}

void TfrmMain::N1Click()
{
    m_sourceList->selectAll();
}

void TfrmMain::N3Click()
{
    m_sourceLogic->deleteRows(selectedSourceRows());
    if (selectedSourceRows().empty())
        m_sourceList->setFocus();
}

void TfrmMain::N7Click()
{
    auto *action = qobject_cast<QAction *>(sender());
    m_sourceLogic->CopyText_Source(selectedSourceRows(), action ? action->property("Tag").toInt() : -1);
}

void TfrmMain::N13Click()
{
    m_sourceLogic->exportRows(selectedSourceRows());
}

void TfrmMain::N31Click()
{
    m_sourceLogic->openItemPage(selectedSourceRows());
}

void TfrmMain::N57Click()
{
    m_sourceLogic->copyItemPages(selectedSourceRows());
}

void TfrmMain::N70Click()
{
    m_sourceLogic->emptyAll();
}
