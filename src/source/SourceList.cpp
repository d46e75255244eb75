#include "source/SourceList.h"

#include "base/Clock.h"
#include "base/CsvWriter.h"
#include "base/Desktop.h"
#include "base/ExportFile.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/RowDeletion.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "store/DeleteRows.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "sync/MatchingKeys.h"
#include "top/Endpoints.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringEncoder>
#include <algorithm>
#include <memory>

namespace {

const char *const kExactColumns[] = {"title", "outer_id", "color", "sku", "sku_id", "num_iid", "oldcode"};

struct SourceColumns
{
    int title = -1;
    int fenxiao = -1;
    int status = -1;
    int uniqid = -1;
    int cells[12] = {};
};

// One row of the source list from the current row of the select.
ListRow SourceRow(const QSqlQuery &q, const SourceColumns &c)
{
    ListRow r;
    r.caption = q.value(c.title).toString();
    r.cells.reserve(14);
    for (int i = 0; i < 12; ++i) {
        if (i == 8)
            r.cells << (TrimText(q.value(c.status).toString()) == QStringLiteral("onsale") ? QStringLiteral("销售中")
                                                                                            : QStringLiteral("已下架"));
        else
            r.cells << q.value(c.cells[i]).toString();
    }
    r.cells << QString() << q.value(c.uniqid).toString();
    r.imageIndex = q.value(c.fenxiao).toInt() == 1 ? 1 : 0;
    return r;
}

QString shownCount(int n)
{
    return QStringLiteral(" 当前显示共 ") + QString::number(n) + QStringLiteral(" 项");
}

} // namespace

SourceListStatement BuildSourceListStatement(const SourceListFilter &filter, const QString &keyword)
{
    QStringList lines{QStringLiteral("select * from TB_Source where 1=1")};
    QVariantList values;
    if (filter.codeFilter == SourceListFilter::WithCode)
        lines << QStringLiteral("and outer_id<>''");
    else if (filter.codeFilter == SourceListFilter::WithoutCode)
        lines << QStringLiteral("and outer_id=''");
    if (filter.codeFilter == SourceListFilter::NotInTarget) {
        const QString e = MatchingKeys::expression(filter.matchingKey, QString(), filter.normalisedKeys);
        if (!e.isEmpty())
            lines << QStringLiteral("and ") + e + QStringLiteral(" not in (select ") + e +
                         QStringLiteral(" from TB_Object where ") + e + QStringLiteral(" is not null)");
    }
    const QString k = keyword;
    if (filter.exactSearch) {
        const int f = std::clamp(filter.field, 0, 6);
        lines << QStringLiteral(" and (") + QLatin1String(kExactColumns[f]) + QStringLiteral(" like ?)");
        values << SqlText(k);
    } else if (!k.isEmpty()) {
        const QString pattern = QStringLiteral("%") + k + QStringLiteral("%");
        lines << QStringLiteral(" and ((title like ?) or (outer_id like ?) or (color like ?) or (sku like ?)"
                                " or (num_iid like ?) or (oldcode like ?) or (sku_id like ?))");
        for (int i = 0; i < 7; ++i)
            values << pattern;
    }
    lines << QStringLiteral("order by outer_id,color,sku");
    return {lines.join(QLatin1Char('\n')), values};
}

SourceList::SourceList(const QSqlDatabase &db, ListModel &model, JobHost &jobs, Interaction &ui, Desktop &desktop,
                       QObject *parent)
    : QObject(parent), m_db(db), m_model(model), m_jobs(jobs), m_ui(ui), m_desktop(desktop)
{
    m_itemPage = [](const QString &id) { return TopEndpoints::defaults().itemPageOf(id); };
    // the totals line follows a fill that goes on between the window's events
    connect(&m_model, &ListModel::fillProgress, this, [this](int rows) {
        setTotals(QStringLiteral("读取数据中...(") + QString::number(rows) + QLatin1Char(')'));
    });
}

QStringList SourceList::headers()
{
    return {QStringLiteral("宝贝名称"),   QStringLiteral("主商家编码"), QStringLiteral("颜色"),
            QStringLiteral("SKU(尺码)"),  QStringLiteral("数量"),       QStringLiteral("价格"),
            QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
            QStringLiteral("状态"),       QStringLiteral("卖家昵称"),   QStringLiteral("SKU属性值"),
            QStringLiteral("货号"),       QString()};
}

QStringList SourceList::searchFields()
{
    return {QStringLiteral("宝贝名称"),    QStringLiteral("主商家编码"), QStringLiteral("颜色"),
            QStringLiteral("SKU(尺码)"),   QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"),
            QStringLiteral("货号")};
}

QString SourceList::itemPage(const QString &numIid) const
{
    return m_itemPage(numIid);
}

void SourceList::setTotals(const QString &text)
{
    m_totals = text;
    Q_EMIT totalsChanged(text);
}

void SourceList::setUpdateLabel(const QString &text)
{
    m_updateLabel = text;
    Q_EMIT updateLabelChanged(text);
}

