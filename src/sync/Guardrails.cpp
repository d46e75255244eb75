#include "sync/Guardrails.h"

#include "store/Settings.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace {

QString rowText(const PreviewRow &r)
{
    QString text = QStringLiteral("  ") + r.title + QStringLiteral(" (ID ") + r.numIid;
    if (!r.skuId.isEmpty())
        text += QStringLiteral(", SKU ") + r.skuId;
    return text + QStringLiteral("): ") + r.before + QStringLiteral(" → ") + r.after;
}

QJsonArray rowsJson(const QList<PreviewRow> &rows)
{
    QJsonArray out;
    for (const PreviewRow &r : rows)
        out.append(QJsonObject{{QStringLiteral("account"), r.account},
                               {QStringLiteral("num_iid"), r.numIid},
                               {QStringLiteral("sku_id"), r.skuId},
                               {QStringLiteral("title"), r.title},
                               {QStringLiteral("before"), r.before},
                               {QStringLiteral("after"), r.after}});
    return out;
}

double relativeChange(const PreviewRow &r)
{
    bool okB = false, okA = false;
    const double before = r.before.trimmed().toDouble(&okB);
    const double after = r.after.trimmed().toDouble(&okA);
    if (!okB || !okA || before <= 0)
        return 0;
    return std::fabs(after - before) / before * 100.0;
}

} // namespace

QString UploadPreview::text() const
{
    QStringList lines;
    if (kind == QStringLiteral("price")) {
        lines << QStringLiteral("将要上传价格的宝贝: ") + QString::number(rows) + QStringLiteral(" 行");
        if (!largestChanges.isEmpty()) {
            lines << QStringLiteral("价格变动最大的:");
            for (const PreviewRow &r : largestChanges)
                lines << rowText(r);
        }
    } else {
        lines << QStringLiteral("将要上传库存的宝贝: ") + QString::number(rows) + QStringLiteral(" 行, 其中库存改为0的: ") +
                     QString::number(toZero) + QStringLiteral(" 行");
        if (!largestDrops.isEmpty()) {
            lines << QStringLiteral("库存减少最多的:");
            for (const PreviewRow &r : largestDrops)
                lines << rowText(r);
        }
    }
    if (isHeld())
        lines << QStringLiteral("上传保护: ") + held;
    return lines.join(QStringLiteral("\r\n"));
}

QJsonObject UploadPreview::toJson() const
{
    return QJsonObject{{QStringLiteral("kind"), kind},
                       {QStringLiteral("rows"), rows},
                       {QStringLiteral("to_zero"), toZero},
                       {QStringLiteral("largest_drops"), rowsJson(largestDrops)},
                       {QStringLiteral("largest_price_changes"), rowsJson(largestChanges)},
                       {QStringLiteral("held"), held}};
}

UploadPreview Guardrails::quantity(const QList<PreviewRow> &rows, const Settings &settings)
{
    UploadPreview p;
    p.kind = QStringLiteral("quantity");
    p.rows = static_cast<int>(rows.size());
    QList<QPair<qlonglong, PreviewRow>> drops;
    for (const PreviewRow &r : rows) {
        bool ok = false;
        const qlonglong after = r.after.trimmed().toLongLong(&ok);
        if (ok && after == 0)
            ++p.toZero;
        bool okB = false;
        const qlonglong before = r.before.trimmed().toLongLong(&okB);
        if (ok && okB && after < before)
            drops.append({before - after, r});
    }
    std::stable_sort(drops.begin(), drops.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype i = 0; i < drops.size() && i < 5; ++i)
        p.largestDrops << drops.at(i).second;
    const int limit = settings.integer(Setting::GuardZeroShare);
    if (limit > 0 && p.rows > kZeroShareFloor && p.toZero * 100 > limit * p.rows)
        p.held = QStringLiteral("库存改为0的行占 ") + QString::number(p.toZero * 100 / p.rows) +
                 QStringLiteral("%, 超过了 ") + QString::number(limit) +
                 QStringLiteral("% (高级选项: 库存改为0的行最多占)");
    return p;
}

UploadPreview Guardrails::price(const QList<PreviewRow> &rows, const Settings &settings)
{
    UploadPreview p;
    p.kind = QStringLiteral("price");
    p.rows = static_cast<int>(rows.size());
    QList<QPair<double, PreviewRow>> changes;
    for (const PreviewRow &r : rows)
        changes.append({relativeChange(r), r});
    std::stable_sort(changes.begin(), changes.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype i = 0; i < changes.size() && i < 5; ++i)
        p.largestChanges << changes.at(i).second;
    const int limit = settings.integer(Setting::GuardPriceChange);
    if (limit > 0 && !changes.isEmpty() && changes.first().first > limit) {
        const PreviewRow &r = changes.first().second;
        p.held = QStringLiteral("宝贝 ") + r.title + QStringLiteral(" (ID ") + r.numIid + QStringLiteral(") 的价格从 ") +
                 r.before + QStringLiteral(" 改为 ") + r.after + QStringLiteral(", 变动超过了 ") + QString::number(limit) +
                 QStringLiteral("% (高级选项: 价格涨跌最多)");
    }
    return p;
}

QString Guardrails::sourceShrink(int now, int previous, const Settings &settings)
{
    const int limit = settings.integer(Setting::GuardSourceShrink);
    if (limit <= 0 || previous <= 0 || qint64(now) * 100 >= qint64(limit) * previous)
        return {};
    return QStringLiteral("本次下载的源宝贝只有 ") + QString::number(now) + QStringLiteral(" 行, 不到上次完整下载 ") +
           QString::number(previous) + QStringLiteral(" 行的 ") + QString::number(limit) +
           QStringLiteral("% (高级选项: 源宝贝下载行数至少为上次的)");
}

QString Guardrails::question(const UploadPreview &preview)
{
    return preview.text() + QStringLiteral("\r\n\r\n这看起来更像是数据源出了问题, 而不是真实的变化. 仍然要上传吗?");
}
