#include "lists/ItemListEditor.h"
#include "lists/ItemLinks.h"

#include "base/Clock.h"
#include "base/CsvWriter.h"
#include "base/Desktop.h"
#include "base/ExportFile.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "lists/MerchantCodes.h"
#include "lists/OnSaleImport.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "top/TopClient.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QUrl>
#include <algorithm>

namespace {

const QChar Q = QLatin1Char('"');

QString statusCaption(const QString &status)
{
    if (status == QStringLiteral("onsale"))
        return QStringLiteral("销售中");
    if (status == QStringLiteral("instock"))
        return QStringLiteral("已下架");
    return status;
}

// A LIKE pattern that finds the text itself: "%", "_" and the escape are literal.
QString containsPattern(const QString &text)
{
    QString p = text;
    p.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    p.replace(QStringLiteral("%"), QStringLiteral("\\%"));
    p.replace(QStringLiteral("_"), QStringLiteral("\\_"));
    return QLatin1Char('%') + p + QLatin1Char('%');
}

Setting groupSetting(int mode)
{
    return mode == 0 ? Setting::SourceGroups : Setting::TargetGroups;
}

} // namespace

ItemListEditor::ItemListEditor(const QSqlDatabase &db, JobHost &host, TopClient &client, Desktop &desktop,
                               std::function<QString(const QString &)> itemPage, QObject *parent)
    : QObject(parent), m_db(db), m_host(host), m_ui(host.ui()), m_desktop(desktop), m_itemPage(std::move(itemPage)),
      m_model(new ListModel(this))
{
    m_model->setHeaders(headers());
    m_model->setNumericSort(false);
    m_onSale = new OnSaleImportJob(host, client, db, m_panel, m_itemPage, this);
    m_onSale->setReloadList([this] { GetDataList(); });
}

ItemListEditor::~ItemListEditor() = default;

QStringList ItemListEditor::headers()
{
    return {QStringLiteral("主商家编码"), QStringLiteral("宝贝数字ID"), QStringLiteral("宝贝名称"),
            QStringLiteral("宝贝链接地址(URL)"), QStringLiteral("宝贝状态"), QStringLiteral("卖家昵称")};
}

void ItemListEditor::setMode(int mode)
{
    m_mode = mode == 1 ? 1 : 0;
    // the rows of the source list are banded, the target list's are plain
    m_model->setBanding(m_mode == 0);
}

bool ItemListEditor::run(QSqlQuery &q)
{
    if (q.exec())
        return true;
    m_lastError = q.lastError().text();
    m_ui.error(m_lastError);
    return false;
}

std::vector<int> ItemListEditor::inListOrder(std::vector<int> rows) const
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const int count = m_model->count();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }), rows.end());
    return rows;
}

QString ItemListEditor::rowAddress(int row) const
{
    return m_model->row(row).cells.value(2);
}

// ---------------------------------------------------------------- groups

void ItemListEditor::GetGroupList()
{
    m_groups.clear();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select Uniqid,GroupName from TB_Groups where Tag=? order by Uniqid"));
    q.addBindValue(m_mode);
    if (run(q))
        while (q.next())
            m_groups.append({q.value(0).toInt(), TrimText(q.value(1).toString()), false});
    const QStringList stored = SplitToList(Settings(m_db).text(groupSetting(m_mode)), QStringLiteral(","));
    for (ItemGroup &g : m_groups)
        for (const QString &piece : stored)
            if (g.name.compare(piece, Qt::CaseInsensitive) == 0)
                g.ticked = true;
    Q_EMIT groupsChanged();
}

void ItemListEditor::storeTickedGroups()
{
    Settings(m_db).set(groupSetting(m_mode), tickedGroupNames().join(QLatin1Char(',')));
}

void ItemListEditor::setGroupTicked(int index, bool ticked)
{
    if (index < 0 || index >= m_groups.size())
        return;
    m_groups[index].ticked = ticked;
    storeTickedGroups();
}

void ItemListEditor::setAllGroupsTicked(bool ticked)
{
    for (ItemGroup &g : m_groups)
        g.ticked = ticked;
    storeTickedGroups();
}

