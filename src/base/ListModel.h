#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One row of a list: the caption (column 0), the cells (columns 1..n; the
// last cell of every row is its Uniqid and is not shown), the tick and the
// image index.
struct ListRow
{
    QString caption;
    QStringList cells;
    bool checked = false;
    int imageIndex = -1;

    QString uniqid() const { return cells.isEmpty() ? QString() : cells.last(); }
};

// The model behind every list of the program. Ticks live here
// (Qt::CheckStateRole on column 0). Colours are given as 0xRRGGBB numbers in
// the roles below; the widget side turns them into brushes.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        BackgroundRgbRole = Qt::UserRole + 1, // uint 0xRRGGBB, or invalid
        ForegroundRgbRole,                    // uint 0xRRGGBB, or invalid
        ImageIndexRole,                       // int, -1 for none
        UniqidRole,                           // text of the row's last cell
    };
    // Text colour of a row, or nullopt for the view's default.
    using TextColorRule = std::function<std::optional<uint>(const ListRow &)>;

    explicit ListModel(QObject *parent = nullptr);

    // Column captions: the caption column first, then one per shown cell.
    // The hidden Uniqid cell follows them and gets no caption.
    void setHeaders(const QStringList &captions);
    const QStringList &headers() const { return m_headers; }

    void setBanding(bool on);
    bool banding() const { return m_banding; }
    void setTextColorRule(TextColorRule rule);

    // Replaces every row at once (one reset, no per-row signals).
    void setRows(std::vector<ListRow> rows);
    // Appends rows in one insertion; loaders fill big lists in chunks.
    void appendRows(std::vector<ListRow> rows);
    void clear();
    void removeRowsAt(std::vector<int> rows);

    const ListRow &row(int r) const { return m_rows.at(static_cast<size_t>(r)); }
    const std::vector<ListRow> &rows() const { return m_rows; }
    int count() const { return static_cast<int>(m_rows.size()); }

    bool isChecked(int r) const { return m_rows.at(static_cast<size_t>(r)).checked; }
    void setChecked(int r, bool checked);
    void setAllChecked(bool checked);
    std::vector<int> checkedRows() const;
    int checkedCount() const;
    // Row of the given Uniqid, or -1.
    int rowOfUniqid(const QString &uniqid) const;
    void setCell(int r, int cell, const QString &text);
    void setCaption(int r, const QString &text);

    // Header-click sorting: sorts by column c (0 = caption, c >= 1 = cell
    // c-1) in the direction of the list's flag, then flips the flag. The
    // first sort of a list is descending.
    void sortByColumn(int column);
    bool sortAscendingNext() const { return m_ascending; }
    void resetSortDirection() { m_ascending = false; }
    // Off: header sorting compares every column as text (no numeric treatment).
    void setNumericSort(bool on) { m_numericSort = on; }
    // The comparison of two column texts: < 0, 0 or > 0.
    static int compareTexts(const QString &a, const QString &b);

    static uint bandColor(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    // A tick changed by the user or by code.
    void checkChanged(int row, bool checked);

private:
    QString text(const ListRow &r, int column) const;

    QStringList m_headers;
    std::vector<ListRow> m_rows;
    int m_cellColumns = 0; // widest row's cells, the Uniqid cell included
    bool m_banding = false;
    bool m_ascending = false;
    bool m_numericSort = true;
    TextColorRule m_textColor;
};
