#include "store/Maintenance.h"

#include "store/Schema.h"

#include <QSqlError>
#include <QSqlQuery>

int DatabaseMaintenance::optimise(QString *error)
{
    int created = 0;
    for (const QString &table : {QStringLiteral("Source"), QStringLiteral("Object")}) {
        for (int i = 1; i <= 5; ++i) {
            const QString name = QStringLiteral("IX_%1_0%2").arg(table).arg(i);
            if (IndexExists(m_db, name))
                continue;
            QSqlQuery q(m_db);
            if (!q.exec(IndexStatement(name))) {
                if (error)
                    *error = q.lastError().text();
                return -1;
            }
            ++created;
        }
    }
    return created;
}

QString DatabaseMaintenance::providerNote(const QString &productName)
{
    return QStringLiteral("本程序的数据库引擎 (SQLite) 已内置于") + productName +
           QStringLiteral(", 无需另外安装数据库驱动.");
}