QStringList ItemListEditor::tickedGroupNames() const
{
    QStringList names;
    for (const ItemGroup &g : m_groups)
        if (g.ticked)
            names << g.name;
    return names;
}

QList<ItemGroup> ItemListEditor::groupsOfMode() const
{
    QList<ItemGroup> groups;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select Uniqid,GroupName from TB_Groups where Tag=? order by Uniqid"));
    q.addBindValue(m_mode);
    if (q.exec())
        while (q.next())
            groups.append({q.value(0).toInt(), TrimText(q.value(1).toString()), false});
    return groups;
}

namespace {

// A group name the lists can hold: not blank, and without the "," that
// separates the stored ticked names.
QString groupNameProblem(const QString &name, const QString &what)
{
    if (TrimText(name).isEmpty())
        return what + QStringLiteral("失败,组名不能为空.");
    if (name.contains(QLatin1Char(',')))
        return what + QStringLiteral("失败,组名不能包含逗号\",\".");
    return {};
}

} // namespace

void ItemListEditor::N5Click()
{
    const std::optional<QString> name = m_ui.prompt(QStringLiteral("新建组"), QStringLiteral("请输入新组名:"), QString());
    if (!name)
        return;
    const QString problem = groupNameProblem(*name, QStringLiteral("新建"));
    if (!problem.isEmpty()) {
        m_ui.info(problem);
        return;
    }
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select 1 from TB_Groups where GroupName=? and Tag=?"));
    q.addBindValue(*name);
    q.addBindValue(m_mode);
    if (!run(q))
        return;
    if (q.next()) {
        m_ui.warn(Q + *name + Q + QStringLiteral("该组已存在,请重新输入组名."));
        return;
    }
    q.prepare(QStringLiteral("Insert Into TB_Groups(GroupName,Tag) values(?,?)"));
    q.addBindValue(*name);
    q.addBindValue(m_mode);
    if (!run(q))
        return;
    m_ui.info(QStringLiteral("新建组完成,请确认."));
    m_groups.append({q.lastInsertId().toInt(), TrimText(*name), false});
    Q_EMIT groupsChanged();
}

void ItemListEditor::N6Click()
{
    const auto first = std::find_if(m_groups.cbegin(), m_groups.cend(), [](const ItemGroup &g) { return g.ticked; });
    if (first == m_groups.cend()) {
        m_ui.warn(QStringLiteral("请选择组.(如果选择多组,将以第一个组为准)"));
        return;
    }
    const ItemGroup old = *first;
    const std::optional<QString> name =
        m_ui.prompt(QStringLiteral("修改组名:") + Q + old.name + Q, QStringLiteral("请输入新组名:"), old.name);
    if (!name || *name == old.name)
        return;
    const QString problem = groupNameProblem(*name, QStringLiteral("修改"));
    if (!problem.isEmpty()) {
        m_ui.info(problem);
        return;
    }
    QSqlQuery q(m_db);
    // the group itself may change the case of its letters
    q.prepare(QStringLiteral("select 1 from TB_Groups where GroupName=? and Tag=? and Uniqid<>?"));
    q.addBindValue(*name);
    q.addBindValue(m_mode);
    q.addBindValue(old.id);
    if (!run(q))
        return;
    if (q.next()) {
        m_ui.warn(Q + *name + Q + QStringLiteral("该组已存在,请重新输入组名."));
        return;
    }
    q.prepare(QStringLiteral("Update TB_Groups Set GroupName=? where Uniqid=? and Tag=?"));
    q.addBindValue(*name);
    q.addBindValue(old.id);
    q.addBindValue(m_mode);
    if (!run(q))
        return;
    m_ui.info(QStringLiteral("修改组名完成,请确认."));
    GetGroupList();
}

