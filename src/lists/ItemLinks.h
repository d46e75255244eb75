#pragma once

#include "top/Endpoints.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

class Settings;

// Item page addresses for the download-source lists: checking pasted lines
// and inserting the items they name into a group of TB_URL.
//
// A line is an item link when, compared without regard to case, it begins
// with the Taobao or the Tmall item-page prefix (host + "/item.htm?id=", in
// its http or its https form) and the rest is an item id. The stored address
// is the line as pasted, trimmed.
class ItemLinks
{
public:
    struct Prefixes
    {
        QString taobao; // PT: the Taobao item page + "?id="
        QString tmall;  // PM: the Tmall item page + "?id="
    };
    static Prefixes prefixesOf(const TopEndpoints &hosts);

    ItemLinks(const QSqlDatabase &db, const Prefixes &prefixes) : m_db(db), m_prefixes(prefixes) {}

    const Prefixes &prefixes() const { return m_prefixes; }

    // The item id a trimmed line names (without leading zeros), or an empty
    // text when the line is not an item link.
    QString idOf(const QString &line) const;
    // "第 N 行:L\r\n\r\n" for every non-empty line that is not an item link (N from 1).
    QString invalidLines(const QStringList &lines) const;

    // The message for an empty paste, and the one that lists the bad lines.
    QString emptyText() const;
    QString invalidText(const QString &invalidLines) const;

    // Uniqid of the list's group of that name: the name as stored, blanks and
    // all, or else the one group whose trimmed name it is (as the group box
    // shows names); -1 when there is none, or several that only the blanks
    // would tell apart.
    int groupId(int tag, const QString &groupName) const;
    // True while the group with that Uniqid is one of the list's groups.
    bool hasGroup(int tag, int group) const;

    // Inserts, in one transaction, every non-empty line that is an item link
    // and whose id the list (any group) does not hold yet; lines that are not
    // links are passed over. progress(lineNumber, lineCount) is called before
    // each line. Returns the number inserted, or -1 with the reason in *error
    // (nothing stored).
    int insert(int tag, int group, const QStringList &lines, QString *error,
               const std::function<void(int, int)> &progress = {}) const;

private:
    mutable QSqlDatabase m_db;
    Prefixes m_prefixes;
};

// The shop search fields a dialog remembers per list: NM 10, 11, 12 for the
// source list, NM 20, 21, 22 for the target list.
struct ShopSearchFields
{
    QString address;
    QString keyword;
    int type = 0;

    // Creates the missing rows of both lists, then reads the list's (trimmed).
    static ShopSearchFields load(const Settings &settings, int tag);
    bool save(const Settings &settings, int tag) const;
};

class Interaction;

// "添加至下载源" over pasted text, one address per line: an empty paste and
// bad lines (each named with its line number) are shown as warnings and
// nothing is stored; otherwise, after the question (when ask is set), every
// item not yet in the list is inserted into the group. True when the lines
// were stored (the dialog then closes with OK). A group of -1 (gone) is
// refused with a message.
bool AddPastedLinks(Interaction &ui, const ItemLinks &links, int tag, int group, const QString &text, bool ask,
                    const std::function<void(int, int)> &progress = {}, int *added = nullptr);
