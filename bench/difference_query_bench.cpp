// The difference query: GetData_TB_Object over 100 000 target rows against
// 100 000 source rows (key mode 0, one account, half of the pairs differing)
// against the bare join of the same rows read into memory, in the same run.
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/DataModule.h"
#include "store/Settings.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceStatement.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 100000;

struct Shops
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<TADOMain> data;

    Shops()
    {
        data = std::make_unique<TADOMain>(dir.path());
        data->DataModuleCreate();
        QSqlDatabase db = data->ADOConn();
        db.transaction();
        QSqlQuery t(db);
        t.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,outer_id_sku,"
                                 "num_iid,sku_id,approve_status,oldcode) values('shop',?,?,?,?,?,?,?,?,?,?,?)"));
        QSqlQuery s(db);
        s.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,outer_id_sku,"
                                 "num_iid,sku_id,approve_status,oldcode) values(?,?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; i < kRows; ++i) {
            const QVariantList common{QStringLiteral("春季新款连衣裙 女装 %1").arg(i / 6),
                                      QStringLiteral("A%1").arg(i / 6), QStringLiteral("红色"),
                                      QStringLiteral("XL%1").arg(i % 6)};
            for (QSqlQuery *q : {&t, &s}) {
                for (const QVariant &v : common)
                    q->addBindValue(v);
                // every other pair differs in quantity
                q->addBindValue(q == &s && i % 2 ? i % 50 + 1 : i % 50);
                q->addBindValue(99.5);
                q->addBindValue(QStringLiteral("A%1-%2").arg(i / 6).arg(i % 6));
                q->addBindValue(QString::number(600000000000LL + i / 6));
                q->addBindValue(QString::number(700000000000LL + i));
                q->addBindValue(QStringLiteral("onsale"));
                q->addBindValue(QStringLiteral("H%1").arg(i / 6));
                q->exec();
            }
        }
        db.commit();
    }
};

Shops &shops()
{
    static Shops s;
    return s;
}

double g_bareMs = 0;

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_BareJoin(benchmark::State &state)
{
    QSqlDatabase db = shops().data->ADOConn();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select a.*,b.price,b.num from TB_Object a inner join TB_Source b\n") +
               JoinCondition(0) + QStringLiteral("\nwhere a.UserID='shop'"));
        const int columns = DifferenceColumnCount;
        std::vector<QString> cells;
        cells.reserve(static_cast<size_t>(kRows) * columns);
        while (q.next())
            for (int c = 0; c < columns; ++c)
                cells.push_back(q.value(c).toString());
        benchmark::DoNotOptimize(cells.data());
        total += msSince(start);
    }
    g_bareMs = total / static_cast<double>(state.iterations());
    state.counters["pairs"] = kRows;
}
BENCHMARK(BM_BareJoin)->Unit(benchmark::kMillisecond);

// state.range(0): the view, Differ (half the pairs listed) or All (every pair)
void BM_GetDataObject(benchmark::State &state)
{
    Shops &s = shops();
    JobHost jobs(s.ui);
    ListModel model;
    const Settings settings(s.data->ADOConn());
    DifferenceQuery query(s.data->ADOConn(), model, jobs, s.ui, settings);
    query.options().account = QStringLiteral("shop");
    query.options().view = static_cast<ViewFilter>(state.range(0));
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        query.GetData_TB_Object(QString());
        benchmark::DoNotOptimize(model.count());
        total += msSince(start);
    }
    const double ms = total / static_cast<double>(state.iterations());
    state.counters["rows"] = model.count();
    state.counters["ms"] = ms;
    if (g_bareMs > 0)
        state.counters["ratio_to_bare_join"] = ms / g_bareMs;
}
BENCHMARK(BM_GetDataObject)
    ->Arg(static_cast<int>(ViewFilter::Differ))
    ->Arg(static_cast<int>(ViewFilter::All))
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