void ItemListEditor::N7Click()
{
    QList<int> ids;
    for (const ItemGroup &g : m_groups)
        if (g.ticked)
            ids << g.id;
    if (ids.isEmpty()) {
        m_ui.warn(QStringLiteral("请选择组."));
        return;
    }
    if (!m_ui.question(Interaction::tipCaption(),
                       QStringLiteral("是否要删除所选组:") + Q + tickedGroupNames().join(QLatin1Char(',')) + Q +
                           QStringLiteral("\r\n\r\n") + QStringLiteral("注意:删除组将会删除该组下所有人员,是否继续?"),
                       Interaction::Icon::Warning))
        return;
    m_db.transaction();
    QSqlQuery rows(m_db), groups(m_db);
    rows.prepare(QStringLiteral("delete from TB_URL where uGroup in (select Uniqid from TB_Groups where Tag=? and Uniqid=?)"));
    groups.prepare(QStringLiteral("delete from TB_Groups where Tag=? and Uniqid=?"));
    for (int id : ids) {
        for (QSqlQuery *q : {&rows, &groups}) {
            q->addBindValue(m_mode);
            q->addBindValue(id);
            if (!run(*q)) {
                m_db.rollback();
                return;
            }
        }
    }
    m_db.commit();
    m_ui.info(QStringLiteral("删除组完成,请确认."));
    GetGroupList();
    GetDataList();
}

// ---------------------------------------------------------------- listing

bool ItemListEditor::GetDataList()
{
    if (busy())
        return false;
    m_lastError.clear();
    m_panel.show(QStringLiteral("读取数据中..."), false);
    m_model->clear();

    QString sql = QStringLiteral("select u.Uniqid,u.bCheck,u.num_iid,u.title,u.detail_url,u.approve_status,u.nick,"
                                 "u.outer_id,u.outer_id2,u.refused from TB_URL u\n"
                                 "where u.uGroup in (select Uniqid from TB_Groups where Tag=?");
    QVariantList values{m_mode};
    QStringList ticked;
    for (const ItemGroup &g : m_groups)
        if (g.ticked) {
            ticked << QStringLiteral("?");
            values << g.id;
        }
    if (!ticked.isEmpty())
        sql += QStringLiteral(" and Uniqid in (") + ticked.join(QLatin1Char(',')) + QLatin1Char(')');
    sql += QStringLiteral(")\n");
    const QString pattern = containsPattern(m_keyword);
    sql += QStringLiteral("and (u.outer_id like ? escape '\\' or u.outer_id2 like ? escape '\\' or u.num_iid like ? "
                          "escape '\\' or u.title like ? escape '\\' or u.detail_url like ? escape '\\')\n");
    for (int i = 0; i < 5; ++i)
        values << pattern;
    if (m_onlyMissing) {
        // the rows whose effective code the other list does not use
        const QString mine = EffectiveMerchantCodeSql(QStringLiteral("u"));
        const QString theirs = EffectiveMerchantCodeSql(QStringLiteral("v"));
        sql += QStringLiteral("and (") + mine + QStringLiteral("='' or ") + mine + QStringLiteral(" not in (select ") +
               theirs + QStringLiteral(" from TB_URL v where v.Tag=? and ") + theirs + QStringLiteral("<>''))\n");
        values << (1 - m_mode);
    }
    sql += QStringLiteral("order by u.outer_id, u.Uniqid");

    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        m_lastError = q.lastError().text();
        m_panel.hide();
        m_ui.error(m_lastError);
        GetTotal();
        return false;
    }
    std::vector<ListRow> rows;
    while (q.next()) {
        ListRow r;
        r.caption = EffectiveMerchantCode(q.value(7).toString(), q.value(8).toString());
        r.cells << TrimText(q.value(2).toString()) << TrimText(q.value(3).toString())
                << TrimText(q.value(4).toString())
                // an id the platform refused says so where the status stands
                << (q.value(9).toString().isEmpty() ? statusCaption(TrimText(q.value(5).toString()))
                                                    : QStringLiteral("ID被拒绝"))
                << TrimText(q.value(6).toString()) << q.value(0).toString();
        r.checked = q.value(1).toInt() == 1;
        rows.push_back(std::move(r));
    }
    m_model->setRows(std::move(rows));
    GetTotal();
    m_panel.hide();
    return true;
}

void ItemListEditor::GetTotal()
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select count(*) from TB_URL where Tag=?"));
    q.addBindValue(m_mode);
    const int all = q.exec() && q.next() ? q.value(0).toInt() : 0;
    m_status = QStringLiteral(" 共 ") + QString::number(all) + QStringLiteral(" 项  ,  当前显示") +
               QString::number(m_model->count()) + QStringLiteral(" 项");
    Q_EMIT statusChanged(m_status);
}

