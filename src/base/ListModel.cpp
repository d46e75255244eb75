#include "base/ListModel.h"

#include "base/TextRoutines.h"

#include <QElapsedTimer>
#include <QStringEncoder>
#include <QThreadPool>
#include <algorithm>
#include <cmath>

namespace {
const uint kBands[6] = {0xF0FFF0, 0xFFFFF0, 0xFFF0F0, 0xF0FFFF, 0xF0F0FF, 0xFFF0FF};

bool g_background = false;

// Lists from this many rows up are freed on another thread.
constexpr size_t kFreeAside = 5000;

// Every list of the program, for finishAllFills (GUI thread only).
std::vector<ListModel *> &allModels()
{
    static std::vector<ListModel *> models;
    return models;
}

// GB18030 bytes with the single-byte a-z raised to A-Z (the second byte of a
// two-byte character can be a letter's code too and stays as it is).
QByteArray gbSortKey(QStringEncoder &encoder, const QString &text)
{
    QByteArray bytes = encoder.encode(text);
    char *p = bytes.data();
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x80) {
            if (c >= 'a' && c <= 'z')
                p[i] = static_cast<char>(c - 32);
            ++i;
        } else if (i + 1 < n && static_cast<unsigned char>(p[i + 1]) >= 0x30 &&
                   static_cast<unsigned char>(p[i + 1]) <= 0x39) {
            i += 4; // four-byte sequence
        } else {
            i += 2;
        }
    }
    return bytes;
}

int compareBytes(const QByteArray &a, const QByteArray &b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// What a text is sorted by: its number when it passes the numeric-text
// check, and its GB18030 key.
struct SortKey
{
    QByteArray bytes;
    double value = 0;
    bool numeric = false;
    bool valueOk = false;
    size_t index = 0;
};

SortKey makeSortKey(QStringEncoder &encoder, const QString &text, bool numericSort)
{
    SortKey k;
    if (numericSort && IsNumericText(text)) {
        k.numeric = true;
        bool ok = false;
        const double x = text.toDouble(&ok);
        k.valueOk = ok && std::isfinite(x);
        // by magnitude, each rounded to an integer (a half to even)
        k.value = k.valueOk ? RoundHalfEven(x) : 0;
    }
    k.bytes = gbSortKey(encoder, text);
    return k;
}

int compareKeys(const SortKey &x, const SortKey &y)
{
    if (x.numeric && y.numeric) {
        if (!x.valueOk || !y.valueOk)
            return 0;
        return x.value < y.value ? -1 : (x.value > y.value ? 1 : 0);
    }
    // a number beside a text compares as text
    return compareBytes(x.bytes, y.bytes);
}
} // namespace

ListModel::ListModel(QObject *parent) : QAbstractTableModel(parent)
{
    allModels().push_back(this);
    m_fillTimer.setInterval(0);
    connect(&m_fillTimer, &QTimer::timeout, this, &ListModel::fillStep);
}

ListModel::~ListModel()
{
    auto &models = allModels();
    models.erase(std::remove(models.begin(), models.end(), this), models.end());
}

QByteArray ListModel::sortKey(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return gbSortKey(encoder, text);
}

void ListModel::giveKeys(std::vector<ListRow> &rows)
{
    for (ListRow &r : rows)
        r.key = m_nextKey++;
}

