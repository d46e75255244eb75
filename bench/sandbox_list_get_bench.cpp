// A 20-id taobao.items.list.get against a generated shop of 5000 items with 6
// SKUs each, over HTTP on loopback and in-process, each next to a bare baseline
// measured in the same run: an empty round trip on the same connection, and
// the same request parsed and signature-checked without the item lookup.
#include "TopSandbox.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QDateTime>
#include <QStringList>

namespace {

using topsandbox::TopSandbox;

struct Fixture
{
    TopSandbox sandbox;
    int port = 0;
    std::string listBody; // 20 ids
    std::string baseBody; // the same parameters under a method the gateway does not have
    QByteArray listForm, baseForm;

    Fixture()
    {
        topsandbox::GenerateOptions o;
        topsandbox::GenerateOptions::parse(QStringLiteral("shops=3,items=5000,skus=6,seed=1"), &o, nullptr);
        sandbox.generate(o);
        const QDateTime fixed = QDateTime::currentDateTime();
        sandbox.setClock([fixed] { return fixed; });
        sandbox.setCallLogLimit(16);
        port = sandbox.start(0);
        const QList<qint64> all = sandbox.itemIds(QStringLiteral("gen_shop_2"));
        QStringList ids;
        for (int i = 0; i < 20; ++i)
            ids << QString::number(all[(i * 997 + 13) % all.size()]);
        const topsandbox::Params params = {
            {QStringLiteral("fields"),
             QStringLiteral(
                 "nick,props_name,approve_status,title,num,price,property_alias,outer_id,num_iid,sku.sku_id,"
                 "sku.properties_name,sku.properties,sku.quantity,sku.price,sku.outer_id,is_fenxiao")},
            {QStringLiteral("num_iids"), ids.join(QLatin1Char(','))}};
        listForm = sandbox.signedForm(QStringLiteral("taobao.items.list.get"), params);
        baseForm = sandbox.signedForm(QStringLiteral("taobao.items.nothing.get"), params);
        listBody = listForm.toStdString();
        baseBody = baseForm.toStdString();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_ListGet20_Http(benchmark::State &state)
{
    Fixture &f = fixture();
    httplib::Client client("127.0.0.1", f.port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    size_t bytes = 0;
    for (auto _ : state) {
        auto res = client.Post("/router/rest", f.listBody, "application/x-www-form-urlencoded");
        if (!res || res->body.find("<items list=\"true\">") == std::string::npos) {
            state.SkipWithError("list.get failed");
            break;
        }
        bytes = res->body.size();
    }
    state.counters["reply_bytes"] = double(bytes);
}

void BM_EmptyRoundTrip_Http(benchmark::State &state)
{
    Fixture &f = fixture();
    httplib::Client client("127.0.0.1", f.port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        auto res = client.Get("/_sandbox/ping");
        if (!res || res->status != 200) {
            state.SkipWithError("ping failed");
            break;
        }
    }
}

void BM_ListGet20_InProcess(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.sandbox.handleForm(f.listForm));
}

void BM_ParseAndVerify_InProcess(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.sandbox.handleForm(f.baseForm));
}

} // namespace

BENCHMARK(BM_ListGet20_Http)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmptyRoundTrip_Http)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListGet20_InProcess)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseAndVerify_InProcess)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
