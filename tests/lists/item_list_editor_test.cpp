#include "TestRig.h"
#include "base/ListModel.h"
#include "lists/ItemListEditor.h"
#include "lists/MerchantCodes.h"
#include "store/Settings.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

// An entry of a list in a group of that list; returns its Uniqid.
qlonglong entry(const QSqlDatabase &db, int tag, int group, const QString &id, const QString &title,
                const QString &outerId = QString(), const QString &outerId2 = QString(), int ticked = 0)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into TB_URL(bCheck,Tag,uGroup,num_iid,detail_url,title,outer_id,outer_id2,"
                             "approve_status,nick) values(?,?,?,?,?,?,?,?,'onsale','shop')"));
    for (const QVariant &v : {QVariant(ticked), QVariant(tag), QVariant(group), QVariant(id),
                              QVariant(QStringLiteral("http://127.0.0.1/item.htm?id=") + id), QVariant(title),
                              QVariant(outerId.isNull() ? QStringLiteral("") : outerId),
                              QVariant(outerId2.isNull() ? QStringLiteral("") : outerId2)})
        q.addBindValue(v);
    return q.exec() ? q.lastInsertId().toLongLong() : -1;
}

QStringList column(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    QStringList out;
    if (q.exec(sql))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

// The listed rows as "code|id".
QStringList listed(ItemListEditor &e)
{
    QStringList out;
    for (const ListRow &r : e.model().rows())
        out << r.caption + QLatin1Char('|') + r.cells.value(0);
    return out;
}

int rowOf(ItemListEditor &e, const QString &id)
{
    for (int r = 0; r < e.model().count(); ++r)
        if (e.model().row(r).cells.value(0) == id)
            return r;
    return -1;
}

struct Lists
{
    TestRig rig;
    std::unique_ptr<ItemListEditor> editor;
    int sourceGroup = 0;
    int targetGroup = 0;

    bool open()
    {
        if (!rig.open())
            return false;
        editor = std::make_unique<ItemListEditor>(rig.db(), rig.app->jobs(), rig.app->client(), rig.desktop,
                                                  [](const QString &id) -> QString { return QStringLiteral("http://p/") + id; });
        ItemLists lists(rig.db());
        sourceGroup = lists.defaultGroup(ItemLists::SourceList);
        targetGroup = lists.defaultGroup(ItemLists::TargetList);
        return sourceGroup > 0 && targetGroup > 0;
    }
    void show(int mode)
    {
        editor->setMode(mode);
        editor->GetGroupList();
        editor->GetDataList();
    }
};

} // namespace

class ItemListEditorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void codeRules();
    void effectiveCodesInTheListing();
    void ownCodeClashesOnlyWithOtherOverrides();
    void defaultGroupOfOneModeLeavesTheOther();
    void savingTicksUnderAKeywordChangesListedRowsOnly();
    void awkwardTextIsStoredAndFoundExactly();
    void listCsvForTheCommandLine();
};

void ItemListEditorTest::codeRules()
{
    QCOMPARE(GeneratedMerchantCode(7), QStringLiteral("OV0000000007"));
    QCOMPARE(GeneratedMerchantCode(1234567), QStringLiteral("OV0001234567"));
    QCOMPARE(AutoProcessOuter_ID(QStringLiteral("新款连衣裙 AB-12")), QStringLiteral("AB-12"));
    QCOMPARE(AutoProcessOuter_ID(QStringLiteral("连衣裙AB12-")), QStringLiteral("AB12"));
    QCOMPARE(AutoProcessOuter_ID(QStringLiteral("连衣裙 AB12 (2012)")), QStringLiteral("2012"));
    QCOMPARE(AutoProcessOuter_ID(QStringLiteral("纯中文标题")), QString());
    // "null" declares no code; an empty override leaves the shop's code
    QCOMPARE(EffectiveMerchantCode(QStringLiteral("T100"), QStringLiteral("null")), QString());
    QCOMPARE(EffectiveMerchantCode(QStringLiteral(" T100 "), QString()), QStringLiteral("T100"));
    QCOMPARE(EffectiveMerchantCode(QStringLiteral("T100"), QStringLiteral(" X1 ")), QStringLiteral("X1"));
    QVERIFY(!EffectiveMerchantCode(QString(), QString()).isNull());
}

