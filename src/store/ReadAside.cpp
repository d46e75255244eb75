#include "store/ReadAside.h"

#include "store/SqlFunctions.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThreadPool>
#include <atomic>
#include <memory>

namespace {

AsideCount count(const QSqlDatabase &db, const QString &sql, const QVariantList &values, int limit)
{
    AsideCount out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        out.error = q.lastError().text();
        return out;
    }
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        out.error = q.lastError().text();
        return out;
    }
    while (out.rows <= limit && q.next())
        ++out.rows;
    if (q.lastError().isValid())
        out.error = q.lastError().text();
    return out;
}

} // namespace

std::shared_future<AsideCount> CountRowsAside(const QSqlDatabase &db, const QString &sql,
                                              const QVariantList &values, int limit)
{
    auto promise = std::make_shared<std::promise<AsideCount>>();
    std::shared_future<AsideCount> result = promise->get_future().share();
    const QString path = db.databaseName();
    if (path.isEmpty() || path == QLatin1String(":memory:") || path.startsWith(QLatin1String("file::memory:"))) {
        promise->set_value(count(db, sql, values, limit));
        return result;
    }
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("aside-%1").arg(++serial);
    const QString options = db.connectOptions();
    const QString driver = db.driverName();
    QThreadPool::globalInstance()->start([promise, name, path, options, driver, sql, values, limit] {
        AsideCount out;
        {
            QSqlDatabase aside = QSqlDatabase::addDatabase(driver, name);
            aside.setDatabaseName(path);
            aside.setConnectOptions(options);
            if (!aside.open()) {
                out.error = aside.lastError().text();
            } else {
                RegisterSqlFunctions(aside);
                out = count(aside, sql, values, limit);
                aside.close();
            }
        }
        QSqlDatabase::removeDatabase(name);
        promise->set_value(out);
    });
    return result;
}