void ItemListEditor::StartDownloadClick()
{
    if (busy())
        return;
    m_db.transaction();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("update TB_URL set bCheck=? where Uniqid=?"));
    for (const ListRow &r : m_model->rows()) {
        q.addBindValue(r.checked ? 1 : 0);
        q.addBindValue(r.uniqid().toLongLong());
        if (!run(q)) {
            m_db.rollback();
            return;
        }
    }
    m_db.commit();
    m_ui.info(QStringLiteral("保存配置下载源完成,请确认"));
}

// ---------------------------------------------------------------- rows

QString ItemListEditor::countText(const std::vector<int> &rows) const
{
    return QString::number(rows.size());
}

bool ItemListEditor::updateRows(const std::vector<int> &rows, const QString &statement, const QVariantList &values)
{
    m_db.transaction();
    QSqlQuery q(m_db);
    q.prepare(statement);
    for (int r : rows) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        q.addBindValue(m_model->row(r).uniqid().toLongLong());
        if (!run(q)) {
            m_db.rollback();
            return false;
        }
    }
    return m_db.commit();
}

void ItemListEditor::N1Click(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择要删除的项"));
        return;
    }
    const QString text = rows.size() == 1
                             ? QString(QStringLiteral("是否要删除: ") + rowAddress(rows.front()))
                             : QString(QStringLiteral("是否要删除选中的 ") + countText(rows) + QStringLiteral(" 个项?"));
    if (!m_ui.ask(text))
        return;
    if (updateRows(rows, QStringLiteral("Delete From TB_URL where Uniqid=?"), {}))
        GetDataList();
}

void ItemListEditor::N10Click(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择要清除的项"));
        return;
    }
    const QString what = QStringLiteral(" 进行 ") + Q + QStringLiteral("清除商家编码") + Q + QStringLiteral(" 操作?");
    const QString text =
        rows.size() == 1 ? QString(QStringLiteral("是否要对: ") + rowAddress(rows.front()) + what)
                         : QString(QStringLiteral("是否要对选中的 ") + countText(rows) + QStringLiteral(" 个项") + what.mid(1));
    if (!m_ui.ask(text))
        return;
    if (updateRows(rows, QStringLiteral("Update TB_URL set outer_id='',outer_id2='' where Uniqid=?"), {}))
        GetDataList();
}

void ItemListEditor::NullClick(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择项"));
        return;
    }
    if (!m_ui.ask(QStringLiteral("是否要将选中的 ") + countText(rows) + QStringLiteral(" 个项主商家编码设为空?")))
        return;
    if (!updateRows(rows, QStringLiteral("Update TB_URL set outer_id2=? where Uniqid=?"), {NoMerchantCodeMarker()}))
        return;
    for (int r : rows)
        m_model->setCaption(r, QString());
}

void ItemListEditor::N9Click(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty())
        return;
    const int r = rows.front();
    const std::optional<QString> entered =
        m_ui.prompt(QStringLiteral("自定义商家编码 URL:") + rowAddress(r), QStringLiteral("请输入商家编码:"),
                    m_model->row(r).caption);
    if (!entered)
        return;
    const QString code = TrimText(*entered);
    if (code.isEmpty()) {
        m_ui.warn(QStringLiteral("自定义商家编码不能为空,请重新输入."));
        return;
    }
    const qlonglong id = m_model->row(r).uniqid().toLongLong();
    QSqlQuery q(m_db);
    // only the other entries' own codes count; a code from the shop is no clash
    q.prepare(QStringLiteral("select count(*) from TB_URL where outer_id2<>'null' and outer_id2=? and Uniqid<>? "
                             "and Tag=?"));
    q.addBindValue(code);
    q.addBindValue(id);
    q.addBindValue(m_mode);
    if (!run(q))
        return;
    if (q.next() && q.value(0).toInt() > 0) {
        m_ui.warn(QStringLiteral("自定义商家编码失败,原因:") + Q + code + Q + QStringLiteral("商家编码已存在."));
        return;
    }
    q.prepare(QStringLiteral("update TB_URL set outer_id=?, outer_id2=? where Uniqid=?"));
    q.addBindValue(code);
    q.addBindValue(code);
    q.addBindValue(id);
    if (run(q))
        m_model->setCaption(r, code);
}

