#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

struct ListRow;

// What the statistics window `TfrmTotalForm` counts by.
struct StatisticsOptions
{
    int matchingKey = 0;        // index of _Uniqid: 6 to 8 count by article number
    bool stockList = false;     // _OP2: the stock list instead of the source rows
    bool onlyDiffering = false; // _chkOnly
    bool byTarget = false;      // _optotal2: the target's codes lead
    QString account;            // the target account (_users)
};

// Rows per main merchant code (or article number) on the source side and in
// the target account, and the SKU rows of one code on both sides. Codes and
// keys compare without regard to ASCII case, like the columns.
class StockStatistics
{
public:
    explicit StockStatistics(const QSqlDatabase &db) : m_db(db) {}

    // "outer_id", or "oldcode" for the article-number keys.
    static QString keyColumn(int matchingKey);
    static bool byArticleNumber(int matchingKey) { return matchingKey >= 6; }
    static QString sourceCaption(bool stockList);

    // Summary rows: caption the running number, cells code, source count,
    // target count (a missing side empty), then an empty Uniqid.
    bool summary(const StatisticsOptions &o, std::vector<ListRow> &rows, QString *error = nullptr) const;
    // True when a summary row's two counts differ (drawn red).
    static bool countsDiffer(const ListRow &summaryRow);

    // The SKU rows of one code: cells code, colour, size, the three joined,
    // and on the source side a flag, "1" when the target account has no row
    // with the same joined value (drawn red), else "0"; then an empty Uniqid.
    bool details(const StatisticsOptions &o, const QString &code, std::vector<ListRow> &target,
                 std::vector<ListRow> &source, QString *error = nullptr) const;
    static bool missingInTarget(const ListRow &sourceDetailRow);

    // Item ids of the source download list whose merchant code is one of codes.
    QStringList sourceItemIds(const QStringList &codes) const;

private:
    QSqlDatabase m_db;
};

// The matching-key values that occur more than once on one side
// (`TfrmTotalForm1`): rows numbered from 1 with code, key value and count.
class DuplicateKeys
{
public:
    explicit DuplicateKeys(const QSqlDatabase &db) : m_db(db) {}

    static QString codeCaption(int matchingKey); // "主商家编码" or "货号"
    bool source(int matchingKey, std::vector<ListRow> &rows, QString *error = nullptr) const;
    bool target(int matchingKey, const QString &account, std::vector<ListRow> &rows, QString *error = nullptr) const;

private:
    bool run(const QString &sql, const QVariantList &values, std::vector<ListRow> &rows, QString *error) const;
    QSqlDatabase m_db;
};
