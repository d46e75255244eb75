#include "store/DeleteRows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

bool DeleteByUniqid(const QSqlDatabase &db, const QString &table, const QVariantList &uniqids, QString *error)
{
    QStringList marks;
    for (qsizetype i = 0; i < uniqids.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("Delete From ") + table + QStringLiteral(" where Uniqid in (") +
              marks.join(QLatin1Char(',')) + QLatin1Char(')'));
    for (const QVariant &id : uniqids)
        q.addBindValue(id);
    if (q.exec())
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}
