#include "app/ui/ActionTable.h"

#include <QAction>
#include <QByteArray>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QToolBar>
#include <QToolButton>

namespace {
using E = ActionEntry;

E item(Place place, const char *name, const char *caption, Pane pane = Pane::None, const char *handler = nullptr,
       bool enabled = true)
{
    return E{place, E::Item, name, caption, pane, handler, enabled};
}
E separator(Place place)
{
    return E{place, E::Separator};
}
E menu(Place place, const char *name, const char *caption, Place opens)
{
    return E{place, E::Menu, name, caption, Pane::None, nullptr, true, opens};
}
E menuButton(Place place, const char *name, const char *caption, const char *menuName, Place opens)
{
    return E{place, E::MenuButton, name, caption, Pane::None, nullptr, true, opens, menuName};
}
// "复制..." of the source list: the Tag says which column
E copyItem(const char *name, const char *caption, int tag)
{
    return E{Place::SourceCopyMenu, E::Item, name, caption, Pane::Source, "N7Click", true, Place::MenuBar, nullptr, tag};
}
// "复制..." of the target list (ObjectCopy0 to ObjectCopy11): the Tag is the command's place in the menu
E objectCopyItem(const char *name, const char *caption, int tag)
{
    return E{Place::ObjectCopyMenu, E::Item, name, caption, Pane::Target, "MenuItem6Click", true, Place::MenuBar,
             nullptr, tag};
}

// a separator that code shows and hides by its name
E namedSeparator(Place place, const char *name)
{
    return E{place, E::Separator, name};
}
// an item of the price and stock popup whose handler reads the Tag
E taggedItem(Place place, const char *name, const char *caption, const char *handler, int tag)
{
    return E{place, E::Item, name, caption, Pane::PriceStock, handler, true, Place::MenuBar, nullptr, tag};
}

// "复制文本" of the warehouse list: the Tag says which cell
E inventoryCopy(const char *name, const char *caption, int tag)
{
    return E{Place::InventoryCopyMenu, E::Item, name, caption, Pane::Warehouse, "CopyTextClick", true, Place::MenuBar,
             nullptr, tag};
}

std::vector<ActionEntry> table()
{
    using P = Place;
    const Pane F = Pane::Frame, S = Pane::Source, T = Pane::Target, PS = Pane::PriceStock, W = Pane::Warehouse;
    return {
        // main menu
        menu(P::MenuBar, "MenuFile", "文件(&F)", P::FileMenu),
        item(P::FileMenu, "N24", "执行同步计划(&G)", F, "N24Click"),
        item(P::FileMenu, "N25", "设置同步计划(&P)...", F, "N25Click"),
        separator(P::FileMenu),
        item(P::FileMenu, "D2", "退出(&X)              ", F, "D2Click"),

        menu(P::MenuBar, "V1", "视图(&V)", P::ViewMenu),
        item(P::ViewMenu, "NShowSourcePage", "显示源宝贝表列表(&V)", S, "ShowSourcePageClick"),
        item(P::ViewMenu, "NUploadHistory", "上传记录(&H)...", F, "UploadHistoryClick"),

        menu(P::MenuBar, "O1", "操作(&O)", P::OperateMenu),
        item(P::OperateMenu, "N33", "配置源下载源(&C)...", S, "SourceConfigClick"),
        item(P::OperateMenu, "NFromDownload", "下载源宝贝库存数据(&D)", S, "FromDownloadClick"),
        separator(P::OperateMenu),
        item(P::OperateMenu, "NAccountAdmin", "店铺帐号管理(&A)", T, "AccountAdminClick"),
        separator(P::OperateMenu),
        item(P::OperateMenu, "NDownload", "使用源店铺配置下载目标店铺宝贝列表(&I)", T, "DownloadClick", false),
        separator(P::OperateMenu),
        item(P::OperateMenu, "NObjectConfig", "配置目标店铺下载源", T, "ObjectConfigClick"),
        item(P::OperateMenu, "N62", "使用目标店铺配置下载目标店铺宝贝列表", T, "N62Click"),
        separator(P::OperateMenu),
        item(P::OperateMenu, "NUpload", "上传最新库存数量到目标店铺(&U)", T, "UploadClick", false),

        menu(P::MenuBar, "T1", "工具(&T)", P::ToolsMenu),
        item(P::ToolsMenu, "N37", "源与目标宝贝检查统计工具(&C)", F, "N37Click"),
        item(P::ToolsMenu, "N61", "关联值自动检查工具(&O)", F, "N61Click"),
        separator(P::ToolsMenu),
        item(P::ToolsMenu, "N19", "计算器(&C)", F, "N19Click"),
        item(P::ToolsMenu, "est1", "对本机数据库进行优化...", F, "est1Click"),
        separator(P::ToolsMenu),
        item(P::ToolsMenu, "N10", "安装 SQLCE 动态库(dll) ...  ", F, "N10Click"),

        menu(P::MenuBar, "H1", "帮助(&H)", P::HelpMenu),
        item(P::HelpMenu, "H2", "联机帮助(&H)            ", F, "H2Click"),
        item(P::HelpMenu, "K1", "官方网站(&K)", F, "WebsiteClick"),
        item(P::HelpMenu, "F2", "意见反馈(&F)", F, "F2Click"),
        separator(P::HelpMenu),
        item(P::HelpMenu, "NUpdateOnline", "在线升级(&U)", F, "UpdateOnlineClick"),
        item(P::HelpMenu, "NAbout", "关于(&A)...", F, "AboutClick"),

        // source toolbar
        item(P::SourceToolbar, "_ShowSourcePage", "显示源宝贝列表", S, "ShowSourcePageClick"),
        separator(P::SourceToolbar),
        item(P::SourceToolbar, "_SourceConfig", "配置源下载源(对方店铺)", S, "SourceConfigClick"),
        item(P::SourceToolbar, "_FromDownload", "下载源宝贝库存数据", S, "FromDownloadClick"),
        item(P::SourceToolbar, "_RefreshData_Source", "刷新", S, "RefreshData_SourceClick", false),
        separator(P::SourceToolbar),
        menuButton(P::SourceToolbar, "_SimpleTool", "简易统计工具", "PopupMenuTool", P::SimpleToolMenu),
        item(P::SimpleToolMenu, "N36", "源与目标宝贝检查统计工具", F, "N37Click"),
        item(P::SimpleToolMenu, "N63", "关联值自动检查工具", F, "N61Click"),
        separator(P::SimpleToolMenu),
        item(P::SimpleToolMenu, "N72", "查看目标店铺当前用户所有已下载的数据", T, "N71Click"),
        separator(P::SourceToolbar),
        item(P::SourceToolbar, "_UploadHistory", "上传记录", F, "UploadHistoryClick"),
        separator(P::SourceToolbar),
        item(P::SourceToolbar, "_UpdateOnline", "在线升级", F, "UpdateOnlineClick"),

        // target toolbar (the account and matching-key boxes follow, the pane's own)
        item(P::ObjectToolbar, "_AccountAdmin", "帐号管理", T, "AccountAdminClick"),
        item(P::ObjectToolbar, "_Login", "登录"),
        separator(P::ObjectToolbar),
        item(P::ObjectToolbar, "_ObjectConfig", "配置目标下载源(我的店铺)", T, "ObjectConfigClick"),
        item(P::ObjectToolbar, "_DownloadGroup", "下载目标店铺宝贝数据", T, "N62Click"),
        item(P::ObjectToolbar, "_Upload", "上传最新库存到目标店铺", T, "UploadClick", false),
        item(P::ObjectToolbar, "_RefeshObject", "刷新", T, "RefeshObjectClick"),
        menuButton(P::ObjectToolbar, "_Other", "其他功能", "_PopupMenuOther", P::OtherMenu),
        item(P::OtherMenu, "_delisting", "执行商品下架         ", T, "_delistingClick", false),
        item(P::OtherMenu, "_listing", "执行商品上架", T, "_listingClick", false),
        separator(P::OtherMenu),
        item(P::OtherMenu, "_UserGrade", "获取短授权", Pane::None, nullptr, false),
        item(P::OtherMenu, "_updateprice", "上传更新商品价格", T, "_updatepriceClick", false),

        // the source list's popup
        item(P::SourcePopup, "N1", "全选", S, "N1Click"),
        item(P::SourcePopup, "N3", "删除选中项", S, "N3Click"),
        menu(P::SourcePopup, "N6", "复制文本", P::SourceCopyMenu),
        copyItem("N7", "复制宝贝名称", -1),
        copyItem("N8", "复制商家编码", 0),
        copyItem("N9", "复制颜色", 1),
        copyItem("SKU3", "复制SKU", 2),
        copyItem("SKU1", "复制数量", 3),
        copyItem("N11", "复制价格", 4),
        copyItem("SKU4", "复制SKU商家编码", 5),
        copyItem("ID1", "复制商品数字ID", 6),
        copyItem("SKUID1", "复制SKUID", 7),
        copyItem("N40", "复制卖家昵称", 9),
        copyItem("N78", "复制货号", 11),
        item(P::SourcePopup, "N57", "复制URL链接", S, "N57Click"),
        menu(P::SourcePopup, "N38", "简易统计工具", P::SourceToolsMenu),
        item(P::SourceToolsMenu, "N39", "商家编码计数对比工具", F, "N37Click"),
        item(P::SourceToolsMenu, "N64", "关联值自动检查工具", F, "N61Click"),
        item(P::SourcePopup, "N13", "选中项另存为...", S, "N13Click"),
        menu(P::SourcePopup, "N69", "高级功能", P::SourceAdvancedMenu),
        item(P::SourceAdvancedMenu, "N70", "清空源店铺所有已下载的数据", S, "N70Click"),
        item(P::SourcePopup, "N31", "打开所选项网页地址", S, "N31Click"),

        // the target list's popup
        item(P::ObjectPopup, "MenuItem1", "全选", T, "MenuItem1Click"),
        item(P::ObjectPopup, "MenuItem3", "删除选中项", T, "MenuItem3Click"),
        menu(P::ObjectPopup, "MenuItem5", "复制文本", P::ObjectCopyMenu),
        objectCopyItem("ObjectCopy0", "复制宝贝名称", 0),
        objectCopyItem("ObjectCopy1", "复制主商家编码", 1),
        objectCopyItem("ObjectCopy2", "复制颜色", 2),
        objectCopyItem("ObjectCopy3", "复制SKU(尺码)", 3),
        objectCopyItem("ObjectCopy4", "复制数量", 4),
        objectCopyItem("ObjectCopy5", "复制源数量", 5),
        objectCopyItem("ObjectCopy6", "复制价格", 6),
        objectCopyItem("ObjectCopy7", "复制源价格", 7),
        objectCopyItem("ObjectCopy8", "复制SKU商家编码", 8),
        objectCopyItem("ObjectCopy9", "复制商品数字ID", 9),
        objectCopyItem("ObjectCopy10", "复制SKUID", 10),
        objectCopyItem("ObjectCopy11", "复制货号", 11),
        item(P::ObjectPopup, "MenuItem13", "选中项另存为...", T, "MenuItem13Click"),
        item(P::ObjectPopup, "N43", "勾选所有", T, "N43Click"),
        item(P::ObjectPopup, "N44", "所有不勾选", T, "N44Click"),
        item(P::ObjectPopup, "N45", "选中-勾选", T, "N45Click"),
        item(P::ObjectPopup, "N46", "选中-取消勾选", T, "N46Click"),
        separator(P::ObjectPopup),
        menu(P::ObjectPopup, "N41", "简易统计工具", P::ObjectToolsMenu),
        item(P::ObjectToolsMenu, "N42", "源与目标宝贝检查统计工具", F, "N37Click"),
        item(P::ObjectToolsMenu, "N65", "关联值自动检查工具", F, "N61Click"),
        menu(P::ObjectPopup, "N66", "高级功能", P::ObjectAdvancedMenu),
        item(P::ObjectAdvancedMenu, "N67", "清空目标店铺当前用户所有已下载的数据", T, "N67Click"),
        item(P::ObjectAdvancedMenu, "N71", "查看目标店铺当前用户所有已下载的数据", T, "N71Click"),

        // the price and stock lists' popup: the tab shows its own items
        item(P::PricePopup, "A1", "全选(&A)", PS, "A1Click"),
        separator(P::PricePopup),
        menu(P::PricePopup, "N56", "复制文本", P::PriceCopyMenu),
        taggedItem(P::PriceCopyMenu, "NPrice01", "复制商家编码", "NPrice01Click", 0),
        taggedItem(P::PriceCopyMenu, "NPrice02", "复制价格", "NPrice01Click", 1),
        namedSeparator(P::PriceCopyMenu, "NStock01"),
        taggedItem(P::PriceCopyMenu, "NStock02", "复制主商家编码", "NStock02Click", 0),
        taggedItem(P::PriceCopyMenu, "NStock03", "复制颜色", "NStock02Click", 1),
        taggedItem(P::PriceCopyMenu, "NStock04", "复制SKU(尺码)", "NStock02Click", 2),
        taggedItem(P::PriceCopyMenu, "NStock05", "复制SKU商家编码", "NStock02Click", 3),
        taggedItem(P::PriceCopyMenu, "NStock06", "复制货号", "NStock02Click", 4),
        separator(P::PricePopup),
        item(P::PricePopup, "NEditPrice01", "修改主商家编码", PS, "NEditPrice01Click"),
        item(P::PricePopup, "NEditPrice02", "修改价格", PS, "NEditPrice02Click"),
        item(P::PricePopup, "NEditStock01", "修改主商家编码", PS, "NEditStock01Click"),
        item(P::PricePopup, "NEditStock02", "修改颜色", PS, "NEditStock02Click"),
        item(P::PricePopup, "NEditStock03", "修改SKU(尺码)", PS, "NEditStock03Click"),
        item(P::PricePopup, "NEditStock04", "修改SKU商家编码", PS, "NEditStock04Click"),
        item(P::PricePopup, "NEditStock06", "修改货号", PS, "NEditStock06Click"),
        item(P::PricePopup, "NEditStock05", "修改数量", PS, "NEditStock05Click"),
        separator(P::PricePopup),
        item(P::PricePopup, "NPriceDelete", "删除选中项(&D)", PS, "NPriceDeleteClick"),
        item(P::PricePopup, "NStockDelete", "删除选中项(&D)", PS, "NStockDeleteClick"),
        separator(P::PricePopup),
        menu(P::PricePopup, "N76", "高级功能", P::PriceAdvancedMenu),
        item(P::PriceAdvancedMenu, "_ClearStock", "清空自定义商品库存列表", PS, "ClearStockClick"),
        item(P::PriceAdvancedMenu, "_ClearPrice", "清空自定义商品价格表", PS, "ClearPriceClick"),
        separator(P::PricePopup),
        item(P::PricePopup, "F1", "刷新(&F)", PS, "F1Click"),

        // the warehouse list's popup
        item(P::InventoryPopup, "MenuItem14", "全选", W, "MenuItem14Click"),
        item(P::InventoryPopup, "MenuItem16", "勾选所有", W, "MenuItem16Click"),
        item(P::InventoryPopup, "MenuItem17", "取消所有勾选", W, "MenuItem17Click"),
        item(P::InventoryPopup, "MenuItem19", "选中-勾选", W, "MenuItem19Click"),
        item(P::InventoryPopup, "MenuItem20", "选中-取消勾选", W, "MenuItem20Click"),
        item(P::InventoryPopup, "MenuItem28", "删除选中项", W, "MenuItem28Click"),
        menu(P::InventoryPopup, "MenuItem30", "复制文本", P::InventoryCopyMenu),
        inventoryCopy("InventoryCopyCaption", "复制宝贝名称", -1),
        inventoryCopy("InventoryCopy0", "复制商家编码", 0),
        inventoryCopy("InventoryCopy1", "复制上架时间", 1),
        inventoryCopy("InventoryCopy2", "复制下架时间", 2),
        inventoryCopy("InventoryCopy3", "剩余时间", 3),
        inventoryCopy("InventoryCopy6", "有效天数", 6),
        inventoryCopy("InventoryCopy7", "复制数量", 7),
        inventoryCopy("InventoryCopy8", "复制价格", 8),
        inventoryCopy("InventoryCopy9", "复制商品数字ID", 9),
        inventoryCopy("InventoryCopy12", "复制卖家昵称", 12),
        item(P::InventoryPopup, "MenuItem41", "选中项另存为...", W, "MenuItem41Click"),
        item(P::InventoryPopup, "N74", "选中清除上架计划时间", W, "N74Click"),
        item(P::InventoryPopup, "MenuItem43", "打开所选项网页地址", W, "MenuItem43Click"),

        // the tray icon's menu
        item(P::TrayMenu, "NShowMain", "显示主窗口", F, "NShowMainClick"),
        item(P::TrayMenu, "NSyncNow", "立即同步", F, "NSyncNowClick"),
        separator(P::TrayMenu),
        item(P::TrayMenu, "N29", "取消执行同步计划", F, "N29Click"),
    };
}
} // namespace

