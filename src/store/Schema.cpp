#include "store/Schema.h"

#include "store/Parameters.h"
#include "store/Settings.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Text columns compare without regard to ASCII case; declared widths are
// enforced, as the original engine refused longer values.
QString nv(const QString &column, int width)
{
    return column + QStringLiteral(" nvarchar(%1) COLLATE NOCASE not null default '' CHECK(length(%2)<=%1)")
                        .arg(width)
                        .arg(column);
}

const QString kId = QStringLiteral("Uniqid INTEGER PRIMARY KEY AUTOINCREMENT");

// The item columns TB_Source and TB_Object are created with.
QString baseItemColumns()
{
    const QString t = QStringLiteral(" text COLLATE NOCASE default ''");
    return QStringLiteral("title") + t + QStringLiteral(", outer_id") + t + QStringLiteral(", color") + t +
           QStringLiteral(", sku") + t + QStringLiteral(", num int default 0, price Money default 0, outer_id_sku") +
           t + QStringLiteral(", num_iid") + t + QStringLiteral(", sku_id") + t + QStringLiteral(", approve_status") + t;
}

bool runStatements(const QSqlDatabase &db, const QStringList &statements, QString *error)
{
    QSqlQuery q(db);
    for (const QString &s : statements) {
        if (!q.exec(s)) {
            if (error)
                *error = q.lastError().text() + QStringLiteral("\r\n") + s;
            return false;
        }
    }
    return true;
}

struct IndexDef
{
    const char *name;
    const char *on;
};

const IndexDef kIndexes[] = {
    {"IX_Source_01", "TB_Source(outer_id,color,sku)"},
    {"IX_Source_02", "TB_Source(sku)"},
    {"IX_Source_03", "TB_Source(outer_id,color,sku,outer_id_sku)"},
    {"IX_Source_04", "TB_Source(outer_id,outer_id_sku)"},
    {"IX_Source_05", "TB_Source(outer_id,color,outer_id_sku)"},
    {"IX_Source_06", "TB_Source(oldcode,color,sku)"},
    {"IX_Source_07", "TB_Source(oldcode,color)"},
    {"IX_Source_08", "TB_Source(oldcode,sku)"},
    {"IX_Object_01", "TB_Object(outer_id,color,sku)"},
    {"IX_Object_02", "TB_Object(sku)"},
    {"IX_Object_03", "TB_Object(outer_id,color,sku,outer_id_sku)"},
    {"IX_Object_04", "TB_Object(outer_id,outer_id_sku)"},
    {"IX_Object_05", "TB_Object(outer_id,color,outer_id_sku)"},
    {"IX_Object_06", "TB_Object(oldcode,color,sku)"},
    {"IX_Object_07", "TB_Object(oldcode,color)"},
    {"IX_Object_08", "TB_Object(oldcode,sku)"},
    {"IX_Source_Tmp_01", "TB_Source_Tmp(PKValue)"},
    {"IX_Object_Tmp_01", "TB_Object_Tmp(PKValue)"},
    // the list entries are looked up by item id after every stored item
    {"IX_URL_01", "TB_URL(num_iid)"},
};

bool catalogueHas(const QSqlDatabase &db, const QString &type, const QString &name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select 1 from sqlite_master where type=? and lower(name)=lower(?)"));
    q.addBindValue(type);
    q.addBindValue(name);
    return q.exec() && q.next();
}

} // namespace

bool TableExists(const QSqlDatabase &db, const QString &table)
{
    return catalogueHas(db, QStringLiteral("table"), table);
}

bool IndexExists(const QSqlDatabase &db, const QString &index)
{
    return catalogueHas(db, QStringLiteral("index"), index);
}

bool ColumnExists(const QSqlDatabase &db, const QString &table, const QString &column)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select 1 from pragma_table_info(?) where lower(name)=lower(?)"));
    q.addBindValue(table);
    q.addBindValue(column);
    return q.exec() && q.next();
}

