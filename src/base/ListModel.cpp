#include "base/ListModel.h"

#include "base/TextRoutines.h"

#include <algorithm>
#include <cmath>

namespace {
const uint kBands[6] = {0xF0FFF0, 0xFFFFF0, 0xFFF0F0, 0xF0FFFF, 0xF0F0FF, 0xFFF0FF};

// ASCII letters without regard to case, every other character by its code.
int compareCaseless(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= u'a' && x <= u'z')
            x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z')
            y = static_cast<char16_t>(y - 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}
} // namespace

ListModel::ListModel(QObject *parent) : QAbstractTableModel(parent) {}

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
    beginResetModel();
    m_rows = std::move(rows);
    m_cellColumns = 0;
    for (const ListRow &r : m_rows)
        m_cellColumns = std::max(m_cellColumns, static_cast<int>(r.cells.size()));
    endResetModel();
}

void ListModel::appendRows(std::vector<ListRow> rows)
{
    if (rows.empty())
        return;
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
    for (int r = 0; r < count(); ++r)
        setChecked(r, checked);
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
    if (IsNumericText(a) && IsNumericText(b)) {
        bool okA = false;
        bool okB = false;
        const double x = a.toDouble(&okA);
        const double y = b.toDouble(&okB);
        if (!okA || !okB || !std::isfinite(x) || !std::isfinite(y))
            return 0;
        // by magnitude, each rounded to an integer (a half to even)
        const double rx = RoundHalfEven(x);
        const double ry = RoundHalfEven(y);
        return rx < ry ? -1 : (rx > ry ? 1 : 0);
    }
    return compareCaseless(a, b);
}

QString ListModel::text(const ListRow &r, int column) const
{
    if (column == 0)
        return r.caption;
    return column - 1 < r.cells.size() ? r.cells.at(column - 1) : QString();
}

void ListModel::sortByColumn(int column)
{
    const bool ascending = m_ascending;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // sort keys once, then the rows by them
    std::vector<std::pair<QString, size_t>> keys;
    keys.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        keys.emplace_back(text(m_rows[i], column), i);
    const bool numeric = m_numericSort;
    std::stable_sort(keys.begin(), keys.end(), [ascending, numeric](const auto &x, const auto &y) {
        const int c = numeric ? compareTexts(x.first, y.first) : compareCaseless(x.first, y.first);
        return ascending ? c < 0 : c > 0;
    });
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newPos(m_rows.size());
    std::vector<ListRow> sorted;
    sorted.reserve(m_rows.size());
    for (size_t n = 0; n < keys.size(); ++n) {
        newPos[keys[n].second] = static_cast<int>(n);
        sorted.push_back(std::move(m_rows[keys[n].second]));
    }
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
