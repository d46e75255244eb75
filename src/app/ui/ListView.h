#pragma once

#include <QIcon>
#include <QIdentityProxyModel>
#include <QList>
#include <QTreeView>

class ListModel;

// Turns the list model's colour and image roles into what Qt's views paint:
// 0xRRGGBB numbers into brushes, image indexes into icons of an image list.
// Without check boxes the ticks are not shown.
class QMenu;

class ListViewProxy : public QIdentityProxyModel
{
    Q_OBJECT
public:
    explicit ListViewProxy(QObject *parent = nullptr);

    void setImages(const QList<QIcon> &images) { m_images = images; }
    void setCheckBoxes(bool on);
    bool checkBoxes() const { return m_checkBoxes; }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<QIcon> m_images;
    bool m_checkBoxes = true;
};

// The report-style list of the program over a ListModel: whole-row selection,
// several rows selectable, no in-place editing, uniform row heights. The
// last (Uniqid) column and every column past the captions are hidden. A click
// on a column header sorts the model by that column (the model keeps the
// direction flag); the view never sorts by itself.
class ListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);

    void setListModel(ListModel *model);

    // The popup menu shown on a right click (when it holds anything).

    void setPopupMenu(QMenu *menu);
    ListModel *listModel() const { return m_model; }
    ListViewProxy *proxy() const { return m_proxy; }

    void setCheckBoxes(bool on);
    void setImages(const QList<QIcon> &images);

    // Model rows of the selected view rows, ascending.
    std::vector<int> selectedModelRows() const;

    // The small image list of the main window: 0 ordinary item, 1 distributed item.
    static QList<QIcon> smallImages();

Q_SIGNALS:
    // After the model has been sorted by a header click.
    void columnClicked(int column);

private:
    void onHeaderClicked(int section);
    void hideSurplusColumns();

    ListModel *m_model = nullptr;
    ListViewProxy *m_proxy = nullptr;
};
