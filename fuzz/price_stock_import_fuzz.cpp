// The CSV import of the price list and the stock list through its public
// entry point: any file either goes in whole or changes nothing, and never
// crashes the program.

#include "base/Desktop.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "source/PriceStockLists.h"
#include "store/DataModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Rig
{
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TADOMain> data;
    ScriptedInteraction ui;
    RecordingDesktop desktop;
    std::unique_ptr<JobHost> jobs;
    std::unique_ptr<PriceStockLists> lists;
};

Rig *rig = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    rig = new Rig;
    // a memory file system where there is one: the database is made there
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/stocksync-fuzz-XXXXXX")
                                                                   : QDir::tempPath() + QStringLiteral("/stocksync-fuzz-XXXXXX");
    rig->dir = std::make_unique<QTemporaryDir>(base);
    rig->data = std::make_unique<TADOMain>(rig->dir->path());
    if (!rig->data->DataModuleCreate())
        qFatal("cannot open the database: %s", qPrintable(rig->data->openError()));
    // the two tables as the migration made them, in a database in memory:
    // what the harness needs is speed, not a file
    QSqlDatabase memory = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz-memory"));
    memory.setDatabaseName(QStringLiteral(":memory:"));
    if (!memory.open())
        qFatal("cannot open a database in memory");
    QSqlQuery schema(rig->data->ADOConn());
    schema.exec(QStringLiteral("select sql from sqlite_master where type='table' and "
                               "lower(name) in ('tb_source_price','tb_source_stock')"));
    int tables = 0;
    while (schema.next()) {
        QSqlQuery create(memory);
        if (create.exec(schema.value(0).toString()))
            ++tables;
    }
    if (tables != 2)
        qFatal("the price and stock tables were not made");
    rig->jobs = std::make_unique<JobHost>(rig->ui);
    rig->lists = std::make_unique<PriceStockLists>(memory, *rig->jobs, rig->ui, rig->desktop);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // the bytes a file would hold; reading the file itself is Qt's business
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const auto kind : {PriceStockLists::Price, PriceStockLists::Stock}) {
        const PriceStockLists::ImportResult r = rig->lists->importBytes(kind, bytes, false);
        (void)PriceStockLists::importMessage(kind, r);
        if (r.ok && r.imported > r.lines)
            __builtin_trap(); // more rows than lines: something was made up
    }
    rig->ui.clear();
    return 0;
}