bool SourceList::GetData_TB_Source(const QString &keyword, bool listShown)
{
    if (m_jobs.busy())
        return false;
    Q_EMIT controlsEnabled(false);
    ProgressPanelState &panel = m_jobs.panel1();
    panel.show(QStringLiteral("读取数据中..."), false);

    m_filter.normalisedKeys = Settings(m_db).flag(Setting::NormalisedKeys);
    const SourceListStatement st = BuildSourceListStatement(m_filter, keyword);
    setUpdateLabel(QStringLiteral("源宝贝库存更新时间:") + Settings(m_db).text(Setting::SourceDownloadTime));
    // an unfinished fill lets go of its statement first
    m_model.clear();
    auto q = std::make_shared<QSqlQuery>(m_db);
    q->setForwardOnly(true);
    q->prepare(st.sql);
    for (const QVariant &v : st.values)
        q->addBindValue(v);
    const bool ok = q->exec();
    QString error = ok ? QString() : q->lastError().text();
    if (ok) {
        const QSqlRecord rec = q->record();
        SourceColumns c;
        c.title = rec.indexOf(QStringLiteral("title"));
        c.fenxiao = rec.indexOf(QStringLiteral("is_fenxiao"));
        c.status = rec.indexOf(QStringLiteral("approve_status"));
        c.uniqid = rec.indexOf(QStringLiteral("Uniqid"));
        const char *const cellColumns[] = {"outer_id", "color",  "sku",         "num",          "price",
                                           "outer_id_sku", "num_iid", "sku_id", nullptr /*status*/, "nick",
                                           "sku_properties", "oldcode"};
        for (int i = 0; i < 12; ++i)
            c.cells[i] = cellColumns[i] ? rec.indexOf(QLatin1String(cellColumns[i])) : -1;
        // the first screen at once, the rest in chunks (between the window's
        // events when it shows the list)
        m_model.fill(
            [q, c](std::vector<ListRow> &out, int max) {
                for (int n = 0; n < max; ++n) {
                    if (!q->next())
                        return false;
                    out.push_back(SourceRow(*q, c));
                }
                return true;
            },
            [this, listShown] {
                setTotals(shownCount(m_model.count()));
                if (listShown && m_filter.codeFilter == SourceListFilter::All)
                    GetTotal_Source();
            });
    }
    panel.hide();
    if (m_model.filling())
        setTotals(QStringLiteral("读取数据中...(") + QString::number(m_model.count()) + QLatin1Char(')'));
    else if (!ok)
        setTotals(shownCount(m_model.count()));
    if (!ok)
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    Q_EMIT controlsEnabled(true);
    return ok;
}

void SourceList::GetTotal_Source()
{
    auto count = [this](const QString &sql) {
        QSqlQuery q(m_db);
        return q.exec(sql) && q.next() ? q.value(0).toInt() : 0;
    };
    const int t = count(QStringLiteral("select count(*) from Tb_source"));
    const int w = count(QStringLiteral("select count(*) from Tb_source where outer_id<>''"));
    setTotals(QStringLiteral(" 共 ") + QString::number(t) + QStringLiteral(" 项,其中有商家编码 ") + QString::number(w) +
              QStringLiteral(" 项,") + QStringLiteral("无商家编码 ") + QString::number(t - w) + QStringLiteral(" 项"));
    showUpdateTime();
}

void SourceList::showUpdateTime()
{
    setUpdateLabel(QStringLiteral("更新时间:") + Settings(m_db).text(Setting::SourceDownloadTime));
}

void SourceList::deleteRows(std::vector<int> selected)
{
    m_model.finishFill(); // the statement below changes the table the list reads
    const auto nameOfOne = [](const ListRow &r) -> QString {
        return r.cells.value(0) + QLatin1Char('.') + r.caption;
    };
    const auto deleteIds = [this](const QVariantList &ids, QString *error) {
        return DeleteByUniqid(m_db, QStringLiteral("TB_Source"), ids, error);
    };
    if (AskThenDeleteRows(m_model, m_ui, std::move(selected), nameOfOne, deleteIds))
        setTotals(shownCount(m_model.count()));
}

void SourceList::emptyAll()
{
    if (!m_ui.ask(QStringLiteral("是否要清空源店铺所有已下载数据?")))
        return;
    m_model.clear();
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("delete from tb_source"))) {
        m_ui.message(Interaction::errorCaption(), q.lastError().text(), Interaction::Icon::Error);
        return;
    }
    m_ui.info(QStringLiteral("完成清空源店铺所有已下载数据，请确认."));
    m_model.clear();
    setTotals(shownCount(0));
}

QStringList SourceList::exportLines(std::vector<int> selected) const
{
    selected = RowsInListOrder(std::move(selected), m_model.count());
    // quoted like the other exports: a title with a comma stays one field
    QStringList lines{CsvLine(headers())};
    for (int r : selected) {
        const ListRow &row = m_model.row(r);
        QStringList fields{row.caption};
        for (int c = 0; c <= 12; ++c)
            fields << row.cells.value(c);
        lines << CsvLine(fields);
    }
    return lines;
}

void SourceList::exportRows(std::vector<int> selected)
{
    if (SaveExportLines(m_ui, QStringLiteral("sExport"), exportLines(std::move(selected))))
        m_ui.info(QStringLiteral("完成选中项另存为,请确认"));
}

void SourceList::CopyText_Source(std::vector<int> selected, int column)
{
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m_model.count())) {
        const ListRow &row = m_model.row(r);
        values << (column < 0 ? row.caption : row.cells.value(column));
    }
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

void SourceList::copyItemPages(std::vector<int> selected)
{
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m_model.count()))
        values << itemPage(m_model.row(r).cells.value(6));
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

void SourceList::openItemPage(std::vector<int> selected)
{
    const std::vector<int> rows = RowsInListOrder(std::move(selected), m_model.count());
    if (rows.empty())
        return;
    m_desktop.openUrl(itemPage(m_model.row(rows.front()).cells.value(6)));
}
