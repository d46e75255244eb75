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

QString ItemLists::NormalItemId(const QString &text)
{
    const QString id = TrimText(text);
    qsizetype first = 0;
    for (const QChar c : id) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    }
    while (first < id.size() && id.at(first) == QLatin1Char('0'))
        ++first;
    const QString digits = id.mid(first);
    static const QString largest = QStringLiteral("9223372036854775807");
    if (digits.isEmpty() || digits.size() > largest.size() ||
        (digits.size() == largest.size() && digits > largest))
        return {};
    return digits;
}

int ItemLists::addItems(Tag tag, const QStringList &ids, QString *error)
{
    QStringList clean;
    for (const QString &raw : ids) {
        const QString id = NormalItemId(raw);
        if (id.isEmpty()) {
            if (error)
                *error = QStringLiteral("商品数字ID 无效: ") + raw +
                         QStringLiteral(" (应为不超过19位的正整数, 未添加任何宝贝)");
            return -1;
        }
        if (!clean.contains(id))
            clean << id;
    }
    m_db.transaction();
    const int group = defaultGroup(tag);
    if (group < 0) {
        if (error)
            *error = m_db.lastError().text();
        m_db.rollback();
        return -1;
    }
    int added = 0;
    QSqlQuery exists(m_db);
    // entries stored before ids were normalised may still carry leading zeros
    exists.prepare(QStringLiteral("select 1 from TB_URL where Tag=? and (num_iid=? or ltrim(num_iid,'0')=?)"));
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("insert into TB_URL(bCheck,Tag,uGroup,num_iid,detail_url,title,outer_id,outer_id2,"
                                  "approve_status,nick) values(1,?,?,?,'','','','','','')"));
    for (const QString &id : clean) {
        exists.addBindValue(int(tag));
        exists.addBindValue(id);
        exists.addBindValue(id);
        if (!exists.exec()) {
            if (error)
                *error = exists.lastError().text();
            m_db.rollback();
            return -1;
        }
        if (exists.next())
            continue;
        insert.addBindValue(int(tag));
        insert.addBindValue(group);
        insert.addBindValue(id);
        if (!insert.exec()) {
            if (error)
                *error = insert.lastError().text();
            m_db.rollback();
            return -1;
        }
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
