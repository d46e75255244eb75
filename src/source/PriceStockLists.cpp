#include "source/PriceStockLists.h"

#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/RowDeletion.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "source/PriceStockFile.h"
#include "store/DeleteRows.h"
#include "store/SqlValues.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace {

const char *const kStockColumns[] = {"outer_id", "color", "sku", "outer_id_sku", "oldcode", "num"};

QString table(PriceStockLists::Kind kind)
{
    return kind == PriceStockLists::Price ? QStringLiteral("TB_Source_Price") : QStringLiteral("TB_Source_Stock");
}

QString column(PriceStockLists::Kind kind, int cell)
{
    if (kind == PriceStockLists::Price)
        return cell == 0 ? QStringLiteral("outer_id") : QStringLiteral("Price");
    return QString::fromLatin1(kStockColumns[cell]);
}

// "price" of "导入商品价格数据", "stock" of "导入商品库存数据"
QString what(PriceStockLists::Kind kind)
{
    return kind == PriceStockLists::Price ? QStringLiteral("商品价格") : QStringLiteral("商品库存");
}

QString shownCount(int n)
{
    return QStringLiteral(" 当前显示共 ") + QString::number(n) + QStringLiteral(" 项");
}

} // namespace

PriceStockLists::PriceStockLists(const QSqlDatabase &db, JobHost &jobs, Interaction &ui, Desktop &desktop,
                                 QObject *parent)
    : QObject(parent), m_db(db), m_jobs(jobs), m_ui(ui), m_desktop(desktop)
{
    for (Kind k : {Price, Stock}) {
        m_models[k] = new ListModel(this);
        m_models[k]->setHeaders(headers(k));
        m_models[k]->setBanding(true);
    }
}

ListModel &PriceStockLists::model(Kind kind) const
{
    return *m_models[kind];
}

QStringList PriceStockLists::headers(Kind kind)
{
    if (kind == Price)
        return {QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("价格")};
    return {QStringLiteral("序号"),        QStringLiteral("主商家编码"), QStringLiteral("颜色"),
            QStringLiteral("SKU(尺码)"),   QStringLiteral("SKU商家编码"), QStringLiteral("货号"),
            QStringLiteral("数量")};
}

int PriceStockLists::fieldCount(Kind kind)
{
    return kind == Price ? 2 : 6;
}

bool PriceStockLists::read(Kind kind, const QString &keyword, std::vector<ListRow> &rows, QString *error) const
{
    QStringList lines;
    QVariantList values;
    const QString pattern = QStringLiteral("%") + keyword + QStringLiteral("%");
    if (kind == Price) {
        lines << QStringLiteral("select outer_id,Price,Uniqid from TB_Source_Price where 1=1");
        if (!keyword.isEmpty()) {
            lines << QStringLiteral(" and (outer_id like ?)");
            values << pattern;
        }
        if (m_onlyMissing) {
            lines << QStringLiteral("and outer_id not in (select outer_id from tb_object where userid=? "
                                    "and outer_id is not null)");
            values << SqlText(m_account ? m_account() : QString());
        }
    } else {
        lines << QStringLiteral("select outer_id,color,sku,outer_id_sku,oldcode,num,Uniqid from TB_Source_Stock "
                                "where 1=1");
        if (!keyword.isEmpty()) {
            lines << QStringLiteral(" and (outer_id like ? or color like ? or sku like ? or outer_id_sku like ?)");
            for (int i = 0; i < 4; ++i)
                values << pattern;
        }
    }
    lines << QStringLiteral("order by Uniqid");
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(lines.join(QLatin1Char('\n')));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    const int cells = kind == Price ? 3 : 7;
    rows.clear();
    while (q.next()) {
        ListRow r;
        r.caption = QString::number(rows.size() + 1);
        for (int c = 0; c < cells; ++c)
            r.cells << q.value(c).toString();
        r.imageIndex = 0;
        rows.push_back(std::move(r));
    }
    return true;
}

bool PriceStockLists::list(Kind kind, const QString &keyword)
{
    if (m_jobs.busy())
        return false;
    // the listing is no job: a cancelled job's flag does not stop it
    ProgressPanelState &panel = m_jobs.panel1();
    panel.show(QStringLiteral("读取数据中..."), false);
    std::vector<ListRow> rows;
    QString error;
    const bool ok = read(kind, keyword, rows, &error);
    if (ok)
        panel.setCaption(QStringLiteral("读取数据中...(") + QString::number(rows.size()) + QLatin1Char('/') +
                         QString::number(rows.size()) + QLatin1Char(')'));
    m_models[kind]->setRows(std::move(rows));
    panel.hide();
    setTotals(kind);
    if (!ok)
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    return ok;
}

QString PriceStockLists::totalsText(Kind kind) const
{
    return shownCount(m_models[kind]->count());
}

void PriceStockLists::setTotals(Kind kind)
{
    Q_EMIT totalsChanged(kind, totalsText(kind));
}

