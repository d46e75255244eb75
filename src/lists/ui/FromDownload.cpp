#include "lists/ui/FromDownload.h"

#include "app/Application.h"
#include "app/ui/ListView.h"
#include "app/ui/ProgressPanel.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "lists/ItemListEditor.h"
#include "lists/OnSaleImport.h"
#include "lists/ui/FormAddURL.h"
#include "lists/ui/GroupBox.h"
#include "lists/ui/MoveToGroup.h"
#include "top/TopClient.h"

#include <QAction>
#include <algorithm>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using ui::named;

namespace {
QPointer<TfrmFromDownload> s_dialog;
Application *s_dialogApp = nullptr;
} // namespace

void TfrmFromDownload::OpenModal(Application &app, QWidget *owner, int mode, const QString &caption)
{
    if (app.jobs().busy())
        return;
    if (!s_dialog || s_dialogApp != &app) {
        delete s_dialog.data();
        s_dialog = new TfrmFromDownload(app, owner ? owner->window() : nullptr);
        s_dialogApp = &app;
        // "搜索添加宝贝链接": the link dialog for the first ticked group, then the list again
        TfrmFromDownload *dialog = s_dialog.data();
        connect(dialog, &TfrmFromDownload::addLinksRequested, dialog,
                [dialog, &app](int mode, const QString &groupName, int groupId) {
                    TfrmFormAddURL links(app, mode, groupId, groupName, dialog);
                    if (links.exec() == QDialog::Accepted)
                        dialog->reloadList();
                });
    }
    s_dialog->setMode(mode, caption);
    s_dialog->exec();
}

TfrmFromDownload *TfrmFromDownload::current()
{
    return s_dialog.data();
}

