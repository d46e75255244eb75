#pragma once

#include "sync/DifferenceOptions.h"

#include <QList>
#include <QString>
#include <QVariantList>

// One statement of the difference query: program text with the user's
// values (accounts, keyword) bound in order.
struct SqlStatement
{
    QString sql;
    QVariantList values;
};

// The join condition of a key mode ("on a.outer_id=b.outer_id and ...").
// The key columns are COLLATE NOCASE, so each "=" compares without regard
// to the case of ASCII letters.
QString JoinCondition(int key);
// The same condition over normalised keys (setting 120): the target row `a`
// against a row `n` of a normalised key table (NormalisedKeyTable), whose
// columns already hold normkey() of the base row's.
QString NormalisedJoinCondition(int key);
// A temp table `name` (rid, outer_id, color, sku, outer_id_sku, oldcode,
// UserID) with normkey() of the key columns of table's rows (only the rows
// of the accounts for TB_Object), indexed on the key's columns: joins on it
// find their pairs by the index, where normkey() on both sides could not.
QList<SqlStatement> NormalisedKeyTable(const QString &name, const QString &table, int key,
                                       const QStringList &accounts = {});

// The columns of the select, in order.
enum DifferenceColumn {
    ColUserID,
    ColTitle,
    ColOuterId,
    ColColor,
    ColSku,
    ColNum,
    ColPrice,
    ColOuterIdSku,
    ColNumIid,
    ColSkuId,
    ColStatus,
    ColSkuProperties,
    ColOldcode,
    ColUniqid,
    ColFenxiao,
    ColBCheck,
    ColSourcePrice,
    ColSourceQuantity,
    DifferenceColumnCount
};

// The duplicate-key check: the key values that occur more than once among
// the accounts' target rows. Empty sql when the options skip the check.
SqlStatement DuplicateKeyCheck(const DifferenceOptions &options);
// More key values than this refuse the query.
constexpr int ToleratedDuplicateKeys = 10;

// The scratch sets of the uniqueness option: the key values that occur once
// per account among the target rows and once on the comparison base. The
// sets hold whole keys of any length. Empty when the option adds nothing.
QList<SqlStatement> UniquenessStatements(const DifferenceOptions &options);

// With normalised keys: the normalised key table of the comparison base
// (temp.Diff_Base_Keys) the select joins through. Empty otherwise.
QList<SqlStatement> NormalisedBaseStatements(const DifferenceOptions &options);

// The select that pairs the target rows with the comparison base.
SqlStatement DifferenceSelect(const DifferenceOptions &options, const QString &keyword);
// The number of rows the select gives.
SqlStatement DifferenceCount(const SqlStatement &select);