bool PriceStockLists::execBound(const QString &sql, const QVariantList &values, QString *error)
{
    QSqlQuery q(m_db);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (q.exec())
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

PriceStockLists::ImportResult PriceStockLists::importFile(Kind kind, const QString &path, bool append)
{
    ImportResult r;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("无法读取文件 ") + path + QStringLiteral(": ") + file.errorString();
        return r;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    return importBytes(kind, bytes, append);
}

PriceStockLists::ImportResult PriceStockLists::importBytes(Kind kind, const QByteArray &bytes, bool append)
{
    ImportResult r;
    // the whole file is read and checked before anything is stored
    const ParsedListFile parsed =
        ParsePriceStockFile(kind == Price ? ListFileKind::Price : ListFileKind::Stock, bytes);
    r.lines = parsed.lines;
    if (!parsed.ok) {
        r.failedLine = parsed.failedLine;
        r.failedText = parsed.failedText;
        r.error = parsed.error;
        return r;
    }

    ProgressPanelState &panel = m_jobs.panel1();
    const QString caption = QStringLiteral("正在从文件导入") + what(kind) + QStringLiteral("数据...");
    panel.show(caption, false);
    auto fail = [&](int line, const QString &text, const QString &error) {
        m_db.rollback();
        panel.hide();
        r.ok = false;
        r.imported = 0;
        r.failedLine = line;
        r.failedText = ShortenedForMessage(text);
        r.error = error;
        return r;
    };
    if (!m_db.transaction())
        return fail(0, QString(), m_db.lastError().text());
    QString error;
    if (!append && !execBound(QStringLiteral("delete from ") + table(kind), {}, &error))
        return fail(0, QString(), error);

    const QString insert = kind == Price
                               ? QStringLiteral("insert into tb_source_price(outer_id,price) values(?,?)")
                               : QStringLiteral("insert into tb_source_stock(outer_id,color,sku,outer_id_sku,oldcode,"
                                                "num) values(?,?,?,?,?,?)");
    QSqlQuery q(m_db);
    if (!q.prepare(insert))
        return fail(0, QString(), q.lastError().text());
    int imported = 0;
    for (const ListFileRecord &record : parsed.records) {
        panel.setCaption(caption + QLatin1Char('(') + QString::number(record.line) + QLatin1Char('/') +
                         QString::number(r.lines) + QLatin1Char(')'));
        for (const QVariant &v : record.values)
            q.addBindValue(v.typeId() == QMetaType::QString ? SqlText(v.toString()) : v);
        if (!q.exec())
            return fail(record.line, record.text, q.lastError().text());
        ++imported;
    }
    if (!m_db.commit())
        return fail(0, QString(), m_db.lastError().text());
    panel.hide();
    r.ok = true;
    r.imported = imported;
    return r;
}

QString PriceStockLists::importMessage(Kind kind, const ImportResult &result)
{
    if (result.ok)
        return QStringLiteral("导入") + what(kind) + QStringLiteral("数据,请确认. 共 ") +
               QString::number(result.imported) + QStringLiteral(" 项");
    QString error = result.error;
    if (result.failedLine > 0)
        error = QStringLiteral("第 ") + QString::number(result.failedLine) + QStringLiteral(" 行 \"") +
                result.failedText + QStringLiteral("\": ") + result.error;
    return QStringLiteral("导入失败请检查csv文件内容是否正确.\r\n其中 ") + QString::number(result.imported) +
           QStringLiteral(" 项已被导入.ERROR:") + error;
}

void PriceStockLists::importClick(Kind kind, bool append)
{
    if (m_jobs.busy())
        return;
    const QString title = kind == Price
                              ? QStringLiteral("导入商品价格列表-csv格式: 主商家编码,价格")
                              : QStringLiteral("导入商品库存列表-csv格式: 主商家编码,颜色,SKU(尺码),SKU商家编码,货号,数量");
    const QString path = m_ui.openFileName(title, QStringLiteral("*.csv(csv格式)|*.csv;*.txt"));
    if (path.isEmpty())
        return;
    if (!m_ui.ask(QStringLiteral("请确认是否要从文件导入") + what(kind) + QStringLiteral("数据?")))
        return;
    const ImportResult result = importFile(kind, path, append);
    if (result.ok)
        m_ui.info(importMessage(kind, result));
    else
        m_ui.warn(importMessage(kind, result));
    list(kind, QString());
}

QString PriceStockLists::editLabel(Kind kind, int cell)
{
    if (cell == 0)
        return QStringLiteral("修改主商家编码");
    if (kind == Price)
        return QStringLiteral("修改价格");
    const char *labels[] = {"", "修改颜色", "修改SKU(尺码)", "修改SKU商家编码", "修改货号", "修改数量"};
    return QString::fromUtf8(labels[std::clamp(cell, 0, 5)]);
}

void PriceStockLists::editCell(Kind kind, int row, int cell)
{
    ListModel &m = *m_models[kind];
    if (row < 0 || row >= m.count()) {
        m_ui.warn(QStringLiteral("请选择要修改的项."));
        return;
    }
    const QString current = m.row(row).cells.value(cell);
    const QString uniqid = m.row(row).uniqid();
    const QString label = editLabel(kind, cell);
    const std::optional<QString> answer = m_ui.prompt(label + QStringLiteral(":\"") + current + QLatin1Char('"'),
                                                      QStringLiteral("请输入新值:"), current);
    if (!answer || *answer == current)
        return;
    QString value = *answer;
    QVariant bound = SqlText(value);
    const bool price = kind == Price && cell == 1;
    const bool quantity = kind == Stock && cell == 5;
    if ((price || quantity) && !IsNumericText(value))
        return;
    if (price) {
        // the same money rule as the import: the platform takes nothing else
        double amount = 0;
        const QString problem = PriceValueProblem(value, &amount);
        if (!problem.isEmpty()) {
            m_ui.warn(problem + QStringLiteral(", 价格没有修改."));
            return;
        }
        bound = amount;
    }
    if (quantity) {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok)
            return;
        const double whole = std::trunc(v);
        qint64 num = 0;
        const QString problem =
            whole > 1e15 ? QuantityValueProblem(value, &num)
                         : QuantityValueProblem(QString::number(static_cast<qint64>(whole)), &num);
        if (!problem.isEmpty()) {
            m_ui.warn(problem + QStringLiteral(", 数量没有修改."));
            return;
        }
        value = QString::number(num);
        if (value == current)
            return;
        bound = num;
    }
    QString error;
    if (!execBound(QStringLiteral("Update ") + table(kind) + QStringLiteral(" Set ") + column(kind, cell) +
                       QStringLiteral("=?\nWhere Uniqid=?"),
                   {bound, uniqid.toLongLong()}, &error)) {
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        return;
    }
    m.setCell(row, cell, value);
}

