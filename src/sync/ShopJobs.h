#pragma once

#include "base/ListModel.h"
#include "sync/Listing.h"
#include "sync/PriceUpload.h"
#include "target/Warehouse.h"
#include "target/WarehouseJobs.h"

class Desktop;
class Interaction;

// The jobs that change items of the shop outside the quantity upload, and
// the warehouse list they share: the price upload, delisting and listing
// over the target list; the warehouse download, the planned listing times
// and the immediate listing over the warehouse list.
struct ShopJobs
{
    ShopJobs(JobHost &host, TopClient &client, const QSqlDatabase &db, ListModel &targetModel, Interaction &ui,
             Desktop &desktop)
        : price(host, client, db, targetModel),
          delisting(ListingJob::Kind::Delisting, host, client, db, targetModel),
          listing(ListingJob::Kind::Listing, host, client, db, targetModel),
          warehouse(db, warehouseModel, host, ui, desktop),
          warehouseDownload(host, client, db, warehouse),
          listTimes(host, client, db, warehouse),
          warehouseListing(host, client, db, warehouse)
    {
        warehouseModel.setHeaders(WarehouseList::headers());
        warehouseModel.setBanding(true);
    }

    PriceUploadJob price;
    ListingJob delisting;
    ListingJob listing;
    ListModel warehouseModel;
    WarehouseList warehouse;
    WarehouseDownloadJob warehouseDownload;
    ListTimeUploadJob listTimes;
    WarehouseListingJob warehouseListing;
};
