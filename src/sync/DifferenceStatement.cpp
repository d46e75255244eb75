#include "sync/DifferenceStatement.h"

#include "store/SqlValues.h"
#include "sync/MatchingKeys.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

const char *const kJoins[MatchingKeys::Count] = {
    "on a.outer_id=b.outer_id and a.color=b.color and a.sku=b.sku and a.outer_id<>''",
    "on a.outer_id_sku=b.outer_id_sku and a.outer_id_sku<>''",
    "on a.outer_id=b.outer_id and a.color=b.color and a.sku=b.sku and a.outer_id_sku=b.outer_id_sku",
    "on a.outer_id=b.outer_id and a.outer_id_sku=b.outer_id_sku",
    "on a.outer_id=b.outer_id and a.outer_id_sku=b.outer_id_sku and a.color=b.color",
    "on a.outer_id=b.outer_id and a.sku=b.sku and a.outer_id<>''",
    "on a.oldcode=b.oldcode and a.color=b.color and a.sku=b.sku and a.oldcode<>''",
    "on a.oldcode=b.oldcode and a.color=b.color and a.oldcode<>''",
    "on a.oldcode=b.oldcode and a.sku=b.sku and a.oldcode<>''",
};

const char *const kExactColumns[] = {"title", "outer_id", "color", "sku", "sku_id", "num_iid", "oldcode"};

// "(?,?,...)" with one mark per account, the accounts appended to values.
QString accountList(const DifferenceOptions &options, QVariantList &values)
{
    QStringList marks;
    for (const QString &a : options.accounts()) {
        marks << QStringLiteral("?");
        values << SqlText(a);
    }
    return QStringLiteral("(") + marks.join(QLatin1Char(',')) + QStringLiteral(")");
}

QString key(const DifferenceOptions &options, const QString &prefix = QString())
{
    return MatchingKeys::expression(MatchingKeys::isValid(options.shownKey) ? options.shownKey : 0, prefix,
                                    options.normalisedKeys);
}

QString baseTable(ComparisonBase base)
{
    switch (base) {
    case ComparisonBase::PriceList:
        return QStringLiteral("TB_Source_Price");
    case ComparisonBase::StockList:
        return QStringLiteral("TB_Source_Stock");
    case ComparisonBase::Source:
        break;
    }
    return QStringLiteral("TB_Source");
}

bool uniquenessApplies(const DifferenceOptions &options)
{
    return options.uniqueOnly && options.base() != ComparisonBase::PriceList;
}

} // namespace

QString JoinCondition(int key)
{
    return QString::fromLatin1(kJoins[MatchingKeys::isValid(key) ? key : 0]);
}

QString NormalisedJoinCondition(int key)
{
    QString j = JoinCondition(key);
    static const QRegularExpression pair(QStringLiteral("a\\.(\\w+)=b\\.(\\w+)"));
    static const QRegularExpression guard(QStringLiteral("a\\.(\\w+)<>''"));
    j.replace(pair, QStringLiteral("normkey(a.\\1)=n.\\2"));
    j.replace(guard, QStringLiteral("normkey(a.\\1)<>''"));
    return j;
}

