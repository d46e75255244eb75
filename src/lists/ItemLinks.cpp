#include "lists/ItemLinks.h"

#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "lists/ItemLists.h"
#include "store/Settings.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

ItemLinks::Prefixes ItemLinks::prefixesOf(const TopEndpoints &hosts)
{
    return {hosts.itemPageOf(QString()), hosts.tmallItemPageOf(QString())};
}

namespace {

// The prefix in its http and its https form (only the one form for another scheme).
QStringList schemeForms(const QString &prefix)
{
    for (const QString &scheme : {QStringLiteral("https://"), QStringLiteral("http://")}) {
        if (prefix.startsWith(scheme, Qt::CaseInsensitive)) {
            const QString rest = prefix.mid(scheme.size());
            return {QStringLiteral("http://") + rest, QStringLiteral("https://") + rest};
        }
    }
    return {prefix};
}

} // namespace

QString ItemLinks::idOf(const QString &line) const
{
    const QString l = TrimText(line);
    for (const QString &prefix : schemeForms(m_prefixes.taobao) + schemeForms(m_prefixes.tmall)) {
        if (prefix.isEmpty() || !l.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        // the id follows the prefix directly and ends the line: digits only
        const QString rest = l.mid(prefix.size());
        const QString id = ItemLists::NormalItemId(rest);
        if (!id.isEmpty() && rest == TrimText(rest))
            return id;
    }
    return {};
}

QString ItemLinks::invalidLines(const QStringList &lines) const
{
    QString errors;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString l = TrimText(lines.at(i));
        if (!l.isEmpty() && idOf(l).isEmpty())
            errors += QStringLiteral("第 ") + QString::number(i + 1) + QStringLiteral(" 行:") + l +
                      QStringLiteral("\r\n\r\n");
    }
    return errors;
}

QString ItemLinks::emptyText() const
{
    return QStringLiteral("请输入淘宝的宝贝链接地址.格式如:") + m_prefixes.taobao + QStringLiteral("数字或 ") +
           m_prefixes.tmall + QStringLiteral("数字\r\n(提示:可添加多个宝贝链接地址,一行一个宝贝链接地址)");
}

QString ItemLinks::invalidText(const QString &invalidLines) const
{
    return QStringLiteral("以下淘宝宝贝链接地址格式不正确,请重新输入.格式如: ") + m_prefixes.taobao +
           QStringLiteral("数字\r\n或 ") + m_prefixes.tmall + QStringLiteral("数字\"\r\n\r\n") + invalidLines;
}

int ItemLinks::groupId(int tag, const QString &groupName) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select Uniqid from TB_Groups where GroupName=? and Tag=? order by Uniqid"));
    q.addBindValue(groupName);
    q.addBindValue(tag);
    if (q.exec() && q.next())
        return q.value(0).toInt();
    // the name as the box shows it: trimmed, compared with the trimmed stored names
    q.prepare(QStringLiteral("select Uniqid, GroupName from TB_Groups where Tag=? order by Uniqid"));
    q.addBindValue(tag);
    if (!q.exec())
        return -1;
    const QString wanted = TrimText(groupName);
    int found = -1;
    while (q.next()) {
        if (TrimText(q.value(1).toString()).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (found >= 0)
            return -1;
        found = q.value(0).toInt();
    }
    return found;
}

bool ItemLinks::hasGroup(int tag, int group) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select 1 from TB_Groups where Uniqid=? and Tag=?"));
    q.addBindValue(group);
    q.addBindValue(tag);
    return q.exec() && q.next();
}

int ItemLinks::insert(int tag, int group, const QStringList &lines, QString *error,
                      const std::function<void(int, int)> &progress) const
{
    const auto fail = [&](const QSqlQuery &q) {
        if (error)
            *error = q.lastError().text();
        m_db.rollback();
        return -1;
    };
    // ids are stored as text; entries stored before ids were normalised may carry leading zeros
    QSqlQuery exists(m_db);
    exists.prepare(QStringLiteral("select count(*) from TB_URL where (num_iid=? or ltrim(num_iid,'0')=?) and Tag=?"));
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("insert into TB_URL(Tag,uGroup,num_iid,detail_url) values(?,?,?,?)"));
    if (!m_db.transaction()) {
        if (error)
            *error = m_db.lastError().text();
        return -1;
    }
    int added = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (progress)
            progress(int(i + 1), int(lines.size()));
        const QString l = TrimText(lines.at(i));
        const QString id = idOf(l);
        if (id.isEmpty())
            continue;
        exists.addBindValue(id);
        exists.addBindValue(id);
        exists.addBindValue(tag);
        if (!exists.exec() || !exists.next())
            return fail(exists);
        if (exists.value(0).toInt() > 0)
            continue;
        insert.addBindValue(tag);
        insert.addBindValue(group);
        insert.addBindValue(id);
        insert.addBindValue(l);
        if (!insert.exec())
            return fail(insert);
        ++added;
    }
    if (!m_db.commit()) {
        if (error)
            *error = m_db.lastError().text();
        m_db.rollback();
        return -1;
    }
    return added;
}

namespace {
struct FieldKeys
{
    Setting address, keyword, type;
};
FieldKeys keysOf(int tag)
{
    if (tag == 1)
        return {Setting::TargetShopAddress, Setting::TargetShopKeyword, Setting::TargetShopType};
    return {Setting::SourceShopAddress, Setting::SourceShopKeyword, Setting::SourceShopType};
}
} // namespace

ShopSearchFields ShopSearchFields::load(const Settings &settings, int tag)
{
    for (int list : {0, 1}) {
        const FieldKeys both = keysOf(list);
        for (Setting key : {both.address, both.keyword, both.type})
            settings.ensure(key);
    }
    const FieldKeys k = keysOf(tag);
    ShopSearchFields f;
    f.address = TrimText(settings.text(k.address));
    f.keyword = TrimText(settings.text(k.keyword));
    f.type = qBound(0, settings.integer(k.type), 4);
    return f;
}

bool ShopSearchFields::save(const Settings &settings, int tag) const
{
    const FieldKeys k = keysOf(tag);
    return settings.set(k.address, address) && settings.set(k.keyword, keyword) && settings.setInteger(k.type, type);
}

bool AddPastedLinks(Interaction &ui, const ItemLinks &links, int tag, int group, const QString &text, bool ask,
                    const std::function<void(int, int)> &progress, int *added)
{
    if (TrimText(text).isEmpty()) {
        ui.warn(links.emptyText());
        return false;
    }
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList list = lines.split(QLatin1Char('\n'));
    const QString invalid = links.invalidLines(list);
    if (!invalid.isEmpty()) {
        ui.warn(links.invalidText(invalid));
        return false;
    }
    if (group < 0) {
        ui.warn(QStringLiteral("添加失败: 该分组已不存在,请重新选择组."));
        return false;
    }
    if (ask && !ui.ask(QStringLiteral("是否确认添加至下载源?")))
        return false;
    QString error;
    const int n = links.insert(tag, group, list, &error, progress);
    if (n < 0) {
        ui.message(Interaction::errorCaption(), QStringLiteral("添加至下载源失败,未添加任何宝贝.\r\n") + error,
                   Interaction::Icon::Error);
        return false;
    }
    if (added)
        *added = n;
    return true;
}
