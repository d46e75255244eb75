#include "reports/TargetBrowser.h"

#include "base/Desktop.h"
#include "base/ListModel.h"
#include "base/RowDeletion.h"
#include "base/TextRoutines.h"
#include "top/Endpoints.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <memory>

namespace {

// The column each entry of the field box searches.
const char *const kFieldColumns[] = {"title", "outer_id", "color", "sku", "outer_id_sku", "num_iid", "oldcode"};

} // namespace

QStringList TargetBrowser::fieldCaptions()
{
    return {QStringLiteral("宝贝名称"), QStringLiteral("主商家编码"), QStringLiteral("颜色"),
            QStringLiteral("SKU(尺码)"), QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"),
            QStringLiteral("货号")};
}

QStringList TargetBrowser::headers()
{
    return {QStringLiteral("淘宝会员号"), QStringLiteral("宝贝名称"), QStringLiteral("主商家编码"),
            QStringLiteral("颜色"),       QStringLiteral("SKU(尺码)"), QStringLiteral("数量"),
            QStringLiteral("价格"),       QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"),
            QStringLiteral("SKUID"),      QStringLiteral("状态"),     QStringLiteral("sku属性值"),
            QStringLiteral("货号")};
}

TargetBrowser::TargetBrowser(const QSqlDatabase &db, ListModel &model, Desktop &desktop, QObject *parent)
    : QObject(parent), m_db(db), m_model(model), m_desktop(desktop)
{
    m_model.setHeaders(headers());
    m_model.setBanding(true);
    m_itemPage = [](const QString &id) { return TopEndpoints::defaults().itemPageOf(id); };
}

bool TargetBrowser::load(const QString &accounts, const Search &search)
{
    m_error.clear();
    QString sql = QStringLiteral("select userid,title,outer_id,color,sku,num,price,outer_id_sku,num_iid,sku_id,"
                                 "approve_status,sku_properties,oldcode,is_fenxiao,Uniqid from tb_object\nwhere 1=1\n");
    QVariantList values;
    QStringList marks;
    // a comma-separated text selects several accounts
    for (const QString &a : accounts.split(QLatin1Char(','))) {
        marks << QStringLiteral("?");
        values << a;
    }
    sql += QStringLiteral("and UserId in (") + marks.join(QLatin1Char(',')) + QStringLiteral(")\n");
    if (search.fieldOnly) {
        const int f = std::clamp(search.field, 0, 6);
        sql += QStringLiteral(" and (") + QLatin1String(kFieldColumns[f]) + QStringLiteral(" like ?)\n");
        values << search.keyword;
    } else if (!search.keyword.isEmpty()) {
        QStringList ors;
        for (const char *c : {"title", "outer_id", "color", "sku", "num_iid", "oldcode", "sku_id"}) {
            ors << QStringLiteral("(") + QLatin1String(c) + QStringLiteral(" like ?)");
            values << QVariant(QLatin1Char('%') + search.keyword + QLatin1Char('%'));
        }
        sql += QStringLiteral(" and (") + ors.join(QStringLiteral(" or ")) + QStringLiteral(")\n");
    }
    sql += QStringLiteral("order by outer_id,color,sku");
    if (search.first200)
        sql += QStringLiteral("\nlimit ") + QString::number(kRowLimit);

    // an unfinished fill lets go of its statement first
    m_model.clear();
    auto q = std::make_shared<QSqlQuery>(m_db);
    q->setForwardOnly(true);
    q->prepare(sql);
    for (const QVariant &v : values)
        q->addBindValue(v);
    if (!q->exec()) {
        m_error = q->lastError().text();
        m_model.clear();
        return false;
    }
    // the first screen at once, the rest in chunks
    m_model.fill([q](std::vector<ListRow> &out, int max) {
        for (int n = 0; n < max; ++n) {
            if (!q->next())
                return false;
            ListRow r;
            r.caption = q->value(0).toString();
            r.cells.reserve(13);
            for (int c = 1; c <= 9; ++c)
                r.cells << q->value(c).toString();
            r.cells << (TrimText(q->value(10).toString()) == QStringLiteral("onsale") ? QStringLiteral("销售中")
                                                                                     : QStringLiteral("已下架"));
            r.cells << q->value(11).toString() << q->value(12).toString() << q->value(14).toString();
            r.imageIndex = q->value(13).toInt();
            out.push_back(std::move(r));
        }
        return true;
    });
    return true;
}

QString TargetBrowser::totals() const
{
    return QStringLiteral(" 当前显示共 ") + QString::number(m_model.count()) + QStringLiteral(" 项");
}

void TargetBrowser::copyCell(std::vector<int> selected, int cell)
{
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m_model.count()))
        values << m_model.row(r).cells.value(cell);
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

void TargetBrowser::copyItemPages(std::vector<int> selected)
{
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m_model.count()))
        values << m_itemPage(m_model.row(r).cells.value(NumIid));
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

void TargetBrowser::openItemPage(std::vector<int> selected)
{
    const std::vector<int> rows = RowsInListOrder(std::move(selected), m_model.count());
    if (!rows.empty())
        m_desktop.openUrl(m_itemPage(m_model.row(rows.front()).cells.value(NumIid)));
}