QList<SqlStatement> NormalisedKeyTable(const QString &name, const QString &table, int key,
                                       const QStringList &accounts)
{
    const bool priceList = table.compare(QStringLiteral("TB_Source_Price"), Qt::CaseInsensitive) == 0;
    const bool target = table.compare(QStringLiteral("TB_Object"), Qt::CaseInsensitive) == 0;
    auto col = [priceList](const char *c) {
        // the price list has the main merchant code only
        return priceList && qstrcmp(c, "outer_id") != 0 ? QStringLiteral("''")
                                                        : QStringLiteral("normkey(") + QLatin1String(c) +
                                                              QLatin1Char(')');
    };
    QStringList indexColumns = priceList ? QStringList{QStringLiteral("outer_id")}
                                         : MatchingKeys::columns(MatchingKeys::isValid(key) ? key : 0);
    QList<SqlStatement> out{
        {QStringLiteral("create temp table if not exists ") + name +
             QStringLiteral("(rid integer not null, UserID text collate nocase, outer_id text collate nocase,"
                            " color text collate nocase, sku text collate nocase,"
                            " outer_id_sku text collate nocase, oldcode text collate nocase)"),
         {}},
        {QStringLiteral("drop index if exists temp.") + name + QStringLiteral("_k"), {}},
        {QStringLiteral("delete from temp.") + name, {}},
    };
    SqlStatement fill;
    fill.sql = QStringLiteral("insert into temp.") + name +
               QStringLiteral("(rid,UserID,outer_id,color,sku,outer_id_sku,oldcode) select rowid,") +
               (target ? QStringLiteral("UserID,") : QStringLiteral("'',")) + col("outer_id") + QLatin1Char(',') +
               col("color") + QLatin1Char(',') + col("sku") + QLatin1Char(',') + col("outer_id_sku") +
               QLatin1Char(',') + col("oldcode") + QStringLiteral(" from ") + table;
    if (target) {
        QStringList marks;
        for (const QString &a : accounts) {
            marks << QStringLiteral("?");
            fill.values << SqlText(a);
        }
        fill.sql += QStringLiteral(" where UserID in (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    out << fill;
    out << SqlStatement{QStringLiteral("create index temp.") + name + QStringLiteral("_k on ") + name +
                            QLatin1Char('(') + indexColumns.join(QLatin1Char(',')) + QLatin1Char(')'),
                        {}};
    return out;
}

QList<SqlStatement> NormalisedBaseStatements(const DifferenceOptions &options)
{
    if (!options.normalisedKeys)
        return {};
    return NormalisedKeyTable(QStringLiteral("Diff_Base_Keys"), baseTable(options.base()), options.confirmedKey);
}

SqlStatement DuplicateKeyCheck(const DifferenceOptions &options)
{
    SqlStatement s;
    if (options.base() == ComparisonBase::PriceList || options.ignoreKeyCheck || options.uniqueOnly)
        return s;
    const QString k = key(options);
    // a key shared by two shops is no duplicate: each account pairs on its own
    QString groups = QStringLiteral("UserID,");
    if (!options.noMainCode)
        groups += MatchingKeys::column(QStringLiteral("outer_id"), QString(), options.normalisedKeys) + QLatin1Char(',');
    groups += k;
    s.sql = QStringLiteral("select ") + groups + QStringLiteral(",Count(*) from TB_Object\n") +
            QStringLiteral("where UserID in ") + accountList(options, s.values) + QStringLiteral("\n") +
            QStringLiteral("Group by ") + groups + QStringLiteral("\n") + QStringLiteral("having count(*)>1");
    return s;
}

QList<SqlStatement> UniquenessStatements(const DifferenceOptions &options)
{
    if (!uniquenessApplies(options))
        return {};
    const QString k = key(options);
    const QString source = options.base() == ComparisonBase::StockList ? QStringLiteral("TB_Source_Stock")
                                                                       : QStringLiteral("TB_Source");
    // per-connection sets: the keys are whole, whatever their length
    QList<SqlStatement> out{
        {QStringLiteral("create temp table if not exists Diff_Source_Keys"
                        "(PKValue text collate nocase not null primary key)"),
         {}},
        {QStringLiteral("create temp table if not exists Diff_Object_Keys"
                        "(UserID text collate nocase not null, PKValue text collate nocase not null,"
                        " primary key(UserID,PKValue))"),
         {}},
        {QStringLiteral("delete from temp.Diff_Source_Keys"), {}},
        {QStringLiteral("insert into temp.Diff_Source_Keys(PKValue) select ") + k + QStringLiteral(" from ") +
             source + QStringLiteral(" where ") + k + QStringLiteral(" is not null Group by ") + k +
             QStringLiteral(" having count(*)=1"),
         {}},
        {QStringLiteral("delete from temp.Diff_Object_Keys"), {}},
    };
    SqlStatement objects;
    objects.sql = QStringLiteral("insert into temp.Diff_Object_Keys(UserID,PKValue) select UserID,") + k +
                  QStringLiteral(" from TB_Object where UserID in ") + accountList(options, objects.values) +
                  QStringLiteral(" and ") + k + QStringLiteral(" is not null Group by UserID,") + k +
                  QStringLiteral(" having count(*)=1");
    out << objects;
    return out;
}

SqlStatement DifferenceSelect(const DifferenceOptions &options, const QString &keyword)
{
    const ComparisonBase base = options.base();
    const bool full = options.uploadMode == UploadMode::Full;
    SqlStatement s;
    QStringList lines;
    const QString columns =
        QStringLiteral("select a.UserID,a.title,a.outer_id,a.color,a.sku,a.num,a.price,a.outer_id_sku,a.num_iid,"
                       "a.sku_id,a.approve_status,a.sku_properties,a.oldcode,a.Uniqid,a.is_fenxiao,a.bCheck,");
    const QString join = JoinCondition(options.confirmedKey);
    QString values;
    switch (base) {
    case ComparisonBase::PriceList:
        values = QStringLiteral("COALESCE(b.price,0),COALESCE(a.num,0) from TB_Object a");
        break;
    case ComparisonBase::StockList:
        values = QStringLiteral("COALESCE(a.price,0),COALESCE(b.num,0) from TB_Object a");
        break;
    case ComparisonBase::Source:
        values = QStringLiteral("COALESCE(b.price,0),COALESCE(b.num,0) from TB_Object a");
        break;
    }
    if (options.normalisedKeys) {
        // the pairs come from the normalised key table, one per base row as in the plain join
        lines << columns + values << QStringLiteral("inner join temp.Diff_Base_Keys n")
              << (base == ComparisonBase::PriceList ? QStringLiteral("on normkey(a.outer_id)=n.outer_id")
                                                    : NormalisedJoinCondition(options.confirmedKey))
              << QStringLiteral("inner join ") + baseTable(base) + QStringLiteral(" b on b.rowid=n.rid");
    } else {
        lines << columns + values << QStringLiteral("inner join ") + baseTable(base) + QStringLiteral(" b")
              << (base == ComparisonBase::PriceList ? QStringLiteral("on a.outer_id=b.outer_id") : join);
    }
    lines << QStringLiteral("where 1=1");
    if (uniquenessApplies(options)) {
        const QString b = key(options, QStringLiteral("b."));
        lines << QStringLiteral("and exists (select 1 from temp.Diff_Object_Keys u where u.UserID=a.UserID and "
                                "u.PKValue=") +
                     b + QStringLiteral(") and exists (select 1 from temp.Diff_Source_Keys u where u.PKValue=") + b +
                     QStringLiteral(")");
    }
    lines << QStringLiteral("and a.UserID in ") + accountList(options, s.values);
    if (base == ComparisonBase::PriceList && options.onlyPriceDifferences)
        lines << QStringLiteral("and a.price is not COALESCE(b.price,0)");

    if (options.exactSearch) {
        const int f = std::clamp(options.searchField, 0, 6);
        lines << QStringLiteral(" and (a.") + QLatin1String(kExactColumns[f]) + QStringLiteral(" like ?)");
        s.values << SqlText(keyword);
    } else if (!keyword.isEmpty()) {
        lines << QStringLiteral(" and ((a.title like ?) or (a.outer_id like ?) or (a.color like ?) or (a.sku like ?)"
                                " or (a.num_iid like ?) or (a.sku_id like ?))");
        const QString pattern = QStringLiteral("%") + keyword + QStringLiteral("%");
        for (int i = 0; i < 6; ++i)
            s.values << pattern;
    }

    // With a formula the quantities and prices are compared row by row, as
    // the ticks compare them; without one the select already keeps exactly
    // the rows the row pass keeps.
    if (full) {
        const bool quantityFormula = options.quantityFormulaApplies();
        const bool priceFormula = options.priceFormulaApplies();
        if (options.view == ViewFilter::Differ && !quantityFormula)
            lines << QStringLiteral("and a.num is not COALESCE(b.num,0)");
        else if (options.view == ViewFilter::Same && !quantityFormula)
            lines << QStringLiteral("and a.num is COALESCE(b.num,0)");
        else if (options.view == ViewFilter::PriceUp && !priceFormula)
            lines << QStringLiteral("and a.price<COALESCE(b.price,0)");
        else if (options.view == ViewFilter::PriceDown && !priceFormula)
            lines << QStringLiteral("and a.price>COALESCE(b.price,0)");
    } else if (options.view == ViewFilter::Differ) {
        lines << QStringLiteral("and a.bcheck=1");
    } else if (options.view == ViewFilter::Same) {
        lines << QStringLiteral("and a.bcheck=0");
    }
    // the status the source list last saw of each source item
    if (options.view == ViewFilter::SourceOff)
        lines << QStringLiteral("and a.outer_id in (select outer_id from TB_URL where Tag=0 and "
                                "approve_status='instock')");
    else if (options.view == ViewFilter::SourceOn)
        lines << QStringLiteral("and a.approve_status='instock' and a.outer_id in (select outer_id from TB_URL "
                                "where Tag=0 and approve_status='onsale')");
    s.sql = lines.join(QLatin1Char('\n'));
    return s;
}

SqlStatement DifferenceCount(const SqlStatement &select)
{
    return {QStringLiteral("select count(*) from (\n") + select.sql + QStringLiteral("\n)"), select.values};
}
