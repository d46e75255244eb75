#include "source/StagedDownload.h"

#include "base/TextRoutines.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "top/ItemDecoding.h"

#include <QSqlError>
#include <cmath>

std::optional<qlonglong> ReplyWholeNumber(const QString &text)
{
    bool ok = false;
    const qlonglong v = TrimText(text).toLongLong(&ok);
    return ok ? std::optional<qlonglong>(v) : std::nullopt;
}

std::optional<double> ReplyMoney(const QString &text)
{
    bool ok = false;
    const double v = TrimText(text).toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(RoundMoney(v)) : std::nullopt;
}

StagedItemRows::StagedItemRows(const QSqlDatabase &db, const QString &table, const QString &ownerColumn)
    : m_itemSql(QStringLiteral("Insert Into ") + table + QStringLiteral("(title,oldcode,is_fenxiao,") + ownerColumn +
                QStringLiteral(",approve_status,outer_id,num,price,num_iid)\nvalues(?,?,?,?,?,?,?,?,?)")),
      m_skuSql(QStringLiteral("Insert Into ") + table + QStringLiteral(" (title,oldcode,is_fenxiao,sku_properties,") +
               ownerColumn +
               QStringLiteral(",outer_id_sku,approve_status,outer_id,color,sku,num,price,num_iid,sku_id)\n"
                              "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)")),
      m_item(db), m_sku(db)
{
    m_item.prepare(m_itemSql);
    m_sku.prepare(m_skuSql);
}

bool StagedItemRows::fail(const QString &why, const QString &statement)
{
    m_error = why;
    m_statement = statement;
    return false;
}

bool StagedItemRows::store(const ItemRecord &item, const QString &owner)
{
    auto notNumbers = [&](const QString &what, const QString &statement) {
        return fail(QStringLiteral("宝贝 ") + item.numIid + what + QStringLiteral(" 的数量或价格不是数字"), statement);
    };
    const auto fenxiao = ReplyWholeNumber(item.isFenxiao.isEmpty() ? QStringLiteral("0") : item.isFenxiao);

    if (item.skus.isEmpty()) {
        const auto num = ReplyWholeNumber(item.num);
        const auto price = ReplyMoney(item.price);
        if (!fenxiao || !num || !price)
            return notNumbers(QStringLiteral(": num=") + item.num + QStringLiteral(" price=") + item.price +
                                  QStringLiteral(" is_fenxiao=") + item.isFenxiao,
                              m_itemSql);
        for (const QVariant &v : {SqlText(item.title), SqlText(item.oldcode), QVariant(*fenxiao), SqlText(owner),
                                  SqlText(item.approveStatus), SqlText(item.outerId), QVariant(*num), QVariant(*price),
                                  SqlText(item.numIid)})
            m_item.addBindValue(v);
        if (!m_item.exec())
            return fail(m_item.lastError().text(), m_itemSql);
    }
    for (const SkuRecord &sku : item.skus) {
        const auto num = ReplyWholeNumber(sku.quantity);
        const auto price = ReplyMoney(sku.price);
        if (!fenxiao || !num || !price)
            return notNumbers(QStringLiteral(" SKU ") + sku.skuId + QStringLiteral(": quantity=") + sku.quantity +
                                  QStringLiteral(" price=") + sku.price,
                              m_skuSql);
        for (const QVariant &v :
             {SqlText(item.title), SqlText(item.oldcode), QVariant(*fenxiao), SqlText(sku.properties), SqlText(owner),
              SqlText(sku.outerId), SqlText(item.approveStatus), SqlText(item.outerId), SqlText(sku.color),
              SqlText(sku.sku), QVariant(*num), QVariant(*price), SqlText(item.numIid), SqlText(sku.skuId)})
            m_sku.addBindValue(v);
        if (!m_sku.exec())
            return fail(m_sku.lastError().text(), m_skuSql);
    }
    return true;
}

ReplyStored StoreReplyItems(const QSqlDatabase &db, const QString &reply, const QString &staging,
                            const QString &ownerColumn, const ReplyItemSteps &steps)
{
    ReplyStored stored;
    const bool easySku = Settings(db).flag(Setting::EasySku);
    QSqlDatabase conn = db;
    conn.transaction();
    {
        StagedItemRows rows(db, staging, ownerColumn);
        DecodeItems(reply, easySku, [&](const ItemRecord &item) {
            if (stored.result != ReplyStored::Result::Ok)
                return;
            switch (steps.admit ? steps.admit(item) : ReplyItemSteps::Admit::Store) {
            case ReplyItemSteps::Admit::Skip:
                return;
            case ReplyItemSteps::Admit::Stop:
                stored.result = ReplyStored::Result::Stopped;
                return;
            case ReplyItemSteps::Admit::Store:
                break;
            }
            if (!rows.store(item, steps.owner(item))) {
                stored = {ReplyStored::Result::Failed, rows.error(), rows.statement()};
                return;
            }
            if (steps.after && !steps.after(item, stored.error, stored.statement))
                stored.result = ReplyStored::Result::Failed;
        });
    }
    if (stored.result == ReplyStored::Result::Failed && steps.rollBackOnFailure)
        conn.rollback();
    else
        conn.commit();
    return stored;
}

StagedReplace::StagedReplace(const QSqlDatabase &db) : m_db(db), m_query(db) {}

StagedReplace::~StagedReplace()
{
    if (m_open)
        m_db.rollback();
}

bool StagedReplace::begin()
{
    if (!m_db.transaction()) {
        m_statement = QStringLiteral("begin");
        m_error = m_db.lastError().text();
        return false;
    }
    m_open = true;
    return true;
}

bool StagedReplace::exec(const QString &sql, const QVariantList &values)
{
    bool ok;
    if (values.isEmpty()) {
        ok = m_query.exec(sql);
    } else {
        ok = m_query.prepare(sql);
        for (const QVariant &v : values)
            m_query.addBindValue(v);
        ok = ok && m_query.exec();
    }
    return ok || fail(sql);
}

bool StagedReplace::move(const QString &staging, const QString &table, const QString &columns)
{
    return exec(QStringLiteral("Insert Into ") + table + QLatin1Char('(') + columns + QStringLiteral(")\nselect ") +
                columns + QStringLiteral(" from ") + staging + QStringLiteral(" order by Uniqid")) &&
           exec(QStringLiteral("delete from ") + staging);
}

bool StagedReplace::commit()
{
    if (!m_db.commit()) {
        m_error = m_db.lastError().text();
        m_statement = QStringLiteral("commit");
        m_db.rollback();
        m_open = false;
        return false;
    }
    m_open = false;
    return true;
}

bool StagedReplace::fail(const QString &statement, const QString &error)
{
    m_statement = statement;
    m_error = error.isEmpty() ? m_query.lastError().text() : error;
    if (m_open)
        m_db.rollback();
    m_open = false;
    return false;
}