void PriceStockLists::deleteRows(Kind kind, std::vector<int> selected)
{
    const auto nameOfOne = [](const ListRow &r) -> QString { return r.cells.value(0); };
    const auto deleteIds = [this, kind](const QVariantList &ids, QString *error) {
        return DeleteByUniqid(m_db, table(kind), ids, error);
    };
    if (AskThenDeleteRows(*m_models[kind], m_ui, std::move(selected), nameOfOne, deleteIds))
        setTotals(kind);
}

void PriceStockLists::clearClick(Kind kind, const QString &keyword)
{
    if (m_jobs.busy())
        return;
    const QString name = kind == Price ? QStringLiteral("自定义商品价格表") : QStringLiteral("自定义商品库存列表");
    if (!m_ui.ask(QStringLiteral("是否执行清空") + name + QLatin1Char('?')))
        return;
    QString error;
    if (!execBound(QStringLiteral("delete from ") + table(kind), {}, &error)) {
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        return;
    }
    m_ui.info(QStringLiteral("完成清空") + name + QLatin1Char('.'));
    list(kind, keyword);
}

bool PriceStockLists::mergeStock(int *before, int *after, QString *error)
{
    auto count = [this](int *out) {
        QSqlQuery q(m_db);
        if (out && q.exec(QStringLiteral("select count(*) from TB_Source_Stock")) && q.next())
            *out = q.value(0).toInt();
    };
    count(before);
    if (!m_db.transaction()) {
        if (error)
            *error = m_db.lastError().text();
        return false;
    }
    const QStringList steps = {
        QStringLiteral("delete from TB_Source_Stock_Tmp"),
        QStringLiteral("Insert into TB_Source_Stock_Tmp(outer_id,color,sku,outer_id_sku,oldcode,num)\n"
                       "select outer_id,color,sku,outer_id_sku,oldcode,sum(num) from TB_Source_Stock\n"
                       "group by outer_id,color,sku,outer_id_sku,oldcode"),
        QStringLiteral("delete from TB_Source_Stock"),
        QStringLiteral("Insert into TB_Source_Stock(outer_id,color,sku,outer_id_sku,oldcode,num)\n"
                       "select outer_id,color,sku,outer_id_sku,oldcode,num from TB_Source_Stock_tmp"),
        QStringLiteral("delete from TB_Source_Stock_Tmp"),
    };
    for (const QString &s : steps) {
        if (!execBound(s, {}, error)) {
            m_db.rollback();
            return false;
        }
    }
    if (!m_db.commit()) {
        if (error)
            *error = m_db.lastError().text();
        m_db.rollback();
        return false;
    }
    count(after);
    return true;
}

void PriceStockLists::mergeClick(const QString &keyword)
{
    if (m_jobs.busy())
        return;
    if (!m_ui.ask(QStringLiteral("是否要合并重复行?")))
        return;
    QString error;
    if (!mergeStock(nullptr, nullptr, &error)) {
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        return;
    }
    m_ui.info(QStringLiteral("完成合并重复行,请确认"));
    list(Stock, keyword);
}

void PriceStockLists::copy(Kind kind, std::vector<int> selected, int column)
{
    const ListModel &m = *m_models[kind];
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m.count()))
        values << (column < 0 ? m.row(r).caption : m.row(r).cells.value(column));
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}
