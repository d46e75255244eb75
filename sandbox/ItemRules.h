#pragma once

#include "SandboxModel.h"

#include <QString>

namespace topsandbox {

// A rule of the platform that an item change breaks: the sub_code and
// sub_msg of the business error (code 15) it is answered with.
struct RuleBreach
{
    QString subCode;
    QString subMsg;
    bool broken() const { return !subCode.isEmpty(); }
};

// Prices of an item after a change: the item's price lies within its SKU
// prices, and the changed SKU's price (skuIndex, -1 for none) at most 10%
// above or below the item's price.
RuleBreach checkPrices(const Item &changed, int skuIndex = -1);
// Listing: an item goes on sale only with something to sell (num for an
// item without SKUs, the sum of its SKUs otherwise).
RuleBreach checkListing(const Item &item, qint64 num);

} // namespace topsandbox