QStringList IndexNames()
{
    QStringList names;
    for (const IndexDef &d : kIndexes)
        names.append(QString::fromLatin1(d.name));
    return names;
}

QString IndexStatement(const QString &index)
{
    for (const IndexDef &d : kIndexes)
        if (index.compare(QLatin1String(d.name), Qt::CaseInsensitive) == 0)
            return QStringLiteral("CREATE INDEX ") + QLatin1String(d.name) + QStringLiteral("\nON ") +
                   QLatin1String(d.on);
    return {};
}

bool CreateBaseSchema(const QSqlDatabase &db, QString *error)
{
    // Base tables in the shape the migration expects to find; the columns it
    // adds are left to it.
    const QString t = QStringLiteral(" text COLLATE NOCASE default ''");
    const QString itemColumns = baseItemColumns();
    const QStringList statements = {
        QStringLiteral("Create Table TB_Source\n(bCheck bit default 0, ") + itemColumns + QStringLiteral(", nick") +
            t + QStringLiteral(", ") + kId + QStringLiteral(")"),
        QStringLiteral("Create Table TB_Object\n(UserID") + t + QStringLiteral(", bCheck bit default 1, ") +
            itemColumns + QStringLiteral(", ") + kId + QStringLiteral(")"),
        QStringLiteral("Create Table TB_URL\n(") + kId + QStringLiteral(", bCheck bit default 1, uGroup int default 0, num_iid") + t +
            QStringLiteral(", detail_url") + t + QStringLiteral(", title") + t + QStringLiteral(", outer_id") + t +
            QStringLiteral(", outer_id2") + t + QStringLiteral(", approve_status") + t + QStringLiteral(", nick") + t +
            QStringLiteral(")"),
        QStringLiteral("Create Table TB_Groups\n(") + kId + QStringLiteral(", GroupName") + t + QStringLiteral(")"),
        QStringLiteral("Create Table _Parameter\n(NM int, ParaValue") + t + QStringLiteral(", ParaDesc") + t +
            QStringLiteral(")"),
        QStringLiteral("Create Table _Account\n(") + kId + QStringLiteral(", UserName") + t + QStringLiteral(", Password") +
            t + QStringLiteral(", remark") + t + QStringLiteral(")"),
        QStringLiteral("Create Table _AppKey\n(bCheck bit default 0, appkey") + t + QStringLiteral(", AppSecret") + t +
            QStringLiteral(")"),
        QStringLiteral("insert into _AppKey(bCheck,appkey,AppSecret) values(0,'','')"),
        // the source list's own default group; the migration adds the target list's
        QStringLiteral("insert into TB_Groups(GroupName) values('默认组')"),
    };
    if (!runStatements(db, statements, error))
        return false;

    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into _Parameter(NM,ParaValue,ParaDesc) values(?,?,?)"));
    for (const SettingDefinition *d = Settings::begin(); d != Settings::end(); ++d) {
        if (!d->createdWithDatabase)
            continue;
        q.addBindValue(int(d->key));
        q.addBindValue(QString::fromUtf8(d->value));
        q.addBindValue(QString::fromUtf8(d->description));
        if (!q.exec()) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

bool SchemaMigration::exec(const QString &statement)
{
    QSqlQuery q(m_db);
    if (!q.exec(statement)) {
        m_error = q.lastError().text() + QStringLiteral("\r\n") + statement;
        return false;
    }
    m_executed.append(statement);
    return true;
}

bool SchemaMigration::createTable(const QString &table, const QString &statement)
{
    return TableExists(m_db, table) || exec(statement);
}

bool SchemaMigration::addColumn(const QString &table, const QString &column, const QString &statement)
{
    return ColumnExists(m_db, table, column) || exec(statement);
}

bool SchemaMigration::createIndex(const QString &index)
{
    return IndexExists(m_db, index) || exec(IndexStatement(index));
}

bool SchemaMigration::run()
{
    m_error.clear();
    m_executed.clear();
    const QString alter = QStringLiteral("alter Table ");
    const QString stockColumns = nv(QStringLiteral("outer_id"), 128) + QStringLiteral(", ") +
                                 nv(QStringLiteral("color"), 256) + QStringLiteral(", ") +
                                 nv(QStringLiteral("sku"), 256) + QStringLiteral(", ") +
                                 nv(QStringLiteral("outer_id_sku"), 128) +
                                 QStringLiteral(", num   int not null default 0, ") + kId;

    // 1
    if (!createTable(QStringLiteral("TB_Source_Price"),
                     QStringLiteral("Create Table TB_Source_Price\n(") + nv(QStringLiteral("outer_id"), 128) +
                         QStringLiteral(", Price Money not null default 0, ") + kId + QStringLiteral(")")))
        return false;
    // 2 to 6
    if (!addColumn(QStringLiteral("TB_Source"), QStringLiteral("sku_properties"),
                   alter + QStringLiteral("TB_Source\nadd ") + nv(QStringLiteral("sku_properties"), 256)))
        return false;
    if (!addColumn(QStringLiteral("TB_Source"), QStringLiteral("oldcode"),
                   alter + QStringLiteral("TB_Source\nadd ") + nv(QStringLiteral("oldcode"), 64)))
        return false;
    if (!addColumn(QStringLiteral("TB_Object"), QStringLiteral("sku_properties"),
                   alter + QStringLiteral("TB_Object\nadd ") + nv(QStringLiteral("sku_properties"), 256)))
        return false;
    if (!addColumn(QStringLiteral("TB_Object"), QStringLiteral("oldcode"),
                   alter + QStringLiteral("TB_Object\nadd ") + nv(QStringLiteral("oldcode"), 256)))
        return false;
    if (!addColumn(QStringLiteral("TB_URL"), QStringLiteral("Tag"),
                   alter + QStringLiteral("TB_URL\nadd Tag int not null default 0")))
        return false;
    // 7
    {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("select ParaValue from _Parameter where nm=200"))) {
            m_error = q.lastError().text();
            return false;
        }
        if (q.next()) {
            m_hideNonUnique = q.value(0).toString().trimmed().toInt();
        } else {
            if (!exec(QStringLiteral("Insert into _Parameter(NM,ParaDesc,ParaValue)\n"
                                     "select 200,'不显示不是唯一关联值的宝贝','0'")))
                return false;
            m_hideNonUnique = 0;
        }
    }
    // 8: the target list's default group and the setting that selects it, once
    if (!ColumnExists(m_db, QStringLiteral("TB_Groups"), QStringLiteral("Tag"))) {
        if (!exec(alter + QStringLiteral("TB_Groups\nadd Tag int not null default 0")) ||
            !exec(QStringLiteral("insert into TB_Groups(Tag,GroupName)\nselect 1,'默认组'")) ||
            !exec(QStringLiteral("Insert Into _Parameter(NM,ParaValue,ParaDesc)\nSelect '5','默认组','URL分组2'")))
            return false;
    }
    // 9, 10
    if (!createTable(QStringLiteral("TB_Source_Stock"),
                     QStringLiteral("Create Table TB_Source_Stock\n(") + stockColumns + QStringLiteral(")")))
        return false;
    if (!addColumn(QStringLiteral("TB_Source_Stock"), QStringLiteral("oldcode"),
                   alter + QStringLiteral("TB_Source_Stock\nadd ") + nv(QStringLiteral("oldcode"), 64)))
        return false;
    // 11, 12
    if (!addColumn(QStringLiteral("TB_Source"), QStringLiteral("is_fenxiao"),
                   alter + QStringLiteral("TB_Source\nadd column is_fenxiao int not null default 0")))
        return false;
    if (!addColumn(QStringLiteral("TB_Object"), QStringLiteral("is_fenxiao"),
                   alter + QStringLiteral("TB_Object\nadd column is_fenxiao int not null default 0")))
        return false;
    // 13
    const QStringList names = IndexNames();
    for (int i = 0; i < 16; ++i)
        if (!createIndex(names.at(i)))
            return false;
    // 14
    if (!createTable(
            QStringLiteral("TB_Object_Inventory"),
            QStringLiteral("Create Table TB_Object_Inventory\n(bcheck bit not null default 1, ") +
                nv(QStringLiteral("title"), 128) + QStringLiteral(", ") + nv(QStringLiteral("outer_id"), 128) +
                QStringLiteral(", ") + nv(QStringLiteral("color"), 256) + QStringLiteral(", ") +
                nv(QStringLiteral("sku"), 256) + QStringLiteral(", ") + nv(QStringLiteral("outer_id_sku"), 128) +
                QStringLiteral(", num   int not null default 0, Price Money not null default 0, ") +
                nv(QStringLiteral("num_iid"), 128) + QStringLiteral(", ") + nv(QStringLiteral("sku_id"), 128) +
                QStringLiteral(", ") + nv(QStringLiteral("approve_status"), 24) + QStringLiteral(", ") +
                nv(QStringLiteral("nick"), 128) + QStringLiteral(", delist_time datetime, ") +
                nv(QStringLiteral("has_showcase"), 128) +
                QStringLiteral(", list_time  datetime, valid_thru int not null default 0, ") +
                nv(QStringLiteral("seller_cids"), 64) + QStringLiteral(", ") + kId + QStringLiteral(")")))
        return false;
    // 15, 16
    if (!createTable(QStringLiteral("TB_Object_Tmp"), QStringLiteral("Create Table TB_Object_Tmp\n(") +
                                                          nv(QStringLiteral("PKValue"), 128) + QStringLiteral(")")))
        return false;
    if (!createTable(QStringLiteral("TB_Source_Tmp"), QStringLiteral("Create Table TB_Source_Tmp\n(") +
                                                          nv(QStringLiteral("PKValue"), 128) + QStringLiteral(")")))
        return false;
    if (!createIndex(names.at(16)) || !createIndex(names.at(17)))
        return false;
    // 17
    if (!createTable(QStringLiteral("TB_Source_Stock_Tmp"),
                     QStringLiteral("Create Table TB_Source_Stock_Tmp\n(") + stockColumns + QStringLiteral(")")))
        return false;
    if (!addColumn(QStringLiteral("TB_Source_Stock_Tmp"), QStringLiteral("oldcode"),
                   alter + QStringLiteral("TB_Source_Stock_Tmp\nadd ") + nv(QStringLiteral("oldcode"), 64)))
        return false;
    // 18
    if (!createTable(QStringLiteral("TB_Source_Promotion"),
                     QStringLiteral("Create Table TB_Source_Promotion\n(start_time datetime, end_time datetime, ") +
                         nv(QStringLiteral("promotion_id"), 128) + QStringLiteral(", ") +
                         nv(QStringLiteral("name"), 128) + QStringLiteral(", ") + nv(QStringLiteral("descr"), 128) +
                         QStringLiteral(", ") + nv(QStringLiteral("sku_id"), 128) +
                         QStringLiteral(", Price Money not null default 0, ") + kId + QStringLiteral(")")))
        return false;
    // 19
    if (!addColumn(QStringLiteral("TB_Source"), QStringLiteral("Promo_Price"),
                   alter + QStringLiteral("TB_Source\nadd Promo_Price money not null default 0")))
        return false;
    if (!addColumn(QStringLiteral("TB_Object"), QStringLiteral("Promo_Price"),
                   alter + QStringLiteral("TB_Object\nadd Promo_Price money not null default 0")))
        return false;
    // 20: SQLite finds the list entries of an item without reading the whole list
    if (!createIndex(names.at(18)))
        return false;
    // 21: the source download gathers its rows here and replaces TB_Source
    // with them only when it completes; the columns are those of TB_Source
    if (!createTable(QStringLiteral("TB_Source_Download"),
                     QStringLiteral("Create Table TB_Source_Download\n(bCheck bit default 0, ") + baseItemColumns() +
                         QStringLiteral(", nick text COLLATE NOCASE default '', ") + kId + QStringLiteral(", ") +
                         nv(QStringLiteral("sku_properties"), 256) + QStringLiteral(", ") +
                         nv(QStringLiteral("oldcode"), 64) +
                         QStringLiteral(", is_fenxiao int not null default 0, Promo_Price money not null default 0)")))
        return false;
    // 22: the target download gathers its rows here and replaces the
    // account's rows of TB_Object with them only when it completes; the
    // columns are those of TB_Object
    if (!createTable(QStringLiteral("TB_Object_Download"),
                     QStringLiteral("Create Table TB_Object_Download\n(UserID text COLLATE NOCASE default '', "
                                    "bCheck bit default 1, ") +
                         baseItemColumns() + QStringLiteral(", ") + kId + QStringLiteral(", ") +
                         nv(QStringLiteral("sku_properties"), 256) + QStringLiteral(", ") +
                         nv(QStringLiteral("oldcode"), 256) +
                         QStringLiteral(", is_fenxiao int not null default 0, Promo_Price money not null default 0)")))
        return false;
    // 23: the upload journal, one row per successful update call
    if (!createTable(QStringLiteral("TB_Upload_Journal"),
                     QStringLiteral("Create Table TB_Upload_Journal\n(") + kId +
                         QStringLiteral(", at text not null, UserId text not null default '', "
                                        "num_iid text not null default '', sku_id text not null default '', "
                                        "kind text not null default '', mode text not null default '', "
                                        "before_value text not null default '', after_value text not null default '', "
                                        "started_by text not null default '', title text not null default '')")))
        return false;
    // 24: the journal records a change before it is sent: its state
    // (sent, done, refused, unsettled; rows of older files were all done),
    // the platform's text for a refusal, the sync cycle it belongs to and when
    // its state last changed
    const QString journal = QStringLiteral("TB_Upload_Journal");
    if (!addColumn(journal, QStringLiteral("state"),
                   alter + QStringLiteral("TB_Upload_Journal\nadd state text not null default 'done'")))
        return false;
    if (!addColumn(journal, QStringLiteral("message"),
                   alter + QStringLiteral("TB_Upload_Journal\nadd message text not null default ''")))
        return false;
    if (!addColumn(journal, QStringLiteral("cycle_id"),
                   alter + QStringLiteral("TB_Upload_Journal\nadd cycle_id integer")))
        return false;
    if (!addColumn(journal, QStringLiteral("settled_at"),
                   alter + QStringLiteral("TB_Upload_Journal\nadd settled_at text not null default ''")))
        return false;
    // 25: one row per synchronisation cycle (window plan, sync, plan)
    if (!createTable(QStringLiteral("TB_Sync_Cycle"),
                     QStringLiteral("Create Table TB_Sync_Cycle\n(") + kId +
                         QStringLiteral(", started text not null, ended text not null default '', "
                                        "started_by text not null default '', UserId text not null default '', "
                                        "downloaded integer not null default 0, differing integer not null default 0, "
                                        "uploaded integer not null default 0, refused integer not null default 0, "
                                        "held text not null default '', error text not null default '')")))
        return false;
    // 26: a source list entry whose id the platform refused as invalid in
    // the last download that fetched it carries the platform's text
    if (!addColumn(QStringLiteral("TB_URL"), QStringLiteral("refused"),
                   alter + QStringLiteral("TB_URL\nadd refused text not null default ''")))
        return false;
    return true;
}
