#pragma once

#include "sync/Formulas.h"

#include <QString>
#include <QStringList>

// Upload mode, _UpgradeStock (_Parameter 9998).
enum class UploadMode { Full = 0, Incremental = 1 };

// What the target list is compared against.
enum class ComparisonBase { Source, PriceList, StockList };

// The nine view filters of the target page, one of them chosen.
enum class ViewFilter {
    All,          // _chkstock1 "显示所有"
    Differ,       // _chkstock2 quantities differ / not yet uploaded
    Same,         // _chkstock3 quantities equal / already uploaded
    SourceOff,    // _chkstock4 "源已下架的宝贝"
    SourceOn,     // _chkstock5 "源未下架目标已下架的宝贝"
    PriceList,    // _chkUsePrice "使用自定义商品价格列表"
    StockList,    // _chkUseStock "使用自定义商品库存列表"
    PriceUp,      // _chkbig "仅显示源价格大于目标价格"
    PriceDown,    // _chksmall "仅显示源价格小于目标价格"
};
constexpr int ViewFilterCount = 9;

ComparisonBase BaseOf(ViewFilter view);
// The caption of a view filter's radio button under an upload mode.
QString ViewFilterCaption(ViewFilter view, UploadMode mode);

// The options of one difference query, as the controls of the target page
// hold them.
struct DifferenceOptions
{
    QString account;                 // _users' text; several accounts separated by ","
    int shownKey = 0;                // _Uniqid's shown index: key and source-side expressions
    int confirmedKey = 0;            // the confirmed key mode (9999): the join
    UploadMode uploadMode = UploadMode::Full; // the confirmed upload mode (9998)
    ViewFilter view = ViewFilter::Differ;     // _chkstock2 when the window opens
    bool onlyPriceDifferences = true; // _chkShowPrice "只显示差异" (price list only)
    bool uniqueOnly = false;         // _NoShowOnly (200)
    bool ignoreKeyCheck = false;     // _chkIgore "忽略关联值检查"
    bool noMainCode = false;         // _chkNoOuter_id: the check groups by the key alone
    bool normalisedKeys = false;     // setting 120: keys compare trimmed, full-width folded
    bool exactSearch = false;        // chksearch1 "仅搜索"
    int searchField = 6;             // _fields1, "货号" preselected
    Formulas formulas;               // the formula page's controls
    bool debugMemo = false;          // the debug memo is shown: statements go to it
    bool storeUniqueOnly = true;     // write 200 at the end of a completed query

    ComparisonBase base() const { return BaseOf(view); }
    // The formulas take part only with the source rows as base.
    bool quantityFormulaApplies() const { return base() == ComparisonBase::Source && formulas.quantity.enabled; }
    bool priceFormulaApplies() const { return base() == ComparisonBase::Source && formulas.price.enabled; }
    // The accounts of the account text: split at every ",", kept as written.
    QStringList accounts() const;
};

// The fields of the exact search (_fields1).
QStringList DifferenceSearchFields();

// What the target page shows for an upload mode (ShowHideObjectOption) and
// which options are enabled for a view filter.
struct ObjectPagePresentation
{
    QString differCaption;  // _chkstock2
    QString sameCaption;    // _chkstock3
    QString tabCaption;     // the target tab
    bool barColoured = false; // _PanelObjectBar and the tab take barColour
    uint barColour = 0;       // 0xRRGGBB, the upload-mode selector's colour
};
ObjectPagePresentation ShowHideObjectOption(UploadMode mode);
// "只显示差异" is enabled exactly with the price list as base.
bool OnlyPriceDifferencesEnabled(ViewFilter view);
// The formula tab is enabled exactly with the source rows as base.
bool FormulaTabEnabled(ViewFilter view);