TfrmFromDownload::TfrmFromDownload(Application &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("frmFromDownload"));
    setModal(true);
    resize(960, 600);
    const TopEndpoints hosts = app.endpoints();
    m_editor = new ItemListEditor(app.db(), app.jobs(), app.client(), app.desktop(),
                                  [hosts](const QString &id) { return hosts.itemPageOf(id); }, this);
    m_loggedIn = [&app] { return !app.client().sessionKey().isEmpty() && !app.currentAccount().isEmpty(); };
    m_account = [&app] { return app.currentAccount(); };

    // the toolbar
    m_toolbar = named(new QToolBar(this), QStringLiteral("_ToolBar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolbar->setStyleSheet(QStringLiteral(
        "QToolBar QToolButton { padding: 3px 4px; border: 1px solid transparent; }"
        "QToolBar QToolButton:hover, QToolBar QToolButton:pressed { background-color: rgb(237,128,128); "
        "border: 1px solid rgb(168,4,4); }"));
    m_searchUrl = action(QStringLiteral("_SearchURL"), QStringLiteral("搜索添加宝贝链接(源店铺)"),
                         &TfrmFromDownload::NOuter_IDClick);
    m_downloadSale = action(QStringLiteral("_DownloadSale"), QStringLiteral("下载当前店铺销售中列表"),
                            &TfrmFromDownload::DownloadSaleClick);
    m_toolbar->addAction(m_searchUrl);
    m_toolbar->addAction(m_downloadSale);
    m_toolbar->addSeparator();
    auto *groupMenu = named(new QMenu(this), QStringLiteral("_PopupMenuGroup"));
    groupMenu->addAction(action(QStringLiteral("N5"), QStringLiteral("新建分组"), &TfrmFromDownload::N5Click));
    groupMenu->addAction(action(QStringLiteral("N6"), QStringLiteral("修改组名"), &TfrmFromDownload::N6Click));
    groupMenu->addAction(action(QStringLiteral("N7"), QStringLiteral("删除分组"), &TfrmFromDownload::N7Click));
    m_groupButton = named(new QToolButton(this), QStringLiteral("RzToolButton2"));
    m_groupButton->setText(QStringLiteral("分组管理"));
    m_groupButton->setMenu(groupMenu);
    m_groupButton->setPopupMode(QToolButton::InstantPopup);
    m_toolbar->addWidget(m_groupButton);

    // the filter bar
    auto *filter = named(new QWidget(this), QStringLiteral("_PanelTop"));
    auto *row = new QHBoxLayout(filter);
    row->setContentsMargins(6, 4, 6, 4);
    m_select = ui::checkBox(filter, QStringLiteral("_Select"), QStringLiteral("宝贝列表(全部勾选/不勾选)"));
    row->addWidget(m_select);
    row->addSpacing(12);
    row->addWidget(ui::label(filter, QStringLiteral("筛选:  组:")));
    m_group = new GroupBox(filter);
    row->addWidget(m_group);
    row->addSpacing(8);
    row->addWidget(ui::label(filter, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(filter), QStringLiteral("_Keyword"));
    m_keyword->setMinimumWidth(140);
    row->addWidget(m_keyword);
    m_search = ui::button(filter, QStringLiteral("_Search"), QStringLiteral("搜索"));
    m_search->setAutoDefault(false);
    row->addWidget(m_search);
    row->addSpacing(8);
    m_chkObjectConfig = ui::checkBox(filter, QStringLiteral("chkObjectConfig"), QString());
    row->addWidget(m_chkObjectConfig);
    row->addStretch();

    // the list and its popup
    m_list = named(new ListView(this), QStringLiteral("_RzListView"));
    m_list->setListModel(&m_editor->model());
    m_list->setCheckBoxes(true);
    m_list->setRootIsDecorated(false);
    for (int c = 0, widths[] = {130, 120, 300, 230, 70, 110}; c < 6; ++c)
        m_list->header()->resizeSection(c, widths[c]);
    m_popup = named(new QMenu(this), QStringLiteral("_PopupMenu"));
    m_popup->addAction(action(QStringLiteral("A1"), QStringLiteral("全选(&A)"), &TfrmFromDownload::A1Click));
    m_popup->addSeparator();
    m_popup->addAction(action(QStringLiteral("N17"), QStringLiteral("选中-勾选 "), &TfrmFromDownload::N17Click));
    m_popup->addAction(action(QStringLiteral("N18"), QStringLiteral("选中-取消勾选"), &TfrmFromDownload::N18Click));
    m_popup->addSeparator();
    m_popup->addAction(action(QStringLiteral("N1"), QStringLiteral("删除选中项"), &TfrmFromDownload::N1Click));
    m_popup->addAction(action(QStringLiteral("N10"), QStringLiteral("清除商家编码"), &TfrmFromDownload::N10Click));
    m_null = action(QStringLiteral("_Null"), QStringLiteral("选中商家编码设为空"), &TfrmFromDownload::NullClick);
    m_popup->addAction(m_null);
    m_popup->addSeparator();
    QMenu *copy = m_popup->addMenu(QStringLiteral("复制文本"));
    copy->setObjectName(QStringLiteral("N12"));
    const std::pair<const char *, const char *> copies[] = {
        {"N14", "复制商家编码"}, {"ID1", "复制宝贝数字ID"}, {"N15", "复制宝贝名称"}, {"URL1", "复制宝贝链接地址(URL)"}};
    for (int i = 0; i < 4; ++i) {
        auto *a = named(new QAction(QString::fromUtf8(copies[i].second), this), QString::fromLatin1(copies[i].first));
        connect(a, &QAction::triggered, this, [this, i] { m_editor->CopyText_URL(selectedRows(), i - 1); });
        copy->addAction(a);
    }
    m_popup->addAction(action(QStringLiteral("N13"), QStringLiteral("选中项另存为..."), &TfrmFromDownload::N13Click));
    m_popup->addSeparator();
    m_popup->addAction(action(QStringLiteral("_MoveTo"), QStringLiteral("移动到组..."), &TfrmFromDownload::MoveToClick));
    m_popup->addSeparator();
    m_popup->addAction(action(QStringLiteral("N9"), QStringLiteral("自定义商家编码"), &TfrmFromDownload::N9Click));
    m_createOuterId = action(QStringLiteral("_CreateOuterID"), QStringLiteral("选中项-批量生成主商家编码"),
                             &TfrmFromDownload::CreateOuterIDClick);
    m_createOuterIdTitle = action(QStringLiteral("_CreateOuterID_Title"),
                                  QStringLiteral("选中项-与源标题关联生成自定义商家编码"),
                                  &TfrmFromDownload::CreateOuterID_TitleClick);
    m_popup->addAction(m_createOuterId);
    m_popup->addAction(m_createOuterIdTitle);
    m_popup->addAction(action(QStringLiteral("W1"), QStringLiteral("选中项-自动截取标题中商家编码(推荐)(&W)"),
                              &TfrmFromDownload::W1Click));
    m_popup->addSeparator();
    m_popup->addAction(
        action(QStringLiteral("_AccessURL"), QStringLiteral("打开所选项网页地址"), &TfrmFromDownload::AccessURLClick));
    m_list->setPopupMenu(m_popup);

    // the buttons and the status bar
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(6, 4, 6, 4);
    bottom->addStretch();
    m_startDownload = ui::button(this, QStringLiteral("_StartDownload"), QStringLiteral("保存配置"));
    m_cancel = ui::button(this, QStringLiteral("RzBitBtn1"), QStringLiteral("取消"));
    for (QPushButton *b : {m_startDownload, m_cancel}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        bottom->addWidget(b);
    }
    m_status = named(new QStatusBar(this), QStringLiteral("_StatusBar"));
    m_status->setSizeGripEnabled(false);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolbar);
    column->addWidget(filter);
    column->addWidget(m_list, 1);
    column->addLayout(bottom);
    column->addWidget(m_status);

    m_panel = new ProgressPanel(m_editor->panel(), 1, this);
    m_panel->setObjectName(QStringLiteral("_ProcessPanel"));
    connect(m_panel, &ProgressPanel::aboutToShow, this, &TfrmFromDownload::placePanel);
    connect(m_panel, &ProgressPanel::cancelClicked, this, [this] { m_editor->onSale().cancel(); });

    connect(m_select, &QCheckBox::clicked, this, &TfrmFromDownload::SelectClick);
    connect(m_search, &QPushButton::clicked, this, &TfrmFromDownload::SearchClick);
    connect(m_keyword, &QLineEdit::returnPressed, this, &TfrmFromDownload::SearchClick);
    // every listing reads the box as it stands, the opening's too
    connect(m_keyword, &QLineEdit::textChanged, m_editor, &ItemListEditor::setKeyword);
    connect(m_chkObjectConfig, &QCheckBox::clicked, this, &TfrmFromDownload::chkObjectConfigClick);
    connect(m_startDownload, &QPushButton::clicked, this, &TfrmFromDownload::StartDownloadClick);
    connect(m_cancel, &QPushButton::clicked, this, &TfrmFromDownload::RzBitBtn1Click);
    connect(m_group, &GroupBox::groupTicked, m_editor, &ItemListEditor::setGroupTicked);
    connect(m_group, &GroupBox::allTicked, m_editor, &ItemListEditor::setAllGroupsTicked);
    connect(m_editor, &ItemListEditor::groupsChanged, this, &TfrmFromDownload::showGroups);
    connect(m_editor, &ItemListEditor::statusChanged, m_status, [this](const QString &t) { m_status->showMessage(t); });
    // the busy dialog takes no commands but the panel's cancel button
    connect(&m_editor->panel(), &ProgressPanelState::changed, this, [this, filter] {
        const bool idle = !m_editor->panel().shown();
        for (QWidget *w : {static_cast<QWidget *>(m_toolbar), static_cast<QWidget *>(filter),
                           static_cast<QWidget *>(m_list), static_cast<QWidget *>(m_startDownload),
                           static_cast<QWidget *>(m_cancel)})
            w->setEnabled(idle);
    });
    setMode(0, QStringLiteral("配置源下载源(对方店铺)"));
}

