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
#include <QFile>
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
    QString file;
};

Rig *rig = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    rig = new Rig;
    // a memory file system where there is one: the fuzzer writes a file per input
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/stocksync-fuzz-XXXXXX")
                                                                   : QDir::tempPath() + QStringLiteral("/stocksync-fuzz-XXXXXX");
    rig->dir = std::make_unique<QTemporaryDir>(base);
    rig->data = std::make_unique<TADOMain>(rig->dir->path());
    if (!rig->data->DataModuleCreate())
        qFatal("cannot open the database: %s", qPrintable(rig->data->openError()));
    QSqlQuery q(rig->data->ADOConn());
    // what the harness needs of the file is speed, not safety
    q.exec(QStringLiteral("pragma synchronous=off"));
    q.exec(QStringLiteral("pragma journal_mode=memory"));
    rig->jobs = std::make_unique<JobHost>(rig->ui);
    rig->lists = std::make_unique<PriceStockLists>(rig->data->ADOConn(), *rig->jobs, rig->ui, rig->desktop);
    rig->file = rig->dir->filePath(QStringLiteral("list.csv"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile f(rig->file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    for (const auto kind : {PriceStockLists::Price, PriceStockLists::Stock}) {
        const PriceStockLists::ImportResult r = rig->lists->importFile(kind, rig->file, false);
        (void)PriceStockLists::importMessage(kind, r);
        if (r.ok && r.imported > r.lines)
            __builtin_trap(); // more rows than lines: something was made up
    }
    rig->ui.clear();
    return 0;
}
