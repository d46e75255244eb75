#include "sync/DifferenceRows.h"

#include "base/TextRoutines.h"

DifferenceRowBuilder::DifferenceRowBuilder(const DifferenceOptions &options)
    : m_options(options),
      m_base(options.base()),
      m_full(options.uploadMode == UploadMode::Full),
      m_quantityFormula(options.quantityFormulaApplies()),
      m_priceFormula(options.priceFormulaApplies())
{
}

std::optional<ListRow> DifferenceRowBuilder::build(DifferenceRecord &f) const
{
    QString q = std::move(f[ColSourceQuantity]);
    QString p = std::move(f[ColSourcePrice]);
    if (m_quantityFormula)
        q = m_options.formulas.quantity.apply(q);
    if (m_priceFormula)
        p = m_options.formulas.price.apply(p);

    const QString &num = f[ColNum];
    const QString &price = f[ColPrice];
    const ViewFilter view = m_options.view;
    // the formula's floor at 0 can make equal a pair the select counted as different
    if (view == ViewFilter::Differ && q == QStringLiteral("0") && num == QStringLiteral("0"))
        return std::nullopt;
    if (m_full) {
        // the views compare what the row shows and what its tick compares
        if (view == ViewFilter::Differ && q == num)
            return std::nullopt;
        if (view == ViewFilter::Same && q != num)
            return std::nullopt;
        if (m_priceFormula && (view == ViewFilter::PriceUp || view == ViewFilter::PriceDown)) {
            bool ok = false;
            const double target = price.toDouble(&ok);
            const double source = p.toDouble();
            if (!ok || (view == ViewFilter::PriceUp ? !(target < source) : !(target > source)))
                return std::nullopt;
        }
    }
    if (m_base == ComparisonBase::PriceList && m_options.onlyPriceDifferences && p == price)
        return std::nullopt;

    ListRow r;
    if (m_base == ComparisonBase::PriceList)
        r.checked = p != price;
    else
        r.checked = q != num;
    if (!m_full)
        r.checked = f[ColBCheck].toInt() != 0;
    const bool onSale = TrimText(f[ColStatus]) == QStringLiteral("onsale");
    // the status views tick the target items to delist or to list
    if (view == ViewFilter::SourceOff)
        r.checked = onSale;
    else if (view == ViewFilter::SourceOn)
        r.checked = !onSale;
    r.imageIndex = f[ColFenxiao].toInt() == 1 ? 1 : 0;
    r.caption = std::move(f[ColUserID]);
    r.cells.reserve(16);
    r.cells << std::move(f[ColTitle]) << std::move(f[ColOuterId]) << std::move(f[ColColor]) << std::move(f[ColSku])
            << num << q << price << p << std::move(f[ColOuterIdSku]) << std::move(f[ColNumIid])
            << std::move(f[ColSkuId]) << (onSale ? QStringLiteral("销售中") : QStringLiteral("已下架"))
            << std::move(f[ColSkuProperties]) << std::move(f[ColOldcode]) << QString() << std::move(f[ColUniqid]);
    return r;
}

QStringList DifferenceHeaders()
{
    return {QStringLiteral("淘宝会员号"), QStringLiteral("宝贝名称"),   QStringLiteral("主商家编码"),
            QStringLiteral("颜色"),       QStringLiteral("SKU(尺码)"),  QStringLiteral("数量"),
            QStringLiteral("源数量"),     QStringLiteral("价格"),       QStringLiteral("源价格"),
            QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
            QStringLiteral("状态"),       QStringLiteral("SKU属性值"),  QStringLiteral("货号"),
            QString()};
}

namespace {
const std::optional<uint> kRed = 0xFF0000u;
}

ListModel::TextColorRule DifferenceTextColor(UploadMode mode, ComparisonBase base)
{
    if (mode == UploadMode::Incremental)
        return [](const ListRow &r) { return r.checked ? kRed : std::nullopt; };
    const int a = base == ComparisonBase::PriceList ? CellPrice : CellNum;
    const int b = base == ComparisonBase::PriceList ? CellSourcePrice : CellSourceNum;
    return [a, b](const ListRow &r) {
        return r.cells.value(a) != r.cells.value(b) ? kRed : std::nullopt;
    };
}

QString DifferenceTotals(const ListModel &model)
{
    int d = 0;
    for (const ListRow &r : model.rows())
        if (r.cells.value(CellNum) != r.cells.value(CellSourceNum))
            ++d;
    const int n = model.count();
    return QStringLiteral(" 共 ") + QString::number(n) + QStringLiteral(" 项,其中有库存差异宝贝 ") +
           QString::number(d) + QStringLiteral(" 项,") + QStringLiteral("无库存差异宝贝 ") + QString::number(n - d) +
           QStringLiteral(" 项");
}

QString DifferenceShownCount(int rows)
{
    return QStringLiteral(" 当前显示共 ") + QString::number(rows) + QStringLiteral(" 项");
}
