#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

struct ListRow;

// What pairs with nothing under a matching key: the target rows of the
// accounts that no source row pairs with, and the source rows that no
// target row of the accounts pairs with, grouped by key value with their
// counts. Rows pair exactly as in the difference query (the key mode's join,
// its empty-value guard, and setting 120's normalised keys).
struct UnmatchedOptions
{
    int matchingKey = 0;
    QString accounts;          // one account, or several separated by ","
    bool stockList = false;    // the stock list instead of the source rows
    bool normalisedKeys = false;
};

class UnmatchedKeys
{
public:
    explicit UnmatchedKeys(const QSqlDatabase &db) : m_db(db) {}

    // Column captions: the side first ("目标" or "源"), then account, key
    // value, count, the code column and an example title.
    static QStringList headers(int matchingKey);
    static QString targetSide() { return QStringLiteral("目标"); }
    static QString sourceSide() { return QStringLiteral("源"); }

    // Rows: caption the side; cells account (empty on the source side), key
    // value, count, code, title, then an empty Uniqid. Target rows first.
    bool run(const UnmatchedOptions &o, std::vector<ListRow> &rows, QString *error = nullptr) const;
    // The number of rows (not keys) on each side, from the last run's rows.
    static int rowsOnSide(const std::vector<ListRow> &rows, const QString &side);

private:
    QSqlDatabase m_db;
};
