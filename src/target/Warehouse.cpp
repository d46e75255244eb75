#include "target/Warehouse.h"

#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/ExportFile.h"
#include "base/CsvWriter.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/RowDeletion.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "store/DeleteRows.h"
#include "store/SqlValues.h"
#include "target/TargetListCommands.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <memory>
#include <algorithm>
#include <cstdlib>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

QDateTime readTime(const QString &text)
{
    QDateTime t = QDateTime::fromString(TrimText(text), kTimeFormat);
    if (!t.isValid())
        t = QDateTime::fromString(TrimText(text), Qt::ISODate);
    return t;
}

} // namespace

WarehouseList::WarehouseList(const QSqlDatabase &db, ListModel &model, JobHost &jobs, Interaction &ui,
                             Desktop &desktop, QObject *parent)
    : QObject(parent), m_db(db), m_model(model), m_jobs(jobs), m_ui(ui), m_desktop(desktop)
{
}

QStringList WarehouseList::headers()
{
    return {QStringLiteral("宝贝名称"), QStringLiteral("商家编码"),   QStringLiteral("上架时间"),
            QStringLiteral("下架时间"), QStringLiteral("剩余时间"),   QStringLiteral("计划上架时间"),
            QStringLiteral("橱窗推荐"), QStringLiteral("有效天数"),   QStringLiteral("数量"),
            QStringLiteral("价格"),     QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
            QStringLiteral("状态"),     QStringLiteral("卖家昵称")};
}

QString WarehouseList::RemainingTimeText(const QDateTime &delist, const QDateTime &now)
{
    if (!delist.isValid() || !now.isValid())
        return {};
    const qint64 seconds = std::llabs(delist.secsTo(now));
    const qint64 days = seconds / 86400;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60;
    return QString::number(days) + QStringLiteral("天") + QString::number(hours - 24 * days) + QStringLiteral("小时") +
           QString::number(minutes - 60 * hours) + QStringLiteral("分钟");
}

QString WarehouseList::statement(const QString &keyword, QVariantList *values) const
{
    QString sql = QStringLiteral("select a.title,a.outer_id,a.list_time,a.delist_time,a.has_showcase,a.valid_thru,"
                                 "a.num,a.price,a.num_iid,a.sku_id,a.approve_status,a.nick,a.Uniqid\n"
                                 "from TB_Object_Inventory a\n");
    switch (view) {
    case WarehouseView::All:
        sql += QStringLiteral("where 1=1");
        break;
    case WarehouseView::SourceList:
        sql += QStringLiteral("inner join TB_URL b on (a.outer_id=b.outer_id or a.outer_id=b.outer_id2) and b.Tag=0");
        if (onlyOnSale)
            sql += QStringLiteral("\nand b.approve_status='onsale'");
        break;
    case WarehouseView::PriceList:
        sql += QStringLiteral("inner join TB_Source_Price b on a.outer_id=b.outer_id");
        break;
    case WarehouseView::StockList:
        sql += QStringLiteral("inner join TB_Source_Stock b on a.outer_id=b.outer_id");
        break;
    }
    const QString w = TrimText(keyword);
    if (!w.isEmpty()) {
        sql += QStringLiteral("\nand ((a.title like ?) or (a.outer_id like ?) or (a.color like ?) or (a.sku like ?)"
                              " or (a.num_iid like ?) or (a.sku_id like ?))");
        for (int i = 0; i < 6; ++i)
            values->append(QString(QStringLiteral("%") + w + QStringLiteral("%")));
    }
    sql += QStringLiteral("\nand a.nick=?\norder by a.Uniqid");
    values->append(SqlText(account));
    return sql;
}

bool WarehouseList::GetData_TB_Object_inventory(const QString &keyword)
{
    // a running job owns the list: its rows are what it walks
    if (m_jobs.busy())
        return false;
    return fill(keyword);
}

bool WarehouseList::reload()
{
    return fill(QString());
}

bool WarehouseList::fill(const QString &keyword)
{
    QVariantList values;
    // an unfinished fill lets go of its statement first
    m_model.clear();
    auto q = std::make_shared<QSqlQuery>(m_db);
    q->setForwardOnly(true);
    q->prepare(statement(keyword, &values));
    for (const QVariant &v : values)
        q->addBindValue(v);
    if (!q->exec()) {
        m_ui.message(Interaction::errorCaption(), q->lastError().text(), Interaction::Icon::Error);
        setTotals(0);
        return false;
    }
    const QDateTime now = Clock::now();
    // the first screen at once, the rest in chunks
    m_model.fill(
        [q, now](std::vector<ListRow> &out, int max) {
            for (int n = 0; n < max; ++n) {
                if (!q->next())
                    return false;
                ListRow r;
                r.caption = q->value(0).toString();
                r.imageIndex = 0;
                const QString delist = q->value(3).toString();
                r.cells.reserve(14);
                r.cells << q->value(1).toString() << q->value(2).toString() << delist
                        << RemainingTimeText(readTime(delist), now) << QString()
                        << (TrimText(q->value(4).toString()) == QStringLiteral("true") ? QStringLiteral("已推荐")
                                                                                       : QStringLiteral("未推荐"))
                        << q->value(5).toString() << q->value(6).toString() << q->value(7).toString()
                        << q->value(8).toString() << q->value(9).toString()
                        << (TrimText(q->value(10).toString()) == QStringLiteral("onsale")
                                ? QStringLiteral("销售中")
                                : QStringLiteral("已下架"))
                        << q->value(11).toString() << q->value(12).toString();
                out.push_back(std::move(r));
            }
            return true;
        },
        [this] { setTotals(m_model.count()); });
    if (m_model.filling())
        setTotals(m_model.count());
    return true;
}