TfrmFromDownload::~TfrmFromDownload() = default;

QAction *TfrmFromDownload::action(const QString &name, const QString &text, void (TfrmFromDownload::*slot)())
{
    auto *a = named(new QAction(text, this), name);
    connect(a, &QAction::triggered, this, slot);
    return a;
}

void TfrmFromDownload::setLoginState(std::function<bool()> loggedIn, std::function<QString()> account)
{
    m_loggedIn = std::move(loggedIn);
    m_account = std::move(account);
}

void TfrmFromDownload::setMode(int mode, const QString &caption)
{
    m_editor->setMode(mode);
    setWindowTitle(caption);
}

void TfrmFromDownload::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // FormShow: the first listing still applies the keyword of the last opening
    const bool target = m_editor->mode() == 1;
    m_chkObjectConfig->setChecked(false);
    m_editor->setOnlyMissing(false);
    m_chkObjectConfig->setText(target ? QStringLiteral("显示[配置源下载源]没有的宝贝")
                                      : QStringLiteral("显示[配置目标店铺下载源]没有的宝贝"));
    m_searchUrl->setText(target ? QStringLiteral("搜索添加宝贝链接(目标店铺)") : QStringLiteral("搜索添加宝贝链接(源店铺)"));
    m_downloadSale->setVisible(target);
    m_downloadSale->setEnabled(target && m_loggedIn && m_loggedIn());
    m_null->setVisible(target);
    m_createOuterId->setVisible(!target);
    m_createOuterIdTitle->setVisible(target);
    m_editor->GetGroupList();
    m_editor->GetTotal();
    m_editor->GetDataList();
    m_keyword->clear();
}

