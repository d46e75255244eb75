#include "store/SyncCycleLog.h"

#include "store/UploadJournal.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

qint64 SyncCycleLog::begin(const QString &startedBy, const QString &account, QString *error)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("insert into TB_Sync_Cycle(started,started_by,UserId) values(?,?,?)"));
    q.addBindValue(UploadJournal::timeText(QDateTime::currentDateTime()));
    q.addBindValue(startedBy.isNull() ? QStringLiteral("") : startedBy);
    q.addBindValue(account.isNull() ? QStringLiteral("") : account);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

bool SyncCycleLog::finish(const CycleRecord &r, QString *error)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("update TB_Sync_Cycle set ended=?,downloaded=?,differing=?,uploaded=?,refused=?,held=?,"
                             "error=? where Uniqid=?"));
    q.addBindValue(UploadJournal::timeText(r.ended.isValid() ? r.ended : QDateTime::currentDateTime()));
    q.addBindValue(r.downloaded);
    q.addBindValue(r.differing);
    q.addBindValue(r.uploaded);
    q.addBindValue(r.refused);
    q.addBindValue(r.held.isNull() ? QStringLiteral("") : r.held);
    q.addBindValue(r.error.isNull() ? QStringLiteral("") : r.error);
    q.addBindValue(r.id);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

QList<CycleRecord> SyncCycleLog::read(QString *error) const
{
    QList<CycleRecord> rows;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("select Uniqid,started,ended,started_by,UserId,downloaded,differing,uploaded,refused,"
                               "held,error from TB_Sync_Cycle order by Uniqid"))) {
        if (error)
            *error = q.lastError().text();
        return rows;
    }
    while (q.next()) {
        CycleRecord r;
        r.id = q.value(0).toLongLong();
        r.started = QDateTime::fromString(q.value(1).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        r.ended = QDateTime::fromString(q.value(2).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        r.startedBy = q.value(3).toString();
        r.account = q.value(4).toString();
        r.downloaded = q.value(5).toInt();
        r.differing = q.value(6).toInt();
        r.uploaded = q.value(7).toInt();
        r.refused = q.value(8).toInt();
        r.held = q.value(9).toString();
        r.error = q.value(10).toString();
        rows.append(r);
    }
    return rows;
}

int SyncCycleLog::previousDownload(qint64 before) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select downloaded from TB_Sync_Cycle where downloaded>0 and held='' "
                             "and (?=0 or Uniqid<?) order by Uniqid desc limit 1"));
    q.addBindValue(before);
    q.addBindValue(before);
    if (!q.exec() || !q.next())
        return 0;
    return q.value(0).toInt();
}
