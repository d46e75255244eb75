#include "store/Parameters.h"

#include <QSqlQuery>
#include <QVariant>

std::optional<QString> ReadParam(const QSqlDatabase &db, int key)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select ParaValue from _parameter where NM=?"));
    q.addBindValue(key);
    if (q.exec() && q.next())
        return q.value(0).toString();
    return std::nullopt;
}

QString GetParam(const QSqlDatabase &db, int key)
{
    return ReadParam(db, key).value_or(QString());
}

bool ParamExists(const QSqlDatabase &db, int key)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select 1 from _parameter where NM=?"));
    q.addBindValue(key);
    return q.exec() && q.next();
}

bool SetParam(const QSqlDatabase &db, int key, const QString &value)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("Update _parameter set ParaValue=? where NM=?"));
    q.addBindValue(value);
    q.addBindValue(key);
    return q.exec();
}

bool InsertParamIfMissing(const QSqlDatabase &db, int key, const QString &value, const QString &description)
{
    if (ParamExists(db, key))
        return false;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("Insert Into _Parameter(NM,ParaValue,ParaDesc)\nSelect ?,?,?"));
    q.addBindValue(key);
    q.addBindValue(value);
    q.addBindValue(description);
    return q.exec();
}
