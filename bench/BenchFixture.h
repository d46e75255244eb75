#pragma once

// What the benchmarks set up, in one place: a data folder with the schema,
// generated list rows, the stand-in's generated seller and supplier with the
// seller's rows downloaded, the stand-in's replies of a generated shop, and
// the baselines measured beside the program (a bare insert loop, the same
// requests replayed on one keep-alive connection).
#ifndef SANDBOX_FIXTURE
#define SANDBOX_FIXTURE ""
#endif
#include "TestRig.h"
#include "base/Interaction.h"
#include "store/DataModule.h"
#include "top/ItemDecoding.h"

#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace benchmark {
class State;
}
struct DifferenceOptions;

namespace bench {

// A temporary data folder with the schema made.
struct DataFolder
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<TADOMain> data;

    DataFolder();
    QSqlDatabase db() const { return data->ADOConn(); }
};

// Generated list rows, 6 SKUs an item: TB_Source rows and (with targetRows)
// as many TB_Object rows of the account "shop" with the same keys, in one
// transaction.
struct RowOptions
{
    bool targetRows = true;
    // every other source row's quantity differs from its target row's
    bool halfDiffering = true;
    // titles that begin with ten different family names (a Chinese sort has work to do)
    bool familyTitles = false;
    QString sourceNick; // TB_Source.nick
};
void FillRows(const QSqlDatabase &db, int rows, const RowOptions &options);

// The lists' baselines: the source list's select (code filter "仅有商家编码宝贝")
// and the difference query's select read into memory, every column as text;
// the number of characters read.
qsizetype ReadSourceSelect(const QSqlDatabase &db);
qsizetype ReadDifferenceSelect(const QSqlDatabase &db, const DifferenceOptions &options);

// The generated seller and supplier of the stand-in (6 SKUs an item, half of
// the seller's SKUs differing from the supplier's), both lists filled, the
// seller's session set and the seller's rows downloaded (target download).
extern const QString kSeller;
extern const QString kSupplier;
struct SellerAndSupplierOptions
{
    int items = 1000;
    int callLogLimit = 20000;
    bool storeAccount = false; // the seller's account with its password, for the headless commands
};
bool OpenSellerAndSupplier(TestRig &rig, const SellerAndSupplierOptions &options, std::string *failure);

// The stand-in answering the recorded calls again, one after the other on
// one keep-alive connection: the microseconds it took.
double ReplayCallsUs(topsandbox::TopSandbox &sandbox, const QList<topsandbox::RecordedCall> &calls);

// The taobao.items.list.get replies of a generated shop of 5 000 items with 6
// SKUs (250 batches of 20), and their items decoded once for the baselines.
struct GeneratedReplies
{
    QStringList replies;
    QStringList ids;
    QString nick;
    QList<ItemRecord> items;

    GeneratedReplies();
};
const GeneratedReplies &Replies();

// A data folder whose download-source list (tag) holds the replies' ids.
struct StoreFolder : DataFolder
{
    explicit StoreFolder(ItemLists::Tag tag);
    // Empties the table and its staging table.
    void empty(const QString &table);
};

// The baseline of the storing benchmarks: the replies' SKU rows by a bare
// prepared insert into table (owner column ownerColumn) in one transaction.
void BareInsertLoop(benchmark::State &state, StoreFolder &store, const QString &table,
                    const QString &ownerColumn);

} // namespace bench
