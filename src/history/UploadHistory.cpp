#include "history/UploadHistory.h"

#include "base/CsvWriter.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

} // namespace

QList<HistoryRow> UploadHistory::rows(const HistoryFilter &f, QString *error) const
{
    // The colour and size come from the account's target row of the SKU (or
    // of the item without SKUs) while it exists; a row deleted since leaves
    // them empty.
    QString sql = QStringLiteral(
        "select j.Uniqid, j.at, j.UserId, j.num_iid, j.sku_id, j.title,\n"
        " coalesce(o.color,''), coalesce(o.sku,''), j.kind, j.mode, j.before_value, j.after_value,\n"
        " j.started_by, j.state, j.message, coalesce(j.cycle_id,0)\n"
        "from TB_Upload_Journal j\n"
        "left join TB_Object o on o.Uniqid=(select min(x.Uniqid) from TB_Object x\n"
        "  where x.num_iid=j.num_iid and x.sku_id=j.sku_id and x.UserID=j.UserId)\n"
        "where 1=1");
    QVariantList binds;
    if (f.from.isValid()) {
        sql += QStringLiteral("\nand j.at>=?");
        binds << f.from.toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (f.to.isValid()) {
        sql += QStringLiteral("\nand j.at<?");
        binds << f.to.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (!f.account.trimmed().isEmpty()) {
        sql += QStringLiteral("\nand j.UserId=?");
        binds << f.account.trimmed();
    }
    if (!f.kind.isEmpty()) {
        sql += QStringLiteral("\nand j.kind=?");
        binds << f.kind;
    }
    if (!f.state.isEmpty()) {
        sql += QStringLiteral("\nand j.state=?");
        binds << f.state;
    }
    const QString keyword = f.keyword.trimmed();
    if (!keyword.isEmpty()) {
        // instr: the keyword's % and _ are plain characters here
        sql += QStringLiteral(
            "\nand instr(lower(j.title||char(1)||j.num_iid||char(1)||j.sku_id||char(1)||j.message||char(1)||"
            "coalesce(o.color,'')||char(1)||coalesce(o.sku,'')), lower(?))>0");
        binds << keyword;
    }
    sql += QStringLiteral("\norder by j.at desc, j.Uniqid desc");

    QList<HistoryRow> out;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        if (error)
            *error = q.lastError().text();
        return out;
    }
    for (const QVariant &b : std::as_const(binds))
        q.addBindValue(b);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return out;
    }
    while (q.next()) {
        HistoryRow r;
        r.id = q.value(0).toLongLong();
        r.at = q.value(1).toString();
        r.account = q.value(2).toString();
        r.numIid = q.value(3).toString();
        r.skuId = q.value(4).toString();
        r.title = q.value(5).toString();
        r.color = q.value(6).toString();
        r.size = q.value(7).toString();
        r.kind = q.value(8).toString();
        r.mode = q.value(9).toString();
        r.before = q.value(10).toString();
        r.after = q.value(11).toString();
        r.startedBy = q.value(12).toString();
        r.state = q.value(13).toString();
        r.message = q.value(14).toString();
        r.cycleId = q.value(15).toLongLong();
        out << r;
    }
    return out;
}

QList<CycleRow> UploadHistory::cycles(const HistoryFilter &f, QString *error) const
{
    QList<CycleRow> out;
    QString sql = QStringLiteral("select Uniqid, started, ended, started_by, UserId, downloaded, differing, uploaded,\n"
                                 " refused, held, error from TB_Sync_Cycle where 1=1");
    QVariantList binds;
    if (f.from.isValid()) {
        sql += QStringLiteral("\nand started>=?");
        binds << f.from.toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (f.to.isValid()) {
        sql += QStringLiteral("\nand started<?");
        binds << f.to.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    }
    if (!f.account.trimmed().isEmpty()) {
        sql += QStringLiteral("\nand UserId=?");
        binds << f.account.trimmed();
    }
    sql += QStringLiteral("\norder by started desc, Uniqid desc");
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    bool ran = q.prepare(sql);
    for (const QVariant &b : std::as_const(binds))
        q.addBindValue(b);
    if (!ran || !q.exec()) {
        if (error)
            *error = q.lastError().text();
        return out;
    }
    while (q.next()) {
        CycleRow c;
        c.id = q.value(0).toLongLong();
        c.started = q.value(1).toString();
        c.ended = q.value(2).toString();
        c.startedBy = q.value(3).toString();
        c.account = q.value(4).toString();
        c.downloaded = q.value(5).toLongLong();
        c.differing = q.value(6).toLongLong();
        c.uploaded = q.value(7).toLongLong();
        c.refused = q.value(8).toLongLong();
        c.held = q.value(9).toString();
        c.error = q.value(10).toString();
        out << c;
    }
    return out;
}

QStringList UploadHistory::accounts() const
{
    QStringList out;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("select distinct UserId from TB_Upload_Journal where UserId<>'' order by UserId")))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