void ItemListEditorTest::effectiveCodesInTheListing()
{
    Lists l;
    QVERIFY(l.open());
    const QSqlDatabase db = l.rig.db();
    entry(db, 0, l.sourceGroup, QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("T100"), QStringLiteral("null"));
    entry(db, 0, l.sourceGroup, QStringLiteral("2"), QStringLiteral("b"), QStringLiteral("J200"));
    // the row ids decide the generated codes
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("insert into TB_URL(Uniqid,Tag,uGroup,num_iid,title) values(1234567,0,") +
                   QString::number(l.sourceGroup) + QStringLiteral(",'3','c')")));
    l.show(0);
    QCOMPARE(listed(*l.editor), (QStringList{QStringLiteral("|3"), QStringLiteral("J200|2"), QStringLiteral("|1")}));
    l.rig.ui.answerQuestion(true);
    l.editor->CreateOuterIDClick({rowOf(*l.editor, QStringLiteral("3"))});
    QCOMPARE(listed(*l.editor),
             (QStringList{QStringLiteral("OV0001234567|3"), QStringLiteral("J200|2"), QStringLiteral("|1")}));

    // only the rows whose code the target list does not use
    entry(db, 1, l.targetGroup, QStringLiteral("9"), QStringLiteral("t"), QStringLiteral("x"), QStringLiteral("J200"));
    l.editor->setOnlyMissing(true);
    l.editor->GetDataList();
    QCOMPARE(listed(*l.editor), (QStringList{QStringLiteral("OV0001234567|3"), QStringLiteral("|1")}));
    QCOMPARE(l.editor->statusText(), QStringLiteral(" 共 3 项  ,  当前显示2 项"));
}

void ItemListEditorTest::ownCodeClashesOnlyWithOtherOverrides()
{
    Lists l;
    QVERIFY(l.open());
    const QSqlDatabase db = l.rig.db();
    entry(db, 1, l.targetGroup, QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("SHOP1"));
    entry(db, 1, l.targetGroup, QStringLiteral("2"), QStringLiteral("b"), QStringLiteral("x"), QStringLiteral("MINE"));
    // the same override in the other list is no clash either
    entry(db, 0, l.sourceGroup, QStringLiteral("5"), QStringLiteral("s"), QString(), QStringLiteral("SRC"));
    entry(db, 1, l.targetGroup, QStringLiteral("3"), QStringLiteral("c"));
    l.show(1);
    const int row = rowOf(*l.editor, QStringLiteral("3"));
    l.rig.ui.answerPrompt(QStringLiteral(" mine "));
    l.editor->N9Click({row});
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("自定义商家编码失败,原因:\"mine\"商家编码已存在."));
    for (const char *code : {"SHOP1", "SRC"}) {
        l.rig.ui.answerPrompt(QString::fromLatin1(code));
        l.editor->N9Click({row});
        QCOMPARE(l.editor->model().row(row).caption, QString::fromLatin1(code));
    }
    QCOMPARE(column(db, QStringLiteral("select outer_id||'/'||outer_id2 from TB_URL where num_iid='3'")),
             QStringList{QStringLiteral("SRC/SRC")});
    l.rig.ui.answerPrompt(QStringLiteral("   "));
    l.editor->N9Click({row});
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("自定义商家编码不能为空,请重新输入."));
}

void ItemListEditorTest::defaultGroupOfOneModeLeavesTheOther()
{
    Lists l;
    QVERIFY(l.open());
    const QSqlDatabase db = l.rig.db();
    entry(db, 0, l.sourceGroup, QStringLiteral("1"), QStringLiteral("s"));
    entry(db, 1, l.targetGroup, QStringLiteral("2"), QStringLiteral("t"));
    Settings(db).set(Setting::TargetGroups, QStringLiteral("默认组"));
    l.show(0);
    QCOMPARE(l.editor->groups().size(), 1);
    l.editor->setGroupTicked(0, true);
    QCOMPARE(Settings(db).text(Setting::SourceGroups), QStringLiteral("默认组"));

    l.rig.ui.answerPrompt(QStringLiteral("改名组"));
    l.editor->N6Click();
    QCOMPARE(column(db, QStringLiteral("select Tag||GroupName from TB_Groups order by Tag")),
             (QStringList{QStringLiteral("0改名组"), QStringLiteral("1默认组")}));
    // the ticked names are not rewritten: the renamed group comes back unticked
    QVERIFY(!l.editor->groups().first().ticked);

    l.editor->N6Click(); // nothing ticked
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("请选择组.(如果选择多组,将以第一个组为准)"));
    l.editor->setGroupTicked(0, true);
    l.rig.ui.answerQuestion(true);
    l.editor->N7Click();
    QCOMPARE(column(db, QStringLiteral("select Tag||GroupName from TB_Groups")), QStringList{QStringLiteral("1默认组")});
    QCOMPARE(column(db, QStringLiteral("select num_iid from TB_URL")), QStringList{QStringLiteral("2")});
    QCOMPARE(Settings(db).text(Setting::TargetGroups), QStringLiteral("默认组"));

    // a name taken in the other mode may be used; one taken in this mode not
    l.rig.ui.answerPrompt(QStringLiteral("默认组"));
    l.editor->N5Click();
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("新建组完成,请确认."));
    l.rig.ui.answerPrompt(QStringLiteral("默认组"));
    l.editor->N5Click();
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("\"默认组\"该组已存在,请重新输入组名."));
    l.rig.ui.answerPrompt(QStringLiteral("a,b"));
    l.editor->N5Click();
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("新建失败,组名不能包含逗号\",\"."));
}

