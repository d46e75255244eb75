#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Desktop;
class Interaction;
class ListModel;

// The target item browser's rows: every TB_Object row of the current
// account(s), in merchant-code order, with a keyword search and a row limit,
// read into a ListModel in one batch, and the copy and item-page commands.
// The browser writes nothing.
class TargetBrowser : public QObject
{
    Q_OBJECT
public:
    // Cells of a row (the caption is the account).
    enum Cell {
        Title = 0,
        OuterId,
        Color,
        Sku,
        Num,
        Price,
        OuterIdSku,
        NumIid,
        SkuId,
        Status,
        SkuProperties,
        Oldcode,
        Uniqid,
    };
    // The entries of the field box `_fields`; the default is "货号".
    static QStringList fieldCaptions();
    static constexpr int kDefaultField = 6;
    static constexpr int kRowLimit = 200;

    struct Search
    {
        QString keyword;       // as typed: a LIKE pattern
        bool fieldOnly = false; // "仅搜索": the keyword is the whole pattern of one field
        int field = kDefaultField;
        bool first200 = true;   // "只显示前200行"
    };

    TargetBrowser(const QSqlDatabase &db, ListModel &model, Desktop &desktop, QObject *parent = nullptr);

    // The item page address of an item id.
    void setItemPageAddress(std::function<QString(const QString &)> address) { m_itemPage = std::move(address); }

    // Loads the rows of the accounts (one name, or several separated by ","). False with the reason in
    // error() when the statement fails; the list is then empty.
    bool load(const QString &accounts, const Search &search);
    const QString &error() const { return m_error; }
    // " 当前显示共 n 项"
    QString totals() const;

    // The copy commands: a cell of each selected row, or its item page.
    void copyCell(std::vector<int> selected, int cell);
    void copyItemPages(std::vector<int> selected);
    // "打开所选项网页地址": the first selected row's item page.
    void openItemPage(std::vector<int> selected);

    static QStringList headers();

private:
    QSqlDatabase m_db;
    ListModel &m_model;
    Desktop &m_desktop;
    QString m_error;
    std::function<QString(const QString &)> m_itemPage;
};