const std::vector<ActionEntry> &MainWindowActions()
{
    static const std::vector<ActionEntry> entries = table();
    return entries;
}

void ActionBuilder::addPlace(Place place, QMenuBar *bar)
{
    m_places[place].bar = bar;
}

void ActionBuilder::addPlace(Place place, QMenu *menu)
{
    m_places[place].menu = menu;
}

void ActionBuilder::addPlace(Place place, QToolBar *bar, QAction *before)
{
    m_places[place].toolbar = bar;
    m_places[place].before = before;
}

void ActionBuilder::addHandler(Pane pane, QObject *receiver)
{
    m_handlers[pane] = receiver;
}

void ActionBuilder::remember(const char *name, QObject *control)
{
    const QString key = QString::fromLatin1(name);
    if (m_controls.contains(key))
        qFatal("command table: the name %s is used twice", name);
    control->setObjectName(key);
    m_controls.insert(key, control);
}

void ActionBuilder::connectHandler(const ActionEntry &e, QObject *sender, const char *signal)
{
    if (e.pane == Pane::None)
        return;
    const auto found = m_handlers.find(e.pane);
    if (found == m_handlers.end() || !e.handler)
        qFatal("command table: %s has no pane to handle it", e.name);
    QObject *receiver = found->second;
    const QMetaObject *meta = receiver->metaObject();
    const int slot = meta->indexOfSlot(QByteArray(e.handler).append("()").constData());
    if (slot < 0)
        qFatal("command table: %s has no handler %s", meta->className(), e.handler);
    const QMetaObject *senderMeta = sender->metaObject();
    const QMetaMethod fired = senderMeta->method(senderMeta->indexOfSignal(signal));
    QObject::connect(sender, fired, receiver, meta->method(slot));
}