void WarehouseList::setTotals(int rows)
{
    m_totals = QStringLiteral("  当前仓库显示 ") + QString::number(rows) + QStringLiteral("  项");
    Q_EMIT totalsChanged(m_totals);
}

void WarehouseList::RzToolButton3Click(const QDateTime &start, int intervalMinutes, const QTime &endOfDay)
{
    m_model.finishFill(); // the plan walks every row from the bottom
    if (m_model.checkedCount() == 0) {
        m_ui.warn(QStringLiteral("请勾选要定义\"计划上架时间\"的宝贝"));
        return;
    }
    if (!m_ui.ask(QStringLiteral("是否要对勾选的宝贝定义\"计划上架时间\"?")))
        return;
    // whole minutes: the edit shows no seconds
    QDateTime t(start.date(), QTime(start.time().hour(), start.time().minute()));
    const QTime startOfDay = t.time();
    const QTime end(endOfDay.hour(), endOfDay.minute());
    for (int r = m_model.count() - 1; r >= 0; --r) {
        if (!m_model.isChecked(r))
            continue;
        m_model.setCell(r, WhPlanned, t.toString(kTimeFormat));
        const QDateTime e(t.date(), end);
        if (t < e)
            t = t.addSecs(60LL * intervalMinutes);
        else
            t = QDateTime(t.date().addDays(1), startOfDay);
    }
}

void WarehouseList::N74Click(const std::vector<int> &selected)
{
    if (!m_ui.ask(QStringLiteral("是否要对选定的宝贝\"清除计划上架时间\"?")))
        return;
    for (int r : RowsInListOrder(selected, m_model.count()))
        m_model.setCell(r, WhPlanned, QString());
}

void WarehouseList::deleteRows(std::vector<int> selected, int focused, const QString &keyword)
{
    if (focused < 0 || focused >= m_model.count())
        selected.clear(); // without a focused row there is nothing to name: "请选择要删除的项"
    // one row is named by the focused row, as the list shows it
    const auto nameOfOne = [this, focused](const ListRow &) -> QString {
        const ListRow &r = m_model.row(focused);
        return r.cells.value(WhOuterId) + QLatin1Char('.') + r.caption;
    };
    const auto deleteIds = [this](const QVariantList &ids, QString *error) {
        return DeleteByUniqid(m_db, QStringLiteral("TB_Object_Inventory"), ids, error);
    };
    if (AskThenDeleteRows(m_model, m_ui, std::move(selected), nameOfOne, deleteIds))
        GetData_TB_Object_inventory(TrimText(keyword));
}

void WarehouseList::CopyText_Inventory(std::vector<int> selected, int cell)
{
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m_model.count())) {
        const ListRow &row = m_model.row(r);
        values << (cell < 0 ? row.caption : row.cells.value(cell));
    }
    if (!values.isEmpty())
        m_desktop.setClipboardText(values.join(QStringLiteral("\r\n")));
}

QStringList WarehouseList::exportLines(std::vector<int> selected) const
{
    // quoted like the other exports: a field holding a comma, a quote or a
    // line break goes between quotes, so no later column shifts
    QStringList lines{CsvLine(headers())};
    for (int r : RowsInListOrder(std::move(selected), m_model.count())) {
        const ListRow &row = m_model.row(r);
        QStringList fields{row.caption};
        for (int c = 0; c <= WhNick; ++c)
            fields << row.cells.value(c);
        lines << CsvLine(fields);
    }
    return lines;
}

void WarehouseList::exportRows(std::vector<int> selected)
{
    if (SaveExportLines(m_ui, QStringLiteral("sExport"), exportLines(std::move(selected))))
        m_ui.info(QStringLiteral("完成选中项另存为,请确认"));
}

void WarehouseList::openItemPage(int row)
{
    if (row < 0 || row >= m_model.count() || !m_itemPage)
        return;
    m_desktop.openUrl(m_itemPage(m_model.row(row).cells.value(WhNumIid)));
}

int WarehouseList::GetUploadIndex_inventory() const
{
    for (int r = 0; r < m_model.count(); ++r)
        if (m_model.isChecked(r))
            return r;
    return -1;
}