int ListModel::rowOfKey(quint64 key) const
{
    if (!m_keyRowsValid) {
        m_keyRows.clear();
        m_keyRows.reserve(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_keyRows.emplace(m_rows[i].key, static_cast<int>(i));
        m_keyRowsValid = true;
    }
    const auto it = m_keyRows.find(key);
    return it == m_keyRows.end() ? -1 : it->second;
}

void ListModel::fill(RowSource source, std::function<void()> done)
{
    setRows({});
    m_source = std::move(source);
    m_fillDone = std::move(done);
    if (!readChunk(FirstChunk)) {
        endFill();
        return;
    }
    if (g_background) {
        m_fillTimer.start();
        return;
    }
    finishFill();
}

bool ListModel::readChunk(int max)
{
    std::vector<ListRow> rows;
    rows.reserve(static_cast<size_t>(max));
    const RowSource source = m_source;
    const bool more = source(rows, max);
    appendRows(std::move(rows));
    return more;
}

void ListModel::fillStep()
{
    if (!m_source) {
        m_fillTimer.stop();
        return;
    }
    // a slice of reading, then the window's own events again
    QElapsedTimer slice;
    slice.start();
    std::vector<ListRow> rows;
    bool more = true;
    const RowSource source = m_source;
    while (more && slice.elapsed() < 20)
        more = source(rows, Chunk / 4);
    appendRows(std::move(rows));
    if (!more) {
        endFill();
        return;
    }
    Q_EMIT fillProgress(count());
}

void ListModel::finishFill()
{
    if (!m_source)
        return;
    m_fillTimer.stop();
    std::vector<ListRow> rows;
    const RowSource source = m_source;
    while (source(rows, Chunk)) {
    }
    appendRows(std::move(rows));
    endFill();
}

void ListModel::setBackgroundFilling(bool on)
{
    g_background = on;
}

bool ListModel::backgroundFilling()
{
    return g_background;
}

void ListModel::finishAllFills()
{
    const std::vector<ListModel *> models = allModels();
    for (ListModel *m : models)
        m->finishFill();
}

void ListModel::endFill()
{
    m_fillTimer.stop();
    m_source = nullptr;
    const std::function<void()> done = std::move(m_fillDone);
    m_fillDone = nullptr;
    Q_EMIT fillFinished();
    if (done)
        done();
}

void ListModel::setHeaders(const QStringList &captions)
{
    beginResetModel();
    m_headers = captions;
    endResetModel();
}

void ListModel::setBanding(bool on)
{
    m_banding = on;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, columnCount() - 1), {BackgroundRgbRole});
}

void ListModel::setTextColorRule(TextColorRule rule)
{
    m_textColor = std::move(rule);
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, columnCount() - 1), {ForegroundRgbRole});
}

void ListModel::setRows(std::vector<ListRow> rows)
{
    // rows given whole replace an unfinished fill
    m_fillTimer.stop();
    m_source = nullptr;
    m_fillDone = nullptr;
    giveKeys(rows);
    m_keyRowsValid = false;
    beginResetModel();
    std::vector<ListRow> old = std::exchange(m_rows, std::move(rows));
    std::unordered_map<quint64, int> oldKeys = std::exchange(m_keyRows, {});
    m_cellColumns = 0;
    for (const ListRow &r : m_rows)
        m_cellColumns = std::max(m_cellColumns, static_cast<int>(r.cells.size()));
    endResetModel();
    // Freeing a list of many thousand rows takes the window a noticeable
    // moment; the texts are shared by atomic counts, so another thread can do it.
    if (old.size() >= kFreeAside)
        QThreadPool::globalInstance()->start([rows = std::move(old), keys = std::move(oldKeys)]() mutable {
            rows.clear();
            keys.clear();
        });
}

void ListModel::appendRows(std::vector<ListRow> rows)
{
    if (rows.empty())
        return;
    giveKeys(rows);
    if (m_keyRowsValid)
        for (size_t i = 0; i < rows.size(); ++i)
            m_keyRows.emplace(rows[i].key, count() + static_cast<int>(i));
    int widest = m_cellColumns;
    for (const ListRow &r : rows)
        widest = std::max(widest, static_cast<int>(r.cells.size()));
    if (widest != m_cellColumns) {
        // new columns: a reset keeps the views simple
        beginResetModel();
        m_cellColumns = widest;
        for (ListRow &r : rows)
            m_rows.push_back(std::move(r));
        endResetModel();
        return;
    }
    const int first = count();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (ListRow &r : rows)
        m_rows.push_back(std::move(r));
    endInsertRows();
}

void ListModel::clear()
{
    setRows({});
}

void ListModel::removeRowsAt(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    m_keyRowsValid = false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it < 0 || *it >= count())
            continue;
        beginRemoveRows({}, *it, *it);
        m_rows.erase(m_rows.begin() + *it);
        endRemoveRows();
    }
}