void TfrmFromDownload::showGroups()
{
    m_group->setGroups(m_editor->groups());
}

void TfrmFromDownload::placePanel()
{
    m_panel->move((width() - m_panel->width()) / 2, (height() - m_panel->height()) / 2);
}

std::vector<int> TfrmFromDownload::selectedRows() const
{
    return m_list->selectedModelRows();
}

void TfrmFromDownload::reloadList()
{
    m_editor->GetDataList();
}

void TfrmFromDownload::reject()
{
    // a running on-sale download owns the reply buffer: it is cancelled, not left behind
    if (m_editor->busy())
        return;
    QDialog::reject();
}

void TfrmFromDownload::NOuter_IDClick()
{
    if (m_editor->busy())
        return;
    const auto &groups = m_editor->groups();
    const auto first = std::find_if(groups.cbegin(), groups.cend(), [](const ItemGroup &g) { return g.ticked; });
    if (first == groups.cend()) {
        m_app.ui().warn(QStringLiteral("使用搜索添加宝贝链接地址(URL)前,请先选择组.(如果选择多组,将以第一个组为准)"));
        return;
    }
    Q_EMIT addLinksRequested(m_editor->mode(), first->name, first->id);
}

void TfrmFromDownload::DownloadSaleClick()
{
    if (m_loggedIn && !m_loggedIn()) {
        m_downloadSale->setEnabled(false);
        return;
    }
    m_editor->DownloadSaleClick(m_account ? m_account() : QString());
}

void TfrmFromDownload::N5Click()
{
    m_editor->N5Click();
}

void TfrmFromDownload::N6Click()
{
    m_editor->N6Click();
}

void TfrmFromDownload::N7Click()
{
    m_editor->N7Click();
}

void TfrmFromDownload::SelectClick()
{
    m_editor->model().setAllChecked(m_select->isChecked());
}

void TfrmFromDownload::SearchClick()
{
    m_editor->GetDataList();
}

void TfrmFromDownload::chkObjectConfigClick()
{
    m_editor->setOnlyMissing(m_chkObjectConfig->isChecked());
    m_editor->GetDataList();
}

void TfrmFromDownload::StartDownloadClick()
{
    m_editor->StartDownloadClick();
}

void TfrmFromDownload::RzBitBtn1Click()
{
    reject();
}

void TfrmFromDownload::A1Click()
{
    m_list->selectAll();
}

void TfrmFromDownload::N17Click()
{
    for (int r : selectedRows())
        m_editor->model().setChecked(r, true);
}

void TfrmFromDownload::N18Click()
{
    for (int r : selectedRows())
        m_editor->model().setChecked(r, false);
}

void TfrmFromDownload::N1Click()
{
    if (selectedRows().empty())
        m_list->setFocus();
    m_editor->N1Click(selectedRows());
}

void TfrmFromDownload::N10Click()
{
    m_editor->N10Click(selectedRows());
}

void TfrmFromDownload::NullClick()
{
    m_editor->NullClick(selectedRows());
}

void TfrmFromDownload::N13Click()
{
    m_editor->N13Click(selectedRows());
}

void TfrmFromDownload::MoveToClick()
{
    const QStringList ids = m_editor->MoveToClick(selectedRows());
    if (ids.isEmpty())
        return;
    TfrmMoveToGroup move(*m_editor, ids, m_app.ui(), this);
    if (move.exec() == QDialog::Accepted)
        m_editor->GetDataList();
}

void TfrmFromDownload::N9Click()
{
    m_editor->N9Click(selectedRows());
}

void TfrmFromDownload::CreateOuterIDClick()
{
    m_editor->CreateOuterIDClick(selectedRows());
}

void TfrmFromDownload::CreateOuterID_TitleClick()
{
    m_editor->CreateOuterID_TitleClick(selectedRows());
}

void TfrmFromDownload::W1Click()
{
    m_editor->W1Click(selectedRows());
}

void TfrmFromDownload::AccessURLClick()
{
    m_editor->AccessURLClick(selectedRows());
}
