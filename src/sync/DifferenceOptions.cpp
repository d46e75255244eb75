#include "sync/DifferenceOptions.h"

#include "base/TextRoutines.h"

ComparisonBase BaseOf(ViewFilter view)
{
    switch (view) {
    case ViewFilter::PriceList:
        return ComparisonBase::PriceList;
    case ViewFilter::StockList:
        return ComparisonBase::StockList;
    default:
        return ComparisonBase::Source;
    }
}

QString ViewFilterCaption(ViewFilter view, UploadMode mode)
{
    const bool incremental = mode == UploadMode::Incremental;
    switch (view) {
    case ViewFilter::All:
        return QStringLiteral("显示所有");
    case ViewFilter::Differ:
        return incremental ? QStringLiteral("仅显示未上传增量更新过宝贝") : QStringLiteral("仅显示有库存差异的宝贝");
    case ViewFilter::Same:
        return incremental ? QStringLiteral("仅显示已上传增量更新过的宝贝") : QStringLiteral("仅显示无库存差异宝贝");
    case ViewFilter::SourceOff:
        return QStringLiteral("源已下架的宝贝");
    case ViewFilter::SourceOn:
        return QStringLiteral("源未下架目标已下架的宝贝");
    case ViewFilter::PriceList:
        return QStringLiteral("使用自定义商品价格列表");
    case ViewFilter::StockList:
        return QStringLiteral("使用自定义商品库存列表");
    case ViewFilter::PriceUp:
        return QStringLiteral("仅显示源价格大于目标价格");
    case ViewFilter::PriceDown:
        return QStringLiteral("仅显示源价格小于目标价格");
    }
    return {};
}

QStringList DifferenceOptions::accounts() const
{
    return SplitToList(account, QStringLiteral(","));
}

QStringList DifferenceSearchFields()
{
    return {QStringLiteral("宝贝名称"),  QStringLiteral("主商家编码"),  QStringLiteral("颜色"),
            QStringLiteral("SKU(尺码)"), QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"),
            QStringLiteral("货号")};
}

ObjectPagePresentation ShowHideObjectOption(UploadMode mode)
{
    ObjectPagePresentation p;
    p.differCaption = ViewFilterCaption(ViewFilter::Differ, mode);
    p.sameCaption = ViewFilterCaption(ViewFilter::Same, mode);
    if (mode == UploadMode::Incremental) {
        p.tabCaption = QStringLiteral("目标-店铺宝贝(我的店铺):增量更新");
        p.barColoured = true;
        p.barColour = 0xFCF7BA;
    } else {
        p.tabCaption = QStringLiteral("目标-店铺宝贝(我的店铺)");
    }
    return p;
}

bool OnlyPriceDifferencesEnabled(ViewFilter view)
{
    return BaseOf(view) == ComparisonBase::PriceList;
}

bool FormulaTabEnabled(ViewFilter view)
{
    return BaseOf(view) == ComparisonBase::Source;
}
