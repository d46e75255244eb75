#pragma once

#include "top/TopClient.h"

#include <QList>
#include <QString>

// taobao.item.skus.get: the SKUs of an item by its id, without a session.

// The request: num_iids = the item id, the fields the decoder reads.
TopRequest taobao_item_skus_get(const QString &numIid);

struct ItemSku
{
    QString skuId;
    QString numIid;
    QString propertiesName;
    QString quantity;
    QString price;
    QString outerId;
};

// Reads a reply by its structure: item_skus_get_response → skus → sku, each
// SKU's fields from its own child elements in any order; a reply without
// skus holds none. False with the reason (and nothing in *skus) for any
// other document, or a SKU whose id or quantity is no whole number or whose
// price is no number.
bool DecodeItemSkus(const QString &reply, QList<ItemSku> *skus, QString *error);
