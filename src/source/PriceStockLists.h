#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Desktop;
class Interaction;
class JobHost;
class ListModel;
struct ListRow;

// The price list (TB_Source_Price: a price per main merchant code) and the
// stock list (TB_Source_Stock: a quantity per SKU) that stand in for a source
// shop: listing and search, CSV import, cell edits, delete, clear, merge and
// copy. The window's handlers forward here; the command line uses the parts
// that ask nothing.
class PriceStockLists : public QObject
{
    Q_OBJECT
public:
    enum Kind { Price, Stock };

    // What an import did. On failure nothing was changed: the whole file is
    // decoded and every value checked before anything is stored.
    struct ImportResult
    {
        bool ok = false;
        int lines = 0;     // lines of the file, blank ones included
        int imported = 0;  // lines stored
        int failedLine = 0; // 1-based number of the line that stopped it, 0 when none did
        QString failedText;
        QString error;
    };

    PriceStockLists(const QSqlDatabase &db, JobHost &jobs, Interaction &ui, Desktop &desktop,
                    QObject *parent = nullptr);

    ListModel &model(Kind kind) const;
    // Column captions of a list: "序号" and the shown cells.
    static QStringList headers(Kind kind);
    // Number of cells a line of the file holds (2 or 6).
    static int fieldCount(Kind kind);

    // "仅显示目标列表没有的商品" of the price tab, and the account it compares with.
    void setOnlyMissingFromTarget(bool on) { m_onlyMissing = on; }
    void setAccount(std::function<QString()> account) { m_account = std::move(account); }

    // The rows of a list as the listing shows them (caption, cells, Uniqid last);
    // false with the database's text when the select fails.
    bool read(Kind kind, const QString &keyword, std::vector<ListRow> &rows, QString *error = nullptr) const;
    // GetData_TB_Source_Price / GetData_TB_Source_Stock: refills the list;
    // does nothing while a progress panel is shown. The price keyword is
    // trimmed by the caller; the stock keyword is used as it is.
    bool list(Kind kind, const QString &keyword);
    QString totalsText(Kind kind) const;

    // Imports a file in one transaction: replace (or append to) the table with
    // every line, or change nothing when a line or statement fails.
    ImportResult importFile(Kind kind, const QString &path, bool append);
    // The same over the file's bytes (ParsePriceStockFile reads them).
    ImportResult importBytes(Kind kind, const QByteArray &bytes, bool append);
    // The message the import ends with, success or failure.
    static QString importMessage(Kind kind, const ImportResult &result);
    // The window's import: file dialog, question, import, message, relist.
    void importClick(Kind kind, bool append);

    // Edits cell `cell` of model row `row` (-1: nothing selected) through a prompt.
    void editCell(Kind kind, int row, int cell);
    static QString editLabel(Kind kind, int cell);
    // Deletes the selected rows (model rows, any order) after asking.
    void deleteRows(Kind kind, std::vector<int> selected);
    // Empties the table after asking, then lists it with the keyword.
    void clearClick(Kind kind, const QString &keyword);
    // Merges duplicate stock rows after asking, then lists with the keyword.
    void mergeClick(const QString &keyword);
    // The merge itself, in one transaction; rows before and after.
    bool mergeStock(int *before, int *after, QString *error);
    // CopyText_Source_Price / CopyText_Source_Stock: column -1 is the caption.
    void copy(Kind kind, std::vector<int> selected, int column);

Q_SIGNALS:
    void totalsChanged(int kind, const QString &text);

private:
    void setTotals(Kind kind);
    bool execBound(const QString &sql, const QVariantList &values, QString *error);

    QSqlDatabase m_db;
    JobHost &m_jobs;
    Interaction &m_ui;
    Desktop &m_desktop;
    ListModel *m_models[2] = {};
    bool m_onlyMissing = false;
    std::function<QString()> m_account;
};
