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

QList<JournalEntry> UploadJournal::read(const QDateTime &since, QString *error) const
{
    QList<JournalEntry> rows;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("select at,UserId,num_iid,sku_id,kind,mode,before_value,after_value,started_by,title,"
                             "Uniqid,state,message,cycle_id from TB_Upload_Journal where at>=? order by at,Uniqid"));
    q.addBindValue(since.isValid() ? timeText(since) : QStringLiteral(""));
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return rows;
    }
    while (q.next()) {
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
        rows.append(e);
    }
    return rows;
}
