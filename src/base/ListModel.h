#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>
#include <unordered_map>
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
    // The row's id in its list, given by the model when the row comes in and
    // kept through sorts and removals (jobs find their rows by it).
    quint64 key = 0;

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
    ~ListModel() override;

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

    // A source of rows read in chunks: appends up to max rows to out and
    // returns false once it has no more (or failed; the loader knows which).
    using RowSource = std::function<bool(std::vector<ListRow> &out, int max)>;
    // Empties the list and fills it from source: the first screen of rows at
    // once, the rest in chunks. With background filling on (the window), the
    // rest comes from the event loop between other events; otherwise it is
    // read before fill returns. done runs once after the last row, also when
    // the fill is finished early by finishFill; a new fill or clear() drops
    // an unfinished one without running its done.
    void fill(RowSource source, std::function<void()> done = {});
    bool filling() const { return static_cast<bool>(m_source); }
    // Reads the rest of an unfinished fill now (a sort, a tick command or a
    // job needs every row).
    void finishFill();
    // finishFill for every list of the program: a job that starts or a
    // statement that changes the tables first lets the lists finish reading.
    static void finishAllFills();
    // Background filling for every list: on in the window, off (every fill
    // read at once) for the command line and the tests.
    static void setBackgroundFilling(bool on);
    static bool backgroundFilling();
    static constexpr int FirstChunk = 200;
    static constexpr int Chunk = 4000;
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
    // The id of a row (ListRow::key), and the row that has an id now, or -1.
    quint64 keyOf(int r) const { return m_rows.at(static_cast<size_t>(r)).key; }
    int rowOfKey(quint64 key) const;
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
    // The comparison of two column texts: < 0, 0 or > 0. Numbers by
    // magnitude; other texts by their GB18030 (GBK) code, so level-1
    // characters come in pinyin order, ASCII letters without case.
    static int compareTexts(const QString &a, const QString &b);
    // The bytes two texts are compared by: GB18030 with a-z as A-Z.
    static QByteArray sortKey(const QString &text);

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
    // A chunk of an unfinished fill came in: rows in the list so far.
    void fillProgress(int rows);
    void fillFinished();

private:
    QString text(const ListRow &r, int column) const;
    void giveKeys(std::vector<ListRow> &rows);
    bool readChunk(int max);
    void fillStep();
    void endFill();

    QStringList m_headers;
    std::vector<ListRow> m_rows;
    int m_cellColumns = 0; // widest row's cells, the Uniqid cell included
    bool m_banding = false;
    bool m_ascending = false;
    bool m_numericSort = true;
    TextColorRule m_textColor;
    quint64 m_nextKey = 1;
    mutable std::unordered_map<quint64, int> m_keyRows;
    mutable bool m_keyRowsValid = false;
    RowSource m_source;
    std::function<void()> m_fillDone;
    QTimer m_fillTimer;
};