QString UploadHistory::kindText(const QString &kind)
{
    for (const auto &c : kindChoices())
        if (!c.first.isEmpty() && c.first == kind)
            return c.second;
    return kind;
}

QString UploadHistory::stateText(const QString &state)
{
    for (const auto &c : stateChoices())
        if (!c.first.isEmpty() && c.first == state)
            return c.second;
    return state;
}

QString UploadHistory::startedByText(const QString &startedBy)
{
    if (startedBy == QStringLiteral("plan"))
        return QStringLiteral("同步计划");
    if (startedBy == QStringLiteral("person"))
        return QStringLiteral("手动");
    if (startedBy == QStringLiteral("revert"))
        return QStringLiteral("撤销");
    if (startedBy == QStringLiteral("window"))
        return QStringLiteral("窗口");
    if (startedBy == QStringLiteral("sync"))
        return QStringLiteral("命令 sync");
    return startedBy;
}

QList<QPair<QString, QString>> UploadHistory::kindChoices()
{
    return {{QString(), QStringLiteral("全部类别")},
            {QStringLiteral("quantity"), QStringLiteral("库存数量")},
            {QStringLiteral("price"), QStringLiteral("价格")},
            {QStringLiteral("list"), QStringLiteral("上架")},
            {QStringLiteral("delist"), QStringLiteral("下架")},
            {QStringLiteral("list_time"), QStringLiteral("上架时间")}};
}

QList<QPair<QString, QString>> UploadHistory::stateChoices()
{
    return {{QString(), QStringLiteral("全部状态")},
            {QStringLiteral("done"), QStringLiteral("完成")},
            {QStringLiteral("refused"), QStringLiteral("被拒绝")},
            {QStringLiteral("unsettled"), QStringLiteral("未确定")},
            {QStringLiteral("sent"), QStringLiteral("已发送,待确认")}};
}

QStringList UploadHistory::captions()
{
    return {QStringLiteral("时间"),     QStringLiteral("帐号"),     QStringLiteral("宝贝名称"),
            QStringLiteral("颜色"),     QStringLiteral("尺码"),     QStringLiteral("类别"),
            QStringLiteral("更新前"),   QStringLiteral("更新后"),   QStringLiteral("执行者"),
            QStringLiteral("状态"),     QStringLiteral("平台说明"), QStringLiteral("商品数字ID"),
            QStringLiteral("SKU ID")};
}

QStringList UploadHistory::cells(const HistoryRow &r)
{
    return {r.at,         r.account,           r.title,    r.color,
            r.size,       kindText(r.kind),    r.before,   r.after,
            startedByText(r.startedBy), stateText(r.state), r.message, r.numIid,
            r.skuId};
}

QStringList UploadHistory::cycleCaptions()
{
    return {QStringLiteral("开始"),       QStringLiteral("结束"),     QStringLiteral("执行者"),
            QStringLiteral("帐号"),       QStringLiteral("下载行数"), QStringLiteral("差异行数"),
            QStringLiteral("已上传"),     QStringLiteral("被拒绝"),   QStringLiteral("被拦下"),
            QStringLiteral("错误")};
}

QStringList UploadHistory::cycleCells(const CycleRow &c)
{
    return {c.started,
            c.ended,
            startedByText(c.startedBy),
            c.account,
            QString::number(c.downloaded),
            QString::number(c.differing),
            QString::number(c.uploaded),
            QString::number(c.refused),
            c.held,
            c.error};
}

QByteArray UploadHistory::csv(const QStringList &captions, const QList<QStringList> &rows)
{
    CsvWriter out(CsvWriter::Encoding::Utf8WithBom);
    out.addRow(captions);
    out.addRows(rows);
    return out.bytes();
}

QByteArray UploadHistory::historyCsv(const QList<HistoryRow> &rows)
{
    QList<QStringList> cellRows;
    for (const HistoryRow &r : rows)
        cellRows << cells(r);
    return csv(captions(), cellRows);
}

QByteArray UploadHistory::cyclesCsv(const QList<CycleRow> &rows)
{
    QList<QStringList> cellRows;
    for (const CycleRow &c : rows)
        cellRows << cycleCells(c);
    return csv(cycleCaptions(), cellRows);
}

QString UploadHistory::copyText(const QList<HistoryRow> &rows)
{
    QStringList lines;
    for (const HistoryRow &r : rows) {
        QStringList c;
        for (const QString &cell : cells(r))
            c << oneLine(cell);
        lines << c.join(QLatin1Char('\t'));
    }
    return lines.join(QStringLiteral("\r\n"));
}