void ItemListEditor::CreateOuterIDClick(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择项"));
        return;
    }
    if (!m_ui.ask(QStringLiteral("是否要将选中的 ") + countText(rows) + QStringLiteral(" 个项批量生成主商家编码?")))
        return;
    m_db.transaction();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("Update TB_URL set outer_id2=? where Uniqid=?"));
    for (int r : rows) {
        const qlonglong id = m_model->row(r).uniqid().toLongLong();
        q.addBindValue(GeneratedMerchantCode(id));
        q.addBindValue(id);
        if (!run(q)) {
            m_db.rollback();
            return;
        }
    }
    m_db.commit();
    GetDataList();
}

void ItemListEditor::CreateOuterID_TitleClick(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择项"));
        return;
    }
    if (!m_ui.ask(QStringLiteral("是否要将选中的 ") + countText(rows) +
                  QStringLiteral(" 个项-与源标题关联生成自定义商家编码?")))
        return;
    m_db.transaction();
    QSqlQuery find(m_db), update(m_db);
    find.prepare(QStringLiteral("select outer_id2 from TB_URL where Tag=0 and trim(title)=? order by Uniqid"));
    update.prepare(QStringLiteral("Update TB_URL set outer_id2=? where Uniqid=?"));
    for (int r : rows) {
        find.addBindValue(m_model->row(r).cells.value(1));
        if (!run(find)) {
            m_db.rollback();
            return;
        }
        const QString code = find.next() ? TrimText(find.value(0).toString()) : QString(QLatin1String(""));
        find.finish();
        update.addBindValue(SqlText(code));
        update.addBindValue(m_model->row(r).uniqid().toLongLong());
        if (!run(update)) {
            m_db.rollback();
            return;
        }
    }
    m_db.commit();
    GetDataList();
}

void ItemListEditor::W1Click(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择要处理的项"));
        return;
    }
    if (!m_ui.ask(QStringLiteral("是否要 选中项自动截取标题中商家编码 ?") + QStringLiteral("\r\n") +
                  QStringLiteral("(软件处理逻辑：自动根据标题从右到左进行识别是否为字母、数字及- _ / "
                                 "空格，如遇到非以上内容即结束)")))
        return;
    m_db.transaction();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("Update TB_URL Set outer_id2=? Where Uniqid=?"));
    for (int r : rows) {
        const QString code = AutoProcessOuter_ID(TrimText(m_model->row(r).cells.value(1)));
        q.addBindValue(SqlText(code));
        q.addBindValue(m_model->row(r).uniqid().toLongLong());
        if (!run(q)) {
            m_db.rollback();
            return;
        }
        m_model->setCaption(r, code);
    }
    m_db.commit();
}

QStringList ItemListEditor::MoveToClick(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    QStringList ids;
    for (int r : rows)
        ids << m_model->row(r).uniqid();
    if (ids.isEmpty())
        m_ui.warn(QStringLiteral("请选择要移动到组的项"));
    return ids;
}

bool ItemListEditor::moveToGroup(const QStringList &uniqids, const ItemGroup &group)
{
    const QString count = QString::number(uniqids.size());
    if (!m_ui.ask(QStringLiteral("确定要将所选的 ") + count + QStringLiteral(" 项移动到组") + Q + group.name + Q +
                  QStringLiteral(" 吗?")))
        return false;
    m_db.transaction();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("Update TB_URL Set uGroup=? where Uniqid=?"));
    for (const QString &id : uniqids) {
        q.addBindValue(group.id);
        q.addBindValue(id.toLongLong());
        if (!run(q)) {
            m_db.rollback();
            return false;
        }
    }
    m_db.commit();
    m_ui.info(QStringLiteral("完成移动到组,共移动 ") + count + QStringLiteral(" 项，请确认."));
    return true;
}

