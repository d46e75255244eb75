#include "app/ui/ListView.h"

#include <QMenu>

#include "base/ListModel.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>

namespace {
QColor rgbColor(uint rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QIcon drawnIcon(const QColor &fill, const QColor &frame, const QString &mark)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(frame);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    if (!mark.isEmpty()) {
        QFont f = p.font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, mark);
    }
    return QIcon(pm);
}
} // namespace

ListViewProxy::ListViewProxy(QObject *parent) : QIdentityProxyModel(parent) {}

void ListViewProxy::setCheckBoxes(bool on)
{
    if (m_checkBoxes == on)
        return;
    beginResetModel();
    m_checkBoxes = on;
    endResetModel();
}

QVariant ListViewProxy::data(const QModelIndex &index, int role) const
{
    switch (role) {
    case Qt::BackgroundRole: {
        const QVariant v = QIdentityProxyModel::data(index, ListModel::BackgroundRgbRole);
        return v.isValid() ? QVariant(QBrush(rgbColor(v.toUInt()))) : QVariant();
    }
    case Qt::ForegroundRole: {
        const QVariant v = QIdentityProxyModel::data(index, ListModel::ForegroundRgbRole);
        return v.isValid() ? QVariant(QBrush(rgbColor(v.toUInt()))) : QVariant();
    }
    case Qt::DecorationRole: {
        if (index.column() != 0)
            return {};
        const int i = QIdentityProxyModel::data(index, ListModel::ImageIndexRole).toInt();
        return i >= 0 && i < m_images.size() ? QVariant(m_images.at(i)) : QVariant();
    }
    case Qt::CheckStateRole:
        if (!m_checkBoxes)
            return {};
        break;
    default:
        break;
    }
    return QIdentityProxyModel::data(index, role);
}

Qt::ItemFlags ListViewProxy::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QIdentityProxyModel::flags(index);
    if (!m_checkBoxes)
        f &= ~Qt::ItemIsUserCheckable;
    return f;
}

ListView::ListView(QWidget *parent) : QTreeView(parent), m_proxy(new ListViewProxy(this))
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    header()->setDefaultSectionSize(110);
    connect(header(), &QHeaderView::sectionClicked, this, &ListView::onHeaderClicked);
    m_proxy->setImages(smallImages());
    QTreeView::setModel(m_proxy);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &ListView::hideSurplusColumns);
    connect(m_proxy, &QAbstractItemModel::columnsInserted, this, &ListView::hideSurplusColumns);
    connect(m_proxy, &QAbstractItemModel::headerDataChanged, this, &ListView::hideSurplusColumns);
}

void ListView::setListModel(ListModel *model)
{
    m_model = model;
    m_proxy->setSourceModel(model);
    hideSurplusColumns();
}

void ListView::setCheckBoxes(bool on)
{
    m_proxy->setCheckBoxes(on);
    hideSurplusColumns();
}

void ListView::setImages(const QList<QIcon> &images)
{
    m_proxy->setImages(images);
    viewport()->update();
}

std::vector<int> ListView::selectedModelRows() const
{
    std::vector<int> rows;
    const QModelIndexList sel = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    rows.reserve(static_cast<size_t>(sel.size()));
    for (const QModelIndex &i : sel)
        rows.push_back(m_proxy->mapToSource(i).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<QIcon> ListView::smallImages()
{
    static const QList<QIcon> images = {
        drawnIcon(QColor(76, 160, 90), QColor(40, 110, 55), QString()),
        drawnIcon(QColor(235, 120, 40), QColor(168, 70, 10), QStringLiteral("分")),
    };
    return images;
}

void ListView::onHeaderClicked(int section)
{
    if (!m_model)
        return;
    m_model->sortByColumn(section);
    Q_EMIT columnClicked(section);
}

void ListView::hideSurplusColumns()
{
    if (!m_model)
        return;
    const int shown = static_cast<int>(m_model->headers().size());
    const int columns = m_proxy->columnCount();
    for (int c = 0; c < columns; ++c)
        setColumnHidden(c, shown > 0 && c >= shown);
}

void ListView::setPopupMenu(QMenu *menu)
{
    connect(this, &QWidget::customContextMenuRequested, menu, [this, menu](const QPoint &pos) {
        if (!menu->isEmpty())
            menu->popup(viewport()->mapToGlobal(pos));
    });
}
