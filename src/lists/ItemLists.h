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
    // Adds ticked entries for the item ids not yet in the list (ids are
    // trimmed; anything but digits is refused). Returns the number added, or
    // -1 with the reason in *error.
    int addItems(Tag tag, const QStringList &ids, QString *error);

private:
    QSqlDatabase m_db;
};
