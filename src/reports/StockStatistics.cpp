#include "reports/StockStatistics.h"

#include "base/ListModel.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "sync/MatchingKeys.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Latin letters A to Z without case, as the columns compare
QString caseless(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return out;
}

bool exec(QSqlQuery &q, const QString &sql, const QVariantList &values, QString *error)
{
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (q.exec())
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

QString text(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

// Setting 120: codes and keys compare trimmed, full-width folded.
bool normalised(const QSqlDatabase &db)
{
    return Settings(db).flag(Setting::NormalisedKeys);
}

} // namespace

QString StockStatistics::keyColumn(int matchingKey)
{
    return byArticleNumber(matchingKey) ? QStringLiteral("oldcode") : QStringLiteral("outer_id");
}

QString StockStatistics::sourceCaption(bool stockList)
{
    return stockList ? QStringLiteral("自定义商品库存列表") : QStringLiteral("源宝贝列表(对方店铺)");
}

bool StockStatistics::summary(const StatisticsOptions &o, std::vector<ListRow> &rows, QString *error) const
{
    const QString k = QStringLiteral("coalesce(") +
                      MatchingKeys::column(keyColumn(o.matchingKey), QString(), normalised(m_db)) +
                      QStringLiteral(",'') collate nocase");
    const QString s = o.stockList ? QStringLiteral("tb_source_stock") : QStringLiteral("tb_source");
    const QString counts = QStringLiteral("with s as (select ") + k + QStringLiteral(" as code,count(*) as num from ") +
                           s + QStringLiteral(" group by 1),\n t as (select ") + k +
                           QStringLiteral(" as code,count(*) as num from tb_object where userid=? group by 1)\n");
    const QString sql =
        counts + (o.byTarget ? QStringLiteral("select b.code,a.num,b.num from t b left join s a on a.code=b.code "
                                              "collate nocase order by b.code collate nocase")
                             : QStringLiteral("select a.code,a.num,b.num from s a left join t b on a.code=b.code "
                                              "collate nocase order by a.code collate nocase"));
    QSqlQuery q(m_db);
    if (!exec(q, sql, {SqlText(o.account)}, error))
        return false;
    rows.clear();
    while (q.next()) {
        ListRow r;
        r.cells << text(q.value(0)) << text(q.value(1)) << text(q.value(2)) << QString();
        if (o.onlyDiffering && !countsDiffer(r))
            continue;
        r.caption = QString::number(rows.size() + 1);
        rows.push_back(std::move(r));
    }
    return true;
}

bool StockStatistics::countsDiffer(const ListRow &row)
{
    return row.cells.value(1) != row.cells.value(2);
}

bool StockStatistics::details(const StatisticsOptions &o, const QString &code, std::vector<ListRow> &target,
                              std::vector<ListRow> &source, QString *error) const
{
    const bool norm = normalised(m_db);
    const QString k = keyColumn(o.matchingKey);
    const QString kc = MatchingKeys::column(k, QString(), norm);
    const QString codeMark = norm ? QStringLiteral("normkey(?)") : QStringLiteral("?");
    // the three columns joined as the pairing compares them
    auto joinedOf = [norm](const QSqlQuery &q) {
        QString joined;
        for (int i = 0; i < 3; ++i)
            joined += norm ? MatchingKeys::normalise(text(q.value(i))) : text(q.value(i));
        return joined;
    };
    const QString s = o.stockList ? QStringLiteral("TB_Source_Stock") : QStringLiteral("tb_source");
    target.clear();
    source.clear();
    QSet<QString> inTarget;
    QSqlQuery q(m_db);
    if (!exec(q, QStringLiteral("select ") + k + QStringLiteral(",color,sku from tb_object\nwhere ") + kc +
                     QStringLiteral("=") + codeMark + QStringLiteral("\nand userid=? order by Uniqid"),
              {SqlText(code), SqlText(o.account)}, error))
        return false;
    while (q.next()) {
        ListRow r;
        r.caption = QString::number(target.size() + 1);
        const QString joined = text(q.value(0)) + text(q.value(1)) + text(q.value(2));
        r.cells << text(q.value(0)) << text(q.value(1)) << text(q.value(2)) << joined << QString();
        inTarget.insert(caseless(joinedOf(q)));
        target.push_back(std::move(r));
    }
    if (!exec(q, QStringLiteral("select ") + k + QStringLiteral(",color,sku from ") + s + QStringLiteral("\nwhere ") +
                     kc + QStringLiteral("=") + codeMark + QStringLiteral(" order by Uniqid"),
              {SqlText(code)}, error))
        return false;
    while (q.next()) {
        ListRow r;
        r.caption = QString::number(source.size() + 1);
        const QString joined = text(q.value(0)) + text(q.value(1)) + text(q.value(2));
        r.cells << text(q.value(0)) << text(q.value(1)) << text(q.value(2)) << joined
                << (inTarget.contains(caseless(joinedOf(q))) ? QStringLiteral("0") : QStringLiteral("1")) << QString();
        source.push_back(std::move(r));
    }
    return true;
}

bool StockStatistics::missingInTarget(const ListRow &row)
{
    return row.cells.value(4) == QStringLiteral("1");
}

QStringList StockStatistics::sourceItemIds(const QStringList &codes) const
{
    QStringList ids;
    if (codes.isEmpty())
        return ids;
    QStringList marks;
    QVariantList values;
    for (const QString &c : codes) {
        marks << QStringLiteral("?");
        values << SqlText(c);
    }
    QSqlQuery q(m_db);
    if (!exec(q,
              QStringLiteral("select num_iid from tb_url where tag=0 and outer_id in (") +
                  marks.join(QLatin1Char(',')) + QStringLiteral(") order by Uniqid"),
              values, nullptr))
        return ids;
    while (q.next())
        ids << q.value(0).toString().trimmed();
    return ids;
}

QString DuplicateKeys::codeCaption(int matchingKey)
{
    return StockStatistics::byArticleNumber(matchingKey) ? QStringLiteral("货号") : QStringLiteral("主商家编码");
}

bool DuplicateKeys::run(const QString &sql, const QVariantList &values, std::vector<ListRow> &rows,
                        QString *error) const
{
    QSqlQuery q(m_db);
    if (!exec(q, sql, values, error))
        return false;
    rows.clear();
    while (q.next()) {
        ListRow r;
        r.caption = QString::number(rows.size() + 1);
        r.cells << text(q.value(0)) << text(q.value(1)) << text(q.value(2)) << QString();
        rows.push_back(std::move(r));
    }
    return true;
}

bool DuplicateKeys::source(int matchingKey, std::vector<ListRow> &rows, QString *error) const
{
    const bool norm = normalised(m_db);
    const QString c = MatchingKeys::column(StockStatistics::keyColumn(matchingKey), QString(), norm);
    const QString e = MatchingKeys::expression(matchingKey, QString(), norm);
    if (e.isEmpty())
        return run(QStringLiteral("select 1 where 0"), {}, rows, error);
    return run(QStringLiteral("select ") + c + QLatin1Char(',') + e + QStringLiteral(",Count(*) from TB_Source Group by ") +
                   c + QLatin1Char(',') + e + QStringLiteral("\nhaving count(*)>1 order by 1,2"),
               {}, rows, error);
}

bool DuplicateKeys::target(int matchingKey, const QString &account, std::vector<ListRow> &rows, QString *error) const
{
    const bool norm = normalised(m_db);
    const QString c = MatchingKeys::column(StockStatistics::keyColumn(matchingKey), QString(), norm);
    const QString e = MatchingKeys::expression(matchingKey, QString(), norm);
    if (e.isEmpty())
        return run(QStringLiteral("select 1 where 0"), {}, rows, error);
    return run(QStringLiteral("select ") + c + QLatin1Char(',') + e + QStringLiteral(",Count(*) from TB_Object\n") +
                   QStringLiteral("where UserID=?\nGroup by ") + c + QLatin1Char(',') + e +
                   QStringLiteral("\nhaving count(*)>1 order by 1,2"),
               {SqlText(account)}, rows, error);
}
