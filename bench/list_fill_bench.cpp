// The lists' fill over 100 000 rows, each beside a bare select of the same
// rows and columns measured in the same iteration: the source list (time to
// its first 100 rows with the window's background filling, the full fill),
// the target list (the difference query's fill against the bare join), and
// a header-click sort of 100 000 rows by a Chinese text column.
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/SourceList.h"
#include "store/DataModule.h"
#include "store/Settings.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceStatement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kRows = 100000;

const char *const kFamilies[] = {"张", "李", "王", "阿", "不", "陈", "刘", "杨", "赵", "黄"};

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
                                 "num_iid,sku_id,approve_status,nick,oldcode) values(?,?,?,?,?,?,?,?,?,?,'supplier',?)"));
        for (int i = 0; i < kRows; ++i) {
            const QVariantList common{QString(QString::fromUtf8(kFamilies[(i / 6) % 10]) +
                                                  QStringLiteral("记春季新款连衣裙 女装 %1").arg(i / 6)),
                                      QStringLiteral("A%1").arg(i / 6), QStringLiteral("红色"),
                                      QStringLiteral("XL%1").arg(i % 6)};
            for (QSqlQuery *q : {&t, &s}) {
                for (const QVariant &v : common)
                    q->addBindValue(v);
                q->addBindValue(q == &s && i % 2 ? i % 50 + 1 : i % 50); // half the pairs differ
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

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The source list's select read into memory, every column as text.
double bareSourceSelect()
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(shops().data->ADOConn());
    q.setForwardOnly(true);
    q.exec(QStringLiteral("select * from TB_Source where 1=1\nand outer_id<>''\norder by outer_id,color,sku"));
    qsizetype chars = 0;
    while (q.next())
        for (int c = 0; c < 14; ++c)
            chars += q.value(c).toString().size();
    benchmark::DoNotOptimize(chars);
    return ms(t);
}

void BM_SourceListFill(benchmark::State &state)
{
    JobHost jobs(shops().ui);
    ListModel model;
    RecordingDesktop desktop;
    SourceList list(shops().data->ADOConn(), model, jobs, shops().ui, desktop);
    double bare = 0, full = 0, first = 0;
    for (auto _ : state) {
        bare = bareSourceSelect();
        // the window: the first screen, then the rest between events
        ListModel::setBackgroundFilling(true);
        QElapsedTimer t;
        t.start();
        list.GetData_TB_Source(QString(), true);
        first = ms(t);
        if (model.count() < 100)
            state.SkipWithError("fewer than 100 rows at once");
        model.finishFill();
        ListModel::setBackgroundFilling(false);
        // the whole fill in one go, as the command line reads it
        t.restart();
        list.GetData_TB_Source(QString(), true);
        full = ms(t);
        state.SetIterationTime(full / 1000.0);
    }
    state.counters["rows"] = model.count();
    state.counters["bare_select_ms"] = bare;
    state.counters["full_fill_ms"] = full;
    state.counters["full_to_bare_ratio"] = full / bare;
    state.counters["first_rows_ms"] = first;
}
BENCHMARK(BM_SourceListFill)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_TargetListFill(benchmark::State &state)
{
    JobHost jobs(shops().ui);
    ListModel model;
    Settings settings(shops().data->ADOConn());
    DifferenceQuery query(shops().data->ADOConn(), model, jobs, shops().ui, settings);
    query.options().account = QStringLiteral("shop");
    query.options().view = ViewFilter::All;
    query.options().storeUniqueOnly = false;
    double bare = 0, full = 0, first = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        {
            const SqlStatement s = DifferenceSelect(query.options(), QString());
            QSqlQuery q(shops().data->ADOConn());
            q.setForwardOnly(true);
            q.prepare(s.sql);
            for (const QVariant &v : s.values)
                q.addBindValue(v);
            q.exec();
            qsizetype chars = 0;
            while (q.next())
                for (int c = 0; c < DifferenceColumnCount; ++c)
                    chars += q.value(c).toString().size();
            benchmark::DoNotOptimize(chars);
        }
        bare = ms(t);
        ListModel::setBackgroundFilling(true);
        t.restart();
        query.GetData_TB_Object(QString());
        first = ms(t);
        model.finishFill();
        ListModel::setBackgroundFilling(false);
        t.restart();
        query.GetData_TB_Object(QString());
        full = ms(t);
        state.SetIterationTime(full / 1000.0);
    }
    state.counters["rows"] = model.count();
    state.counters["bare_join_ms"] = bare;
    state.counters["full_fill_ms"] = full;
    state.counters["full_to_bare_ratio"] = full / bare;
    state.counters["first_rows_ms"] = first;
}
BENCHMARK(BM_TargetListFill)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SortByTitle(benchmark::State &state)
{
    JobHost jobs(shops().ui);
    ListModel model;
    RecordingDesktop desktop;
    SourceList list(shops().data->ADOConn(), model, jobs, shops().ui, desktop);
    list.filter().codeFilter = SourceListFilter::All;
    list.GetData_TB_Source(QString(), true);
    double sortMs = 0, numberMs = 0, bare = 0;
    for (auto _ : state) {
        // baseline: a plain std::sort of the same texts by UTF-16 code
        QStringList texts;
        texts.reserve(model.count());
        for (const ListRow &r : model.rows())
            texts << r.caption;
        QElapsedTimer t;
        t.start();
        std::sort(texts.begin(), texts.end());
        bare = ms(t);
        t.restart();
        model.sortByColumn(0); // Chinese titles
        sortMs = ms(t);
        t.restart();
        model.sortByColumn(5); // quantities, by magnitude
        numberMs = ms(t);
        state.SetIterationTime(sortMs / 1000.0);
    }
    state.counters["rows"] = model.count();
    state.counters["sort_title_ms"] = sortMs;
    state.counters["sort_number_ms"] = numberMs;
    state.counters["bare_utf16_sort_ms"] = bare;
    state.counters["title_to_bare_ratio"] = sortMs / bare;
}
BENCHMARK(BM_SortByTitle)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
