#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The download-source lists in TB_URL: Tag 0 lists the source shops' items,
// Tag 1 the target shop's; each entry belongs to a group of TB_Groups.
class ItemLists
{
public:
    enum Tag { SourceList = 0, TargetList = 1 };

    explicit ItemLists(const QSqlDatabase &db) : m_db(db) {}

    // Uniqid of the list's default group "默认组", created when missing; -1 on a database error.
    int defaultGroup(Tag tag);
    // Adds ticked entries for the item ids not yet in the list. Every id must
    // be an item id (see NormalItemId); one that is not refuses the whole call
    // and nothing is stored. Returns the number added, or -1 with the reason
    // in *error.
    int addItems(Tag tag, const QStringList &ids, QString *error);

    // An item id as the platform holds it: a positive whole number of at
    // most 19 digits that fits a signed 64-bit integer, trimmed and written
    // without leading zeros; empty for anything else.
    static QString NormalItemId(const QString &text);

private:
    QSqlDatabase m_db;
};
