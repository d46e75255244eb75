// The target page of the main window on a real database: the controls feed
// the difference query, the selectors ask before they change anything, and
// the formula tab asks before it is left.
#include "TestRig.h"
#include "store/Settings.h"
#include "app/ui/MainWindow.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Parameters.h"
#include "sync/DifferenceQuery.h"
#include "sync/FormulaPage.h"
#include "sync/Formulas.h"
#include "sync/Selectors.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QBrush>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <memory>

class TargetPaneTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRig> m_rig;

    template <class T> T *child(QObject *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qWarning("missing %s", name);
        return c;
    }
    std::unique_ptr<TfrmMain> window()
    {
        auto w = std::make_unique<TfrmMain>(*m_rig->app);
        QSignalSpy loaded(w.get(), &TfrmMain::firstLoadFinished);
        w->resize(1280, 800);
        w->show();
        loaded.wait(2000);
        return w;
    }
    bool exec(const QString &sql)
    {
        QSqlQuery q(m_rig->db());
        if (!q.exec(sql))
            qWarning("%s", qPrintable(sql));
        return q.isActive();
    }
    bool pair(const QString &user, const QString &code, int num, int sourceNum, int fenxiao = 0)
    {
        return exec(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id) "
                                   "values('衬衫','%1','白','M',%2,10,'1','11')")
                        .arg(code)
                        .arg(sourceNum)) &&
               exec(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,"
                                   "approve_status,is_fenxiao) values('%1','衬衫','%2','白','M',%3,10,'2','21',"
                                   "'onsale',%4)")
                        .arg(user, code)
                        .arg(num)
                        .arg(fenxiao));
    }