void ItemListEditorTest::savingTicksUnderAKeywordChangesListedRowsOnly()
{
    Lists l;
    QVERIFY(l.open());
    const QSqlDatabase db = l.rig.db();
    entry(db, 0, l.sourceGroup, QStringLiteral("1"), QStringLiteral("红色外套"), QString(), QString(), 0);
    entry(db, 0, l.sourceGroup, QStringLiteral("2"), QStringLiteral("蓝色外套"), QString(), QString(), 0);
    entry(db, 0, l.sourceGroup, QStringLiteral("3"), QStringLiteral("红色长裙"), QString(), QString(), 1);
    l.editor->setKeyword(QStringLiteral("外套"));
    l.show(0);
    QCOMPARE(l.editor->model().count(), 2);
    l.editor->model().setAllChecked(true);
    l.editor->StartDownloadClick();
    QCOMPARE(l.rig.ui.messages().last(), QStringLiteral("保存配置下载源完成,请确认"));
    QCOMPARE(column(db, QStringLiteral("select num_iid||'='||bCheck from TB_URL order by num_iid")),
             (QStringList{QStringLiteral("1=1"), QStringLiteral("2=1"), QStringLiteral("3=1")}));
    l.editor->model().setAllChecked(false);
    l.editor->StartDownloadClick();
    QCOMPARE(column(db, QStringLiteral("select num_iid||'='||bCheck from TB_URL order by num_iid")),
             (QStringList{QStringLiteral("1=0"), QStringLiteral("2=0"), QStringLiteral("3=1")}));
}

void ItemListEditorTest::awkwardTextIsStoredAndFoundExactly()
{
    Lists l;
    QVERIFY(l.open());
    const QSqlDatabase db = l.rig.db();
    const QString group = QStringLiteral("O'Neil 100%_组😀");
    l.show(1);
    l.rig.ui.answerPrompt(group);
    l.editor->N5Click();
    QCOMPARE(column(db, QStringLiteral("select GroupName from TB_Groups where Tag=1 order by Uniqid")).last(), group);
    const int g = column(db, QStringLiteral("select Uniqid from TB_Groups where Tag=1 order by Uniqid")).last().toInt();
    entry(db, 1, g, QStringLiteral("1"), QStringLiteral("It's 50% off_now 𠀀"));
    entry(db, 1, g, QStringLiteral("2"), QStringLiteral("Its 500 offXnow"));
    entry(db, 1, l.targetGroup, QStringLiteral("3"), QStringLiteral("It's 50% off_now 𠀀 elsewhere"));
    l.editor->GetGroupList();
    QCOMPARE(l.editor->groups().last().name, group);
    l.editor->setAllGroupsTicked(false);
    l.editor->setGroupTicked(static_cast<int>(l.editor->groups().size()) - 1, true);
    QCOMPARE(Settings(db).text(Setting::TargetGroups), group);
    // "%" and "_" are themselves, not wildcards; the group filter holds
    for (const QString &k : {QStringLiteral("50% off_"), QStringLiteral("𠀀")}) {
        l.editor->setKeyword(k);
        QVERIFY(l.editor->GetDataList());
        QCOMPARE(listed(*l.editor), QStringList{QStringLiteral("|1")});
    }
    const int row = 0;
    const QString code = QStringLiteral("O'K_1%😀");
    l.rig.ui.answerPrompt(code);
    l.editor->N9Click({row});
    l.editor->setKeyword(code);
    QVERIFY(l.editor->GetDataList());
    QCOMPARE(listed(*l.editor), QStringList{code + QStringLiteral("|1")});
    // the source item with the same title lends its code
    entry(db, 0, l.sourceGroup, QStringLiteral("8"), QStringLiteral("Its 500 offXnow"), QString(), QStringLiteral("S'1"));
    l.editor->setKeyword(QString());
    l.editor->GetDataList();
    l.rig.ui.answerQuestion(true);
    l.editor->CreateOuterID_TitleClick({rowOf(*l.editor, QStringLiteral("2")), rowOf(*l.editor, QStringLiteral("1"))});
    QCOMPARE(column(db, QStringLiteral("select num_iid||'='||outer_id2 from TB_URL where Tag=1 order by num_iid")),
             (QStringList{QStringLiteral("1="), QStringLiteral("2=S'1"), QStringLiteral("3=")}));
}

void ItemListEditorTest::listCsvForTheCommandLine()
{
    Lists l;
    QVERIFY(l.open());
    entry(l.rig.db(), 1, l.targetGroup, QStringLiteral("7"), QStringLiteral("a, \"b\""), QStringLiteral("T1"),
          QString(), 1);
    QByteArray csv;
    QString error;
    QVERIFY(ItemListCsv(l.rig.db(), 1, QStringLiteral("默认组"), &csv, &error));
    QCOMPARE(QString::fromUtf8(csv), QStringLiteral("主商家编码,宝贝数字ID,宝贝名称,宝贝状态,卖家昵称,勾选\r\n"
                                                    "T1,7,\"a, \"\"b\"\"\",销售中,shop,1\r\n"));
    QVERIFY(!ItemListCsv(l.rig.db(), 1, QStringLiteral("无此组"), &csv, &error));
    QCOMPARE(error, QStringLiteral("没有这个组: 无此组"));
}

QTEST_GUILESS_MAIN(ItemListEditorTest)
#include "item_list_editor_test.moc"