void ActionBuilder::build(const std::vector<ActionEntry> &entries)
{
    for (const ActionEntry &e : entries) {
        const auto found = m_places.find(e.place);
        if (found == m_places.end())
            qFatal("command table: no place for %s", e.name ? e.name : "a separator");
        const Target place = found->second;
        const QString caption = QString::fromUtf8(e.caption);

        if (place.toolbar) {
            if (e.kind == ActionEntry::Separator) {
                place.toolbar->insertSeparator(place.before);
                continue;
            }
            auto *b = new QToolButton(place.toolbar);
            remember(e.name, b);
            b->setText(caption);
            b->setToolButtonStyle(Qt::ToolButtonTextOnly);
            b->setAutoRaise(true);
            b->setEnabled(e.enabled);
            place.toolbar->insertWidget(place.before, b);
            if (e.kind == ActionEntry::MenuButton) {
                auto *m = new QMenu(b);
                m->setObjectName(QString::fromLatin1(e.menuName));
                b->setMenu(m);
                b->setPopupMode(QToolButton::InstantPopup);
                m_places[e.opens].menu = m;
            }
            connectHandler(e, b, "clicked(bool)");
            continue;
        }

        if (e.kind == ActionEntry::Separator) {
            if (!place.menu)
                qFatal("command table: a separator outside a menu");
            QAction *line = place.menu->addSeparator();
            if (e.name)
                remember(e.name, line);
            continue;
        }
        if (e.kind == ActionEntry::Menu) {
            QMenu *m = place.bar ? place.bar->addMenu(caption) : place.menu->addMenu(caption);
            remember(e.name, m);
            m_places[e.opens].menu = m;
            continue;
        }
        if (!place.menu)
            qFatal("command table: %s needs a menu", e.name);
        QAction *a = place.menu->addAction(caption);
        remember(e.name, a);
        a->setEnabled(e.enabled);
        if (e.tag != ActionEntry::NoTag)
            a->setProperty("Tag", e.tag);
        connectHandler(e, a, "triggered(bool)");
    }
}

QAction *ActionBuilder::action(const char *name) const
{
    auto *a = qobject_cast<QAction *>(m_controls.value(QString::fromLatin1(name)));
    if (!a)
        qFatal("command table: no action %s", name);
    return a;
}

QToolButton *ActionBuilder::button(const char *name) const
{
    auto *b = qobject_cast<QToolButton *>(m_controls.value(QString::fromLatin1(name)));
    if (!b)
        qFatal("command table: no tool button %s", name);
    return b;
}

QMenu *ActionBuilder::menu(Place place) const
{
    const auto found = m_places.find(place);
    return found == m_places.end() ? nullptr : found->second.menu;
}
