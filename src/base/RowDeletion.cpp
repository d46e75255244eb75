#include "base/RowDeletion.h"

#include "base/Interaction.h"
#include "base/ListModel.h"

#include <algorithm>

std::vector<int> RowsInListOrder(std::vector<int> rows, int count)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }),
               rows.end());
    return rows;
}

bool AskThenDeleteRows(ListModel &model, Interaction &ui, std::vector<int> selected,
                       const std::function<QString(const ListRow &)> &nameOfOne,
                       const std::function<bool(const QVariantList &uniqids, QString *error)> &deleteIds)
{
    selected = RowsInListOrder(std::move(selected), model.count());
    if (selected.empty()) {
        ui.warn(QStringLiteral("请选择要删除的项"));
        return false;
    }
    QString question;
    if (selected.size() == 1)
        question = QStringLiteral("是否要删除:") + nameOfOne(model.row(selected.front()));
    else
        question = QStringLiteral("是否要删除选中的 ") + QString::number(selected.size()) +
                   QStringLiteral(" 条记录");
    if (!ui.ask(question))
        return false;
    QVariantList ids;
    for (int r : selected)
        ids << model.row(r).uniqid().toLongLong();
    QString error;
    if (!deleteIds(ids, &error)) {
        ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        return false;
    }
    model.removeRowsAt(selected);
    return true;
}
