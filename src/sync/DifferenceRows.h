#pragma once

#include "base/ListModel.h"
#include "sync/DifferenceOptions.h"
#include "sync/DifferenceStatement.h"

#include <QString>
#include <array>
#include <optional>

// One result row of the select as texts, in the order of DifferenceColumn.
using DifferenceRecord = std::array<QString, DifferenceColumnCount>;

// Turns result rows into rows of the target list: applies the formulas,
// drops the rows the view does not show, ticks the rows to act on.
class DifferenceRowBuilder
{
public:
    explicit DifferenceRowBuilder(const DifferenceOptions &options);

    // The list row of a result row, or nullopt when the view leaves it out.
    std::optional<ListRow> build(DifferenceRecord &record) const;

private:
    DifferenceOptions m_options;
    ComparisonBase m_base;
    bool m_full;
    bool m_quantityFormula;
    bool m_priceFormula;
};

// Cells of a target list row.
enum DifferenceCell {
    CellTitle = 0,
    CellOuterId = 1,
    CellColor = 2,
    CellSku = 3,
    CellNum = 4,
    CellSourceNum = 5,
    CellPrice = 6,
    CellSourcePrice = 7,
    CellOuterIdSku = 8,
    CellNumIid = 9,
    CellSkuId = 10,
    CellStatus = 11,
    CellSkuProperties = 12,
    CellOldcode = 13,
    CellEmpty = 14,
    CellUniqid = 15,
};

// Column captions of the target list: the caption column and the 15 shown cells.
QStringList DifferenceHeaders();

// The red text of the target list: in full mode with the price list as base
// when the prices differ, in full mode otherwise when the quantities differ,
// in incremental mode when the row is ticked.
ListModel::TextColorRule DifferenceTextColor(UploadMode mode, ComparisonBase base);

// GetTotal_Object's text over the rows of a list.
QString DifferenceTotals(const ListModel &model);
// The totals panel's text after a query.
QString DifferenceShownCount(int rows);
