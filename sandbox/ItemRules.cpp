#include "ItemRules.h"

#include <algorithm>

namespace topsandbox {

RuleBreach checkPrices(const Item &it, int skuIndex)
{
    if (it.skus.isEmpty())
        return {};
    qint64 lo = it.skus.first().priceCents, hi = lo;
    for (const Sku &s : it.skus) {
        lo = std::min(lo, s.priceCents);
        hi = std::max(hi, s.priceCents);
    }
    if (it.priceCents < lo || it.priceCents > hi)
        return {QStringLiteral("isv.item-update-service-error:IC_CHECKSTEP_ITME_SKU_PRICE_UNMATCH"),
                QStringLiteral("商品价格必须在SKU价格范围之内")};
    if (skuIndex >= 0 && skuIndex < it.skus.size()) {
        const qint64 sku = it.skus.at(skuIndex).priceCents;
        if (sku * 10 < it.priceCents * 9 || sku * 10 > it.priceCents * 11)
            return {QStringLiteral("isv.item-update-service-error:IC_CHECKSTEP_SKU_PRICE_OUT_OF_RANGE"),
                    QStringLiteral("SKU价格只能在商品价格的上下10%之内")};
    }
    return {};
}

RuleBreach checkListing(const Item &it, qint64 num)
{
    const qint64 total = it.skus.isEmpty() ? num : it.num;
    if (total <= 0)
        return {QStringLiteral("isv.item-listing-service-error:IC_ITEM_QUANTITY_ZERO"),
                QStringLiteral("商品数量为0,不能上架")};
    return {};
}

} // namespace topsandbox
