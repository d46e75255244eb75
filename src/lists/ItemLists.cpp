#include "lists/ItemLists.h"

#include "base/TextRoutines.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

int ItemLists::defaultGroup(Tag tag)
{
    const QString name = QStringLiteral("默认组");
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select Uniqid from TB_Groups where Tag=? and GroupName=? order by Uniqid"));
    q.addBindValue(int(tag));
    q.addBindValue(name);
    if (!q.exec())
        return -1;
    if (q.next())
        return q.value(0).toInt();
    q.prepare(QStringLiteral("insert into TB_Groups(Tag,GroupName) values(?,?)"));
    q.addBindValue(int(tag));
    q.addBindValue(name);
    if (!q.exec())
        return -1;
    return q.lastInsertId().toInt();
}

int ItemLists::addItems(Tag tag, const QStringList &ids, QString *error)
{
    QStringList clean;
    for (const QString &raw : ids) {
        const QString id = TrimText(raw);
        bool digits = !id.isEmpty();
        for (const QChar c : id)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digits) {
            if (error)
                *error = QStringLiteral("商品数字ID 只能是数字: ") + raw;
            return -1;
        }
        if (!clean.contains(id))
            clean << id;
    }
    const int group = defaultGroup(tag);
    if (group < 0) {
        if (error)
            *error = m_db.lastError().text();
        return -1;
    }
    int added = 0;
    QSqlQuery exists(m_db);
    exists.prepare(QStringLiteral("select 1 from TB_URL where Tag=? and num_iid=?"));
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("insert into TB_URL(bCheck,Tag,uGroup,num_iid,detail_url,title,outer_id,outer_id2,"
                                  "approve_status,nick) values(1,?,?,?,'','','','','','')"));
    for (const QString &id : clean) {
        exists.addBindValue(int(tag));
        exists.addBindValue(id);
        if (exists.exec() && exists.next())
            continue;
        insert.addBindValue(int(tag));
        insert.addBindValue(group);
        insert.addBindValue(id);
        if (!insert.exec()) {
            if (error)
                *error = insert.lastError().text();
            return -1;
        }
        ++added;
    }
    return added;
}