private Q_SLOTS:
    void init()
    {
        Intervals::setScale(0.01);
        m_rig = std::make_unique<TestRig>();
        QVERIFY(m_rig->open());
    }
    void cleanup()
    {
        m_rig.reset();
        Intervals::setScale(1.0);
    }

    void leavingTheFormulaTabAsksFirst()
    {
        // stored settings to go back to (without them a discarded edit stays)
        QVERIFY(SetFormula(m_rig->app->settings(), Formulas{}));
        const QString stored = GetParam(m_rig->db(), 30);
        auto w = window();
        auto *page = child<QTabWidget>(w.get(), "_ObjectPage");
        auto *other = child<QToolButton>(w.get(), "_Other");
        auto *enabled = child<QCheckBox>(w.get(), "chkDigit");
        auto *multiplier = child<QDoubleSpinBox>(w.get(), "_Digit_MValue");
        auto *addend = child<QDoubleSpinBox>(w.get(), "_Digit_SValue");
        QSignalSpy queries(&m_rig->app->differenceQuery(), &DifferenceQuery::controlsEnabled);
        QCOMPARE(page->tabText(2), QStringLiteral("自定义公式(未启用)"));
        page->setCurrentIndex(2);
        QVERIFY(!other->isEnabled());
        QVERIFY(!multiplier->isEnabled());
        QVERIFY(m_rig->ui.records().isEmpty());

        QTest::mouseClick(enabled, Qt::LeftButton);
        QVERIFY(multiplier->isEnabled());
        QCOMPARE(page->tabText(2), QStringLiteral("自定义公式(已启用)"));
        addend->setValue(-2);
        queries.clear();

        // No: the stored settings come back, the list is reloaded and the
        // change of tab goes no further ("其他功能" stays off on the first tab)
        page->setCurrentIndex(0);
        QCOMPARE(m_rig->ui.records().size(), 1);
        QCOMPARE(m_rig->ui.last()->text, QStringLiteral("是否保存自定义公式?"));
        QCOMPARE(m_rig->ui.last()->icon, Interaction::Icon::Question);
        QVERIFY(!enabled->isChecked());
        QCOMPARE(addend->value(), 0.0);
        QVERIFY(!multiplier->isEnabled());
        QCOMPARE(page->tabText(2), QStringLiteral("自定义公式(未启用)"));
        QCOMPARE(GetParam(m_rig->db(), 30), stored);
        QVERIFY(!queries.isEmpty());
        QVERIFY(!other->isEnabled());
        QVERIFY(!m_rig->app->formulaPage().edited());

        // back without an edit: no question
        page->setCurrentIndex(2);
        QCOMPARE(m_rig->ui.records().size(), 1);

        // Yes: stored, reloaded, and the tab change goes on
        QTest::mouseClick(enabled, Qt::LeftButton);
        addend->setValue(-2);
        m_rig->ui.answerQuestion(true);
        page->setCurrentIndex(0);
        QCOMPARE(m_rig->ui.records().size(), 2);
        QCOMPARE(GetParam(m_rig->db(), 30), QStringLiteral("1;1.00;-2;1;0"));
        QVERIFY(enabled->isChecked());
        QVERIFY(other->isEnabled());
        QCOMPARE(page->tabText(2), QStringLiteral("自定义公式(已启用)"));

        // "保存设置"
        page->setCurrentIndex(2);
        child<QRadioButton>(w.get(), "chkdigit02")->click();
        QTest::mouseClick(child<QWidget>(w.get(), "RzBitBtn1"), Qt::LeftButton);
        QCOMPARE(m_rig->ui.last()->text, QStringLiteral("保存完成，请确认."));
        QCOMPARE(GetParam(m_rig->db(), 30), QStringLiteral("1;1.00;-2;0;1"));
        QVERIFY(!m_rig->app->formulaPage().edited());
    }

    void selectorsAskBeforeTheyChange()
    {
        auto w = window();
        auto *key = child<QComboBox>(w.get(), "_Uniqid");
        auto *mode = child<QComboBox>(w.get(), "_UpgradeStock");
        auto *tips = child<QLabel>(w.get(), "_StatusTips");
        QSignalSpy queries(&m_rig->app->differenceQuery(), &DifferenceQuery::controlsEnabled);
        const QString tipBefore = tips->text();

        // No: the confirmed mode shows again, nothing stored, nothing run
        key->setCurrentIndex(2);
        Q_EMIT key->activated(2);
        QCOMPARE(m_rig->ui.records().size(), 1);
        QCOMPARE(m_rig->ui.last()->caption, QStringLiteral("提示"));
        QCOMPARE(m_rig->ui.last()->icon, Interaction::Icon::Warning);
        QCOMPARE(m_rig->ui.last()->text, ConfirmedSelector(ConfirmedSelector::Kind::MatchingKey).question());
        QCOMPARE(key->currentIndex(), 0);
        QCOMPARE(GetParam(m_rig->db(), 9999), QStringLiteral("0"));
        QCOMPARE(key->palette().color(QPalette::Button), QColor(237, 128, 128));
        QCOMPARE(tips->text(), tipBefore);
        QVERIFY(queries.isEmpty());

        // Yes: stored, coloured, noted in the status bar, and the list reloaded
        m_rig->ui.answerQuestion(true);
        key->setCurrentIndex(2);
        Q_EMIT key->activated(2);
        QCOMPARE(GetParam(m_rig->db(), 9999), QStringLiteral("2"));
        QCOMPARE(key->currentIndex(), 2);
        QCOMPARE(key->property("Tag").toInt(), 2);
        QCOMPARE(key->palette().color(QPalette::Button), QColor(252, 247, 186));
        QCOMPARE(tips->text(), QStringLiteral("注意事项:\"主商家编码+颜色+SKU(尺码)+SKU商家编码\" "
                                              "作为同步的关联值,如源与目标不一致,将不能同步到数据."));
        QVERIFY(!queries.isEmpty());
        QCOMPARE(m_rig->app->differenceQuery().options().confirmedKey, 2);

        // the same index again asks nothing
        Q_EMIT key->activated(2);
        QCOMPARE(m_rig->ui.records().size(), 2);

        // while a progress panel is shown the choice is only shown
        m_rig->app->jobs().panel2().show(QStringLiteral("读取数据中..."), true);
        key->setCurrentIndex(5);
        Q_EMIT key->activated(5);
        QCOMPARE(m_rig->ui.records().size(), 2);
        QCOMPARE(key->currentIndex(), 5);
        QCOMPARE(m_rig->app->keySelector().confirmed(), 2);
        m_rig->app->jobs().panel2().hide();

        // the upload mode: its own question; Yes changes the captions
        auto *differ = child<QRadioButton>(w.get(), "_chkstock2");
        auto *page = child<QTabWidget>(w.get(), "_ObjectPage");
        QCOMPARE(differ->text(), QStringLiteral("仅显示有库存差异的宝贝"));
        QCOMPARE(page->tabText(0), QStringLiteral("目标-店铺宝贝(我的店铺)"));
        mode->setCurrentIndex(1);
        Q_EMIT mode->activated(1);
        QCOMPARE(mode->currentIndex(), 0);
        QCOMPARE(GetParam(m_rig->db(), 9998), QStringLiteral("0"));
        QCOMPARE(differ->text(), QStringLiteral("仅显示有库存差异的宝贝"));
        m_rig->ui.answerQuestion(true);
        mode->setCurrentIndex(1);
        Q_EMIT mode->activated(1);
        QCOMPARE(m_rig->ui.last()->text, ConfirmedSelector(ConfirmedSelector::Kind::UploadMode).question());
        QCOMPARE(GetParam(m_rig->db(), 9998), QStringLiteral("1"));
        QCOMPARE(differ->text(), QStringLiteral("仅显示未上传增量更新过宝贝"));
        QCOMPARE(child<QRadioButton>(w.get(), "_chkstock3")->text(), QStringLiteral("仅显示已上传增量更新过的宝贝"));
        QCOMPARE(page->tabText(0), QStringLiteral("目标-店铺宝贝(我的店铺):增量更新"));
        QCOMPARE(child<QWidget>(w.get(), "_PanelObjectBar")->palette().color(QPalette::Window),
                 QColor(252, 247, 186));
        QCOMPARE(m_rig->app->differenceQuery().options().uploadMode, UploadMode::Incremental);
    }

    void theAccountBoxListsTheShopAccounts()
    {
        QVERIFY(pair(QStringLiteral("shopA"), QStringLiteral("A1"), 5, 7, 1));
        QVERIFY(pair(QStringLiteral("shopB"), QStringLiteral("B1"), 3, 4));
        QSqlQuery q(m_rig->db());
        QVERIFY(q.exec(QStringLiteral("insert into _Account(UserName,Password,remark) "
                                      "values(' shopA ','sealedA',''),('shopB','sealedB','')")));
        QVERIFY(m_rig->app->settings().set(Setting::CurrentAccount, QStringLiteral("shopB")));
        auto w = window();
        auto *users = child<QComboBox>(w.get(), "_users");
        QCOMPARE(users->count(), 2);
        QCOMPARE(users->currentText(), QStringLiteral("shopB"));
        QCOMPARE(m_rig->app->currentAccount(), QStringLiteral("shopB"));
        QCOMPARE(m_rig->app->currentAccountPassword(), QStringLiteral("sealedB"));
        QCOMPARE(m_rig->app->targetModel().count(), 1);
        QCOMPARE(m_rig->app->targetModel().row(0).caption, QStringLiteral("shopB"));

        // choosing another account remembers it and lists its rows
        users->setCurrentIndex(0);
        Q_EMIT users->activated(0);
        QCOMPARE(m_rig->app->settings().text(Setting::CurrentAccount), QStringLiteral("shopA"));
        QCOMPARE(m_rig->app->currentAccountPassword(), QStringLiteral("sealedA"));
        QCOMPARE(m_rig->app->targetModel().count(), 1);
        QCOMPARE(m_rig->app->targetModel().row(0).caption, QStringLiteral("shopA"));
    }

    void theListShowsTheAccountsOfTheAccountBox()
    {
        QVERIFY(pair(QStringLiteral("shopA"), QStringLiteral("A1"), 5, 7, 1));
        QVERIFY(pair(QStringLiteral("shopB"), QStringLiteral("B1"), 3, 3));
        QVERIFY(pair(QStringLiteral("shopC"), QStringLiteral("C1"), 1, 9));
        auto w = window();
        ListModel &model = m_rig->app->targetModel();
        QCOMPARE(model.count(), 0); // the box is empty: no account, no rows

        auto *users = child<QComboBox>(w.get(), "_users");
        users->addItem(QStringLiteral("shopA,shopB"));
        QTest::mouseClick(child<QRadioButton>(w.get(), "_chkstock1"), Qt::LeftButton);
        QCOMPARE(model.count(), 2);
        const QString totals = QStringLiteral(" 共 2 项,其中有库存差异宝贝 1 项,无库存差异宝贝 1 项");
        QCOMPARE(m_rig->app->differenceQuery().totalsText(), totals);
        bool totalsShown = false;
        for (QLabel *l : child<QWidget>(w.get(), "_PanelObject_Total")->findChildren<QLabel *>())
            totalsShown = totalsShown || l->text() == totals;
        QVERIFY(totalsShown);
        auto *view = child<QTreeView>(w.get(), "_RzListViewTo");
        const int a = model.row(0).caption == QStringLiteral("shopA") ? 0 : 1;
        const int b = 1 - a;
        QVERIFY(model.isChecked(a));
        QVERIFY(!model.isChecked(b));
        // red text where the quantities differ, through what the view paints
        QCOMPARE(view->model()->index(a, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QVERIFY(!view->model()->index(b, 1).data(Qt::ForegroundRole).isValid());
        QCOMPARE(view->model()->index(a, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(view->model()->index(a, 0).data(Qt::DecorationRole).isValid());
        QCOMPARE(m_rig->ui.records().size(), 0);

        // the tick commands
        child<QAction>(w.get(), "N43")->trigger();
        QCOMPARE(model.checkedCount(), 2);
        child<QAction>(w.get(), "N44")->trigger();
        QCOMPARE(model.checkedCount(), 0);
        view->selectionModel()->select(view->model()->index(b, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        child<QAction>(w.get(), "N45")->trigger();
        QVERIFY(model.isChecked(b));
        QCOMPARE(model.checkedCount(), 1);

        // the price list as base: "只显示差异" on, the formula tab off
        auto *onlyDiff = child<QCheckBox>(w.get(), "_chkShowPrice");
        auto *page = child<QTabWidget>(w.get(), "_ObjectPage");
        QVERIFY(!onlyDiff->isEnabled());
        QTest::mouseClick(child<QRadioButton>(w.get(), "_chkUsePrice"), Qt::LeftButton);
        QVERIFY(onlyDiff->isEnabled());
        QVERIFY(!page->isTabEnabled(2));
        QTest::mouseClick(child<QRadioButton>(w.get(), "_chkstock2"), Qt::LeftButton);
        QVERIFY(!onlyDiff->isEnabled());
        QVERIFY(page->isTabEnabled(2));
        QCOMPARE(model.count(), 1);

        // "刷新" reloads without the keyword
        child<QLineEdit>(w.get(), "_ObjectKeyword")->setText(QStringLiteral("nothing-matches"));
        QTest::mouseClick(child<QWidget>(w.get(), "_ObjectSearch"), Qt::LeftButton);
        QCOMPARE(model.count(), 0);
        QTest::mouseClick(child<QToolButton>(w.get(), "_RefeshObject"), Qt::LeftButton);
        QCOMPARE(model.count(), 1);
    }
};

QTEST_MAIN(TargetPaneTest)
#include "target_pane_test.moc"
