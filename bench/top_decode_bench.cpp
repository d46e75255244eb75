// Flattening and decoding an item reply (20 items with 6 SKUs each) against
// a bare pugixml parse of the same bytes. Prints the ratio at the end.

#include "top/ItemDecoding.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <QString>

#include <cstdio>
#include <map>
#include <string>

namespace {

QByteArray sampleReply()
{
    static const char *const colours[] = {"白色", "黑色", "红色"};
    static const char *const sizes[] = {"S", "M"};
    QByteArray x =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<items_list_get_response>\n  <items list=\"true\">\n";
    for (int i = 0; i < 20; ++i) {
        const QByteArray iid = QByteArray::number(16372516000LL + i);
        x += "    <item>\n      <approve_status>onsale</approve_status>\n      <is_fenxiao>0</is_fenxiao>\n"
             "      <nick>源头工厂店</nick>\n      <num>60</num>\n      <num_iid>" +
             iid +
             "</num_iid>\n"
             "      <outer_id>T-" +
             QByteArray::number(1000 + i) +
             "</outer_id>\n      <price>59.00</price>\n"
             "      <property_alias>1627207:28320:米白;1627207:28341:Dad&apos;s 黑</property_alias>\n"
             "      <props_name>20000:29534:品牌:X;122216343:20213:适用季节:夏季;13021751:3381023:货号:A-" +
             QByteArray::number(i) + "</props_name>\n      <skus list=\"true\">\n";
        for (int s = 0; s < 6; ++s) {
            const QByteArray c = QByteArray::number(28320 + s / 2), z = QByteArray::number(28314 + s % 2);
            x += "        <sku>\n          <outer_id>T-" + QByteArray::number(1000 + i) + "-" +
                 QByteArray::number(s) +
                 "</outer_id>\n          <price>59.00</price>\n          <properties>1627207:" + c +
                 ";20509:" + z + "</properties>\n          <properties_name>1627207:" + c +
                 ":颜色分类:" + colours[s / 2] + ";20509:" + z + ":尺码:" + sizes[s % 2] +
                 "</properties_name>\n          <quantity>10</quantity>\n"
                 "          <sku_id>" +
                 iid + QByteArray::number(s) + "</sku_id>\n        </sku>\n";
        }
        x += "      </skus>\n      <title>2012夏装 纯棉T恤 短袖 圆领 " + QByteArray::number(i) +
             "</title>\n    </item>\n";
    }
    x += "  </items>\n</items_list_get_response>\n";
    return x;
}

const QByteArray &replyBytes()
{
    static const QByteArray bytes = sampleReply();
    return bytes;
}

void BM_BarePugixmlParse(benchmark::State &state)
{
    const QByteArray &bytes = replyBytes();
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(bytes.constData(), size_t(bytes.size()), pugi::parse_default,
                                                 pugi::encoding_utf8));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

// What a processing step does: the reply buffer (text) in, records out.
void BM_FlattenDecode(benchmark::State &state)
{
    const QString reply = QString::fromUtf8(replyBytes());
    int skus = 0;
    for (auto _ : state) {
        DecodeItems(reply, true, [&skus](const ItemRecord &r) { skus += int(r.skus.size()); });
    }
    benchmark::DoNotOptimize(skus);
    state.SetBytesProcessed(int64_t(state.iterations()) * replyBytes().size());
}

// The same from the reply's bytes.
void BM_FlattenDecodeBytes(benchmark::State &state)
{
    const QByteArray &bytes = replyBytes();
    int skus = 0;
    for (auto _ : state) {
        DecodeItems(bytes, true, [&skus](const ItemRecord &r) { skus += int(r.skus.size()); });
    }
    benchmark::DoNotOptimize(skus);
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

// Five repetitions each; the ratio is taken between the medians.
BENCHMARK(BM_BarePugixmlParse)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FlattenDecode)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FlattenDecodeBytes)->Repetitions(5)->ReportAggregatesOnly(true);

// Remembers the median CPU time per iteration of each benchmark (the machine
// may be shared, so CPU time rather than wall time) of each run for the ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            const std::string &name = r.run_name.function_name;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                times[name] = r.GetAdjustedCPUTime();
            else if (r.run_type == Run::RT_Iteration && !times.count(name))
                times[name] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bare = reporter.times["BM_BarePugixmlParse"];
    if (bare > 0) {
        std::printf("reply: %lld bytes, 20 items x 6 SKUs\n", static_cast<long long>(replyBytes().size()));
        for (const char *name : {"BM_FlattenDecode", "BM_FlattenDecodeBytes"}) {
            if (reporter.times.count(name))
                std::printf("%s / bare parse = %.2f (CPU time; target <= 1.0)\n", name,
                            reporter.times[name] / bare);
        }
    }
    benchmark::Shutdown();
    return 0;
}