void ListModel::setChecked(int r, bool checked)
{
    ListRow &row = m_rows.at(static_cast<size_t>(r));
    if (row.checked == checked)
        return;
    row.checked = checked;
    // the whole row: a list may colour its text by the tick
    Q_EMIT dataChanged(index(r, 0), index(r, columnCount() - 1));
    Q_EMIT checkChanged(r, checked);
}

void ListModel::setAllChecked(bool checked)
{
    finishFill();
    std::vector<int> changed;
    for (int r = 0; r < count(); ++r) {
        ListRow &row = m_rows[static_cast<size_t>(r)];
        if (row.checked != checked) {
            row.checked = checked;
            changed.push_back(r);
        }
    }
    if (changed.empty())
        return;
    // one repaint of the rows between the first and the last change
    Q_EMIT dataChanged(index(changed.front(), 0), index(changed.back(), columnCount() - 1));
    for (int r : changed)
        Q_EMIT checkChanged(r, checked);
}

std::vector<int> ListModel::checkedRows() const
{
    std::vector<int> out;
    for (int r = 0; r < count(); ++r)
        if (m_rows[static_cast<size_t>(r)].checked)
            out.push_back(r);
    return out;
}

int ListModel::checkedCount() const
{
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), [](const ListRow &r) { return r.checked; }));
}

int ListModel::rowOfUniqid(const QString &uniqid) const
{
    for (int r = 0; r < count(); ++r)
        if (m_rows[static_cast<size_t>(r)].uniqid() == uniqid)
            return r;
    return -1;
}

void ListModel::setCell(int r, int cell, const QString &value)
{
    ListRow &row = m_rows.at(static_cast<size_t>(r));
    while (row.cells.size() <= cell)
        row.cells.append(QString());
    row.cells[cell] = value;
    const QModelIndex i = index(r, cell + 1);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
}

void ListModel::setCaption(int r, const QString &value)
{
    m_rows.at(static_cast<size_t>(r)).caption = value;
    const QModelIndex i = index(r, 0);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
}

int ListModel::compareTexts(const QString &a, const QString &b)
{
    QStringEncoder encoder("GB18030");
    return compareKeys(makeSortKey(encoder, a, true), makeSortKey(encoder, b, true));
}

QString ListModel::text(const ListRow &r, int column) const
{
    if (column == 0)
        return r.caption;
    return column - 1 < r.cells.size() ? r.cells.at(column - 1) : QString();
}

void ListModel::sortByColumn(int column)
{
    // a sort orders every row of the list
    finishFill();
    const bool ascending = m_ascending;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // sort keys once, then the rows by them
    QStringEncoder encoder("GB18030");
    std::vector<SortKey> keys;
    keys.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        keys.push_back(makeSortKey(encoder, text(m_rows[i], column), m_numericSort));
        keys.back().index = i;
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const SortKey &x, const SortKey &y) {
        const int c = compareKeys(x, y);
        return ascending ? c < 0 : c > 0;
    });
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newPos(m_rows.size());
    std::vector<ListRow> sorted;
    sorted.reserve(m_rows.size());
    for (size_t n = 0; n < keys.size(); ++n) {
        newPos[keys[n].index] = static_cast<int>(n);
        sorted.push_back(std::move(m_rows[keys[n].index]));
    }
    m_keyRowsValid = false;
    m_rows = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newPos[static_cast<size_t>(i.row())], i.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    m_ascending = !m_ascending;
}

uint ListModel::bandColor(int row)
{
    return kBands[row % 6];
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return std::max(static_cast<int>(m_headers.size()), 1 + m_cellColumns);
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() >= columnCount())
        return {};
    const ListRow &r = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return text(r, index.column());
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return r.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case BackgroundRgbRole:
        if (m_banding)
            return bandColor(index.row());
        return {};
    case ForegroundRgbRole:
        if (m_textColor)
            if (auto c = m_textColor(r))
                return *c;
        return {};
    case ImageIndexRole:
        return index.column() == 0 ? r.imageIndex : -1;
    case UniqidRole:
        return r.uniqid();
    default:
        return {};
    }
}

bool ListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || index.row() >= count())
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section < m_headers.size() ? m_headers.at(section) : QVariant();
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}
