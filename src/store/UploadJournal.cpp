#include "store/UploadJournal.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QString UploadJournal::timeText(const QDateTime &at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime UploadJournal::parseTime(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *f : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd", "yyyy/MM/dd HH:mm:ss",
                          "yyyy/MM/dd HH:mm", "yyyy/MM/dd"}) {
        const QDateTime d = QDateTime::fromString(t, QString::fromLatin1(f));
        if (d.isValid())
            return d;
    }
    return QDateTime::fromString(t, Qt::ISODate);
}

namespace {
// A null QString binds as NULL; the columns hold empty texts instead.
QString notNull(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}
} // namespace

bool UploadJournal::append(const JournalEntry &e, QString *error)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("insert into TB_Upload_Journal(at,UserId,num_iid,sku_id,kind,mode,before_value,"
                             "after_value,started_by,title,state,message,cycle_id) values(?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    q.addBindValue(timeText(e.at.isValid() ? e.at : QDateTime::currentDateTime()));
    q.addBindValue(notNull(e.account));
    q.addBindValue(notNull(e.numIid));
    q.addBindValue(notNull(e.skuId));
    q.addBindValue(notNull(e.kind));
    q.addBindValue(notNull(e.mode));
    q.addBindValue(notNull(e.before));
    q.addBindValue(notNull(e.after));
    q.addBindValue(notNull(e.startedBy));
    q.addBindValue(notNull(e.title));
    q.addBindValue(e.state.isEmpty() ? QStringLiteral("done") : e.state);
    q.addBindValue(notNull(e.message));
    q.addBindValue(e.cycleId > 0 ? QVariant(e.cycleId) : QVariant(QMetaType::fromType<qint64>()));
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

namespace {
const char *const kColumns = "at,UserId,num_iid,sku_id,kind,mode,before_value,after_value,started_by,title,"
                             "Uniqid,state,message,cycle_id";

JournalEntry entryOf(const QSqlQuery &q)
{
    JournalEntry e;
    e.at = QDateTime::fromString(q.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    e.account = q.value(1).toString();
    e.numIid = q.value(2).toString();
    e.skuId = q.value(3).toString();
    e.kind = q.value(4).toString();
    e.mode = q.value(5).toString();
    e.before = q.value(6).toString();
    e.after = q.value(7).toString();
    e.startedBy = q.value(8).toString();
    e.title = q.value(9).toString();
    e.id = q.value(10).toLongLong();
    e.state = q.value(11).toString();
    e.message = q.value(12).toString();
    e.cycleId = q.value(13).toLongLong();
    return e;
}

QList<JournalEntry> runRead(QSqlQuery &q, QString *error)
{
    QList<JournalEntry> rows;
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return rows;
    }
    while (q.next())
        rows.append(entryOf(q));
    return rows;
}
} // namespace

QList<JournalEntry> UploadJournal::read(const QDateTime &since, QString *error, const QString &state) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select ") + QLatin1String(kColumns) +
              QStringLiteral(" from TB_Upload_Journal where at>=? and (?='' or state=?) order by at,Uniqid"));
    q.addBindValue(since.isValid() ? timeText(since) : QStringLiteral(""));
    q.addBindValue(notNull(state));
    q.addBindValue(notNull(state));
    return runRead(q, error);
}

qint64 UploadJournal::begin(JournalEntry entry, QString *error)
{
    entry.state = sentState();
    if (!append(entry, error))
        return 0;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("select last_insert_rowid()")) || !q.next()) {
        if (error)
            *error = q.lastError().text();
        return 0;
    }
    const qint64 id = q.value(0).toLongLong();
    if (id <= 0 && error)
        *error = QStringLiteral("上传记录没有编号");
    return id;
}

bool UploadJournal::mark(qint64 id, const QString &state, const QString &message, const QString &after,
                         QString *error)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("update TB_Upload_Journal set state=?,message=?,settled_at=?,"
                             "after_value=case when ?='' then after_value else ? end where Uniqid=?"));
    q.addBindValue(state);
    q.addBindValue(notNull(message));
    q.addBindValue(timeText(QDateTime::currentDateTime()));
    q.addBindValue(notNull(after));
    q.addBindValue(notNull(after));
    q.addBindValue(id);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    if (q.numRowsAffected() != 1) {
        if (error)
            *error = QStringLiteral("没有编号为 ") + QString::number(id) + QStringLiteral(" 的上传记录");
        return false;
    }
    return true;
}

JournalEntry UploadJournal::entry(qint64 id, QString *error) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select ") + QLatin1String(kColumns) + QStringLiteral(" from TB_Upload_Journal where Uniqid=?"));
    q.addBindValue(id);
    const QList<JournalEntry> rows = runRead(q, error);
    return rows.isEmpty() ? JournalEntry{} : rows.first();
}

QList<JournalEntry> UploadJournal::inCycle(qint64 cycleId, QString *error) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select ") + QLatin1String(kColumns) +
              QStringLiteral(" from TB_Upload_Journal where cycle_id=? order by Uniqid"));
    q.addBindValue(cycleId);
    return runRead(q, error);
}

QList<JournalEntry> UploadJournal::inState(const QString &state, const QString &account, QString *error) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select ") + QLatin1String(kColumns) +
              QStringLiteral(" from TB_Upload_Journal where state=? and (?='' or UserId=?) order by Uniqid"));
    q.addBindValue(state);
    q.addBindValue(notNull(account));
    q.addBindValue(notNull(account));
    return runRead(q, error);
}

bool UploadJournal::isHeld(const QString &account, const QString &numIid, const QString &skuId,
                           const QString &kind) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select 1 from TB_Upload_Journal where state='unsettled' and UserId=? and num_iid=? "
                             "and sku_id=? and kind=? limit 1"));
    q.addBindValue(notNull(account));
    q.addBindValue(notNull(numIid));
    q.addBindValue(notNull(skuId));
    q.addBindValue(notNull(kind));
    // a table that cannot be read holds everything back
    if (!q.exec())
        return true;
    return q.next();
}
