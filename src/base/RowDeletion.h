#pragma once

#include <QString>
#include <QVariantList>
#include <functional>
#include <vector>

class Interaction;
class ListModel;
struct ListRow;

// The selected rows of a list in list order, each once, those outside the
// list (count rows) left out.
std::vector<int> RowsInListOrder(std::vector<int> rows, int count);

// "删除选中项" of the lists: with nothing selected it warns "请选择要删除的项";
// otherwise it asks "是否要删除:" + nameOfOne(row) for one row or
// "是否要删除选中的 " + n + " 条记录" for several; on Yes, deleteIds gets the
// rows' Uniqids (as numbers) and deletes them from the table. A failure is
// shown with its text and leaves the list as it was; otherwise the rows leave
// the list. True when rows were deleted.
bool AskThenDeleteRows(ListModel &model, Interaction &ui, std::vector<int> selected,
                       const std::function<QString(const ListRow &)> &nameOfOne,
                       const std::function<bool(const QVariantList &uniqids, QString *error)> &deleteIds);