QStringList ItemListEditor::exportLines(std::vector<int> rows) const
{
    QStringList lines;
    for (int r : inListOrder(std::move(rows))) {
        const ListRow &row = m_model->row(r);
        QStringList fields{row.caption};
        for (int c = 0; c <= 4; ++c)
            fields << row.cells.value(c);
        lines << CsvLine(fields);
    }
    return lines;
}

void ItemListEditor::N13Click(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty()) {
        m_ui.warn(QStringLiteral("请选择要另存的项"));
        return;
    }
    SaveExportLines(m_ui, QStringLiteral("urlExport"), exportLines(rows));
}

void ItemListEditor::CopyText_URL(std::vector<int> rows, int column)
{
    QStringList values;
    for (int r : inListOrder(std::move(rows)))
        values << (column < 0 ? m_model->row(r).caption : m_model->row(r).cells.value(column));
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

void ItemListEditor::AccessURLClick(std::vector<int> rows)
{
    rows = inListOrder(std::move(rows));
    if (rows.empty())
        return;
    const ListRow &row = m_model->row(rows.front());
    QString address = row.cells.value(2);
    // an entry added by its id alone has no stored address: its item page
    if (address.isEmpty() && !row.cells.value(0).isEmpty())
        address = m_itemPage(row.cells.value(0));
    const QUrl url(address);
    // only a web page goes to the shell, never a file or a program
    if (url.scheme() != QStringLiteral("http") && url.scheme() != QStringLiteral("https")) {
        m_ui.warn(QStringLiteral("不是网页地址: ") + address);
        return;
    }
    m_desktop.openUrl(address);
}

bool ItemListEditor::DownloadSaleClick(const QString &nick)
{
    if (busy())
        return false;
    const auto first = std::find_if(m_groups.cbegin(), m_groups.cend(), [](const ItemGroup &g) { return g.ticked; });
    if (first == m_groups.cend()) {
        m_ui.warn(QStringLiteral("使用下载当前店铺销售中列表前,请先选择组.(如果选择多组,将以第一个组为准)"));
        return false;
    }
    if (TrimText(nick).isEmpty()) {
        m_ui.warn(QStringLiteral("请先登录店铺帐号."));
        return false;
    }
    if (!m_ui.ask(QStringLiteral("是否下载当前店铺销售中列表?") + QStringLiteral("\r\n") +
                  QStringLiteral("(提示:下载时,将清除已下载的列表)")))
        return false;
    return m_onSale->start(first->id, nick);
}

// ---------------------------------------------------------------- command line

int ItemGroupId(const QSqlDatabase &db, int mode, const QString &name)
{
    // the name as stored, blanks and all, or else the one group whose trimmed name it is
    const int id = ItemLinks(db, {}).groupId(mode, name);
    return id > 0 ? id : 0;
}

bool ItemListCsv(const QSqlDatabase &db, int mode, const QString &group, QByteArray *csv, QString *error)
{
    int groupId = 0;
    if (!group.isNull()) {
        groupId = ItemGroupId(db, mode, group);
        if (groupId == 0) {
            *error = QStringLiteral("没有这个组: ") + group;
            return false;
        }
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select outer_id,outer_id2,num_iid,title,approve_status,nick,bCheck from TB_URL\n"
                             "where uGroup in (select Uniqid from TB_Groups where Tag=?") +
              (groupId ? QStringLiteral(" and Uniqid=?") : QString()) + QStringLiteral(")\norder by outer_id, Uniqid"));
    q.addBindValue(mode);
    if (groupId)
        q.addBindValue(groupId);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    CsvWriter out;
    out.addRow({QStringLiteral("主商家编码"), QStringLiteral("宝贝数字ID"), QStringLiteral("宝贝名称"),
                QStringLiteral("宝贝状态"), QStringLiteral("卖家昵称"), QStringLiteral("勾选")});
    while (q.next()) {
        QStringList fields{EffectiveMerchantCode(q.value(0).toString(), q.value(1).toString()),
                           TrimText(q.value(2).toString()), TrimText(q.value(3).toString()),
                           statusCaption(TrimText(q.value(4).toString())), TrimText(q.value(5).toString()),
                           q.value(6).toInt() == 1 ? QStringLiteral("1") : QStringLiteral("0")};
        out.addRow(fields);
    }
    *csv = out.bytes();
    return true;
}
