#include "reports/UnmatchedKeys.h"

#include "base/ListModel.h"
#include "reports/StockStatistics.h"
#include "store/SqlValues.h"
#include "sync/DifferenceStatement.h"
#include "sync/MatchingKeys.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString text(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

bool exec(QSqlQuery &q, const QString &sql, const QVariantList &values, QString *error)
{
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    if (ok) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok && error)
        *error = q.lastError().text();
    return ok;
}

// "on a.x=b.x and ..." without its "on ".
QString condition(const QString &join)
{
    return join.mid(3);
}

} // namespace

QStringList UnmatchedKeys::headers(int matchingKey)
{
    return {QStringLiteral("方"),   QStringLiteral("淘宝会员号"), QStringLiteral("关联值"),
            QStringLiteral("个数"), DuplicateKeys::codeCaption(matchingKey), QStringLiteral("宝贝名称")};
}

bool UnmatchedKeys::run(const UnmatchedOptions &o, std::vector<ListRow> &rows, QString *error) const
{
    rows.clear();
    const int key = MatchingKeys::isValid(o.matchingKey) ? o.matchingKey : 0;
    const QString base = o.stockList ? QStringLiteral("TB_Source_Stock") : QStringLiteral("TB_Source");
    const QString code = StockStatistics::keyColumn(key);
    const QString baseTitle = o.stockList ? QStringLiteral("''") : QStringLiteral("min(b.title)");
    QStringList accounts;
    for (const QString &a : o.accounts.split(QLatin1Char(',')))
        accounts << a;
    QStringList marks;
    QVariantList accountValues;
    for (const QString &a : accounts) {
        marks << QStringLiteral("?");
        accountValues << SqlText(a);
    }
    const QString in = QStringLiteral("(") + marks.join(QLatin1Char(',')) + QStringLiteral(")");

    QString targetPairs;
    QString sourcePairs;
    if (o.normalisedKeys) {
        // normkey() on both sides finds no index: each side is looked up in
        // a normalised copy of the other
        QList<SqlStatement> prepare = NormalisedKeyTable(QStringLiteral("Unm_Base_Keys"), base, key);
        prepare += NormalisedKeyTable(QStringLiteral("Unm_Object_Keys"), QStringLiteral("TB_Object"), key, accounts);
        for (const SqlStatement &s : prepare) {
            QSqlQuery q(m_db);
            if (!exec(q, s.sql, s.values, error))
                return false;
        }
        targetPairs = QStringLiteral("select 1 from temp.Unm_Base_Keys n where ") +
                      condition(NormalisedJoinCondition(key));
        QString j = condition(JoinCondition(key));
        static const QRegularExpression pair(QStringLiteral("a\\.(\\w+)=b\\.(\\w+)"));
        static const QRegularExpression guard(QStringLiteral("a\\.(\\w+)<>''"));
        j.replace(pair, QStringLiteral("m.\\1=normkey(b.\\2)"));
        j.replace(guard, QStringLiteral("m.\\1<>''"));
        sourcePairs = QStringLiteral("select 1 from temp.Unm_Object_Keys m where ") + j;
    } else {
        targetPairs = QStringLiteral("select 1 from ") + base + QStringLiteral(" b where ") +
                      condition(JoinCondition(key));
        sourcePairs = QStringLiteral("select 1 from TB_Object a where a.UserID in ") + in + QStringLiteral(" and ") +
                      condition(JoinCondition(key));
    }
    const QString ka = MatchingKeys::expression(key, QStringLiteral("a."), o.normalisedKeys);
    const QString kb = MatchingKeys::expression(key, QStringLiteral("b."), o.normalisedKeys);

    QSqlQuery q(m_db);
    if (!exec(q,
              QStringLiteral("select a.UserID,") + ka + QStringLiteral(",count(*),min(a.") + code +
                  QStringLiteral("),min(a.title) from TB_Object a\nwhere a.UserID in ") + in +
                  QStringLiteral("\nand not exists (") + targetPairs + QStringLiteral(")\ngroup by a.UserID,") + ka +
                  QStringLiteral("\norder by 1,2"),
              accountValues, error))
        return false;
    while (q.next()) {
        ListRow r;
        r.caption = targetSide();
        r.cells << text(q.value(0)) << text(q.value(1)) << text(q.value(2)) << text(q.value(3)) << text(q.value(4))
                << QString();
        rows.push_back(std::move(r));
    }
    if (!exec(q,
              QStringLiteral("select ") + kb + QStringLiteral(",count(*),min(b.") + code + QStringLiteral("),") +
                  baseTitle + QStringLiteral(" from ") + base + QStringLiteral(" b\nwhere not exists (") +
                  sourcePairs + QStringLiteral(")\ngroup by ") + kb + QStringLiteral("\norder by 1"),
              o.normalisedKeys ? QVariantList() : accountValues, error))
        return false;
    while (q.next()) {
        ListRow r;
        r.caption = sourceSide();
        r.cells << QString() << text(q.value(0)) << text(q.value(1)) << text(q.value(2)) << text(q.value(3))
                << QString();
        rows.push_back(std::move(r));
    }
    return true;
}

int UnmatchedKeys::rowsOnSide(const std::vector<ListRow> &rows, const QString &side)
{
    int n = 0;
    for (const ListRow &r : rows)
        if (r.caption == side)
            n += r.cells.value(2).toInt();
    return n;
}
