#include "store/Maintenance.h"

#include "app/Interaction.h"
#include "store/Schema.h"

#include <QSqlError>
#include <QSqlQuery>

int DatabaseMaintenance::optimise()
{
    if (!m_ui.ask(QStringLiteral("是否对本机数据库进行优化?")))
        return -1;
    int created = 0;
    for (const QString &table : {QStringLiteral("Source"), QStringLiteral("Object")}) {
        for (int i = 1; i <= 5; ++i) {
            const QString name = QStringLiteral("IX_%1_0%2").arg(table).arg(i);
            if (IndexExists(m_db, name))
                continue;
            QSqlQuery q(m_db);
            if (!q.exec(IndexStatement(name))) {
                m_ui.message(Interaction::errorCaption(), q.lastError().text(), Interaction::Icon::Error);
                return created;
            }
            ++created;
        }
    }
    m_ui.info(QStringLiteral("完成对本机数据库优化"));
    return created;
}

void DatabaseMaintenance::registerProvider(const QString &productName)
{
    m_ui.info(QStringLiteral("本程序的数据库引擎 (SQLite) 已内置于") + productName +
              QStringLiteral(", 无需另外安装数据库驱动."));
}
