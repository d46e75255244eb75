// The quantity and price formulas row by row, their stored forms, and the
// formula page's save, load and leave.
#include "TestDataDir.h"
#include "store/Settings.h"
#include "sync/FormulaPage.h"
#include "sync/Formulas.h"
#include "sync/Selectors.h"

#include <QSqlQuery>
#include <QtTest>

class FormulasTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quantityFormula()
    {
        QuantityFormula q;
        q.setAddend(-2);
        QCOMPARE(q.apply(QStringLiteral("1")), QStringLiteral("0")); // not -1
        q.setAddend(0);
        q.setMultiplier(0.5); // halves to even
        QCOMPARE(q.apply(QStringLiteral("5")), QStringLiteral("2"));
        QCOMPARE(q.apply(QStringLiteral("7")), QStringLiteral("4"));
        q.setMultiplier(-0.5);
        q.setAddend(1);
        QCOMPARE(q.apply(qint64(7)), qint64(0)); // -2.5 -> -2 -> floor 0
        q.setAddend(0);
        q.setMultiplier(0.8);
        q.rounding = QuantityFormula::Rounding::Truncate;
        QCOMPARE(q.apply(QStringLiteral("9")), QStringLiteral("7"));
        QCOMPARE(q.multiplierText(), QStringLiteral("0.80"));
    }

    void priceFormula()
    {
        PriceFormula p;
        p.setMultiplier(1.2);
        QCOMPARE(p.apply(QStringLiteral("10")), QStringLiteral("12"));
        QCOMPARE(p.apply(QStringLiteral("9.99")), QStringLiteral("11.99")); // 11.988 to the cent
        p.setMultiplier(1);
        p.rounding = PriceFormula::Rounding::Truncate;
        QCOMPARE(p.apply(QStringLiteral("15.8")), QStringLiteral("15"));
        p.rounding = PriceFormula::Rounding::Round;
        QCOMPARE(p.apply(QStringLiteral("12.5")), QStringLiteral("12"));
        p.rounding = PriceFormula::Rounding::None;
        p.setAddend(-20);
        QCOMPARE(p.apply(QStringLiteral("9.99")), QStringLiteral("0"));
        p.setAddend(0.005);  // shows as "0.01"
        QCOMPARE(p.addendText(), QStringLiteral("0.01"));
        p.setAddend(0);
        QCOMPARE(p.apply(QStringLiteral("12.50")), QStringLiteral("12.5"));
        QCOMPARE(p.apply(QStringLiteral("30.00")), QStringLiteral("30"));
    }

    void storedForms()
    {
        QuantityFormula q;
        q.enabled = true;
        q.setMultiplier(0.8);
        q.setAddend(-2);
        QCOMPARE(q.storedForm(), QStringLiteral("1;0.80;-2;1;0"));
        QCOMPARE(QuantityFormula::fromStoredForm(q.storedForm()), q);
        // fewer fields: the missing ones keep their defaults
        const QuantityFormula shortForm = QuantityFormula::fromStoredForm(QStringLiteral("1;0.5"));
        QVERIFY(shortForm.enabled);
        QCOMPARE(shortForm.multiplier, 0.5);
        QCOMPARE(shortForm.addend, 0.0);
        QCOMPARE(shortForm.rounding, QuantityFormula::Rounding::Round);
        QCOMPARE(PriceFormula::fromStoredForm(QStringLiteral("1;x")).multiplier, 1.0);
        QCOMPARE(PriceFormula::fromStoredForm(QStringLiteral("1;1;0;0;1")).rounding, PriceFormula::Rounding::Round);
        QCOMPARE(PriceFormula::fromStoredForm(QStringLiteral("1;1;0;0;0;1")).rounding,
                 PriceFormula::Rounding::Truncate);
        QCOMPARE(PriceFormula::fromStoredForm(QStringLiteral("0")).rounding, PriceFormula::Rounding::None);
    }

    void pageSavesLoadsAndLeaves()
    {
        TestDataDir d;
        QVERIFY(d.open());
        const Settings s(d.db());
        QVERIFY(!s.exists(Setting::QuantityFormula));
        FormulaPage page(s, d.ui);
        Formulas f;
        f.quantity.enabled = true;
        f.price.enabled = true;
        f.price.setMultiplier(1.2);
        page.edit(f);
        QVERIFY(page.edited());
        QCOMPARE(page.tabCaption(), QStringLiteral("自定义公式(已启用)"));

        // both disabled, saved and loaded back
        f.quantity.enabled = false;
        f.price.enabled = false;
        page.edit(f);
        page.saveClicked();
        QVERIFY(!page.edited());
        QCOMPARE(d.ui.messages(), QStringList{QStringLiteral("保存完成，请确认.")});
        QSqlQuery q(d.db());
        QVERIFY(q.exec(QStringLiteral("select NM,ParaValue,ParaDesc from _Parameter where NM in (30,31) order by NM")));
        QVERIFY(q.next());
        QCOMPARE(q.value(1).toString(), QStringLiteral("0;1.00;0;1;0"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("源数量启用;乘数;加数;取整;抹零"));
        QVERIFY(q.next());
        QCOMPARE(q.value(1).toString(), QStringLiteral("0;1.20;0.00;1;0;0"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("源价格启用;乘数;加数;无;取整;抹零"));

        FormulaPage again(s, d.ui);
        again.GetFormula();
        QVERIFY(!again.quantityControlsEnabled());
        QVERIFY(!again.priceControlsEnabled());
        QCOMPARE(again.tabCaption(), QStringLiteral("自定义公式(未启用)"));
        QCOMPARE(again.formulas(), f);

        // leaving with edits: No reloads the stored settings
        Formulas edited = f;
        edited.quantity.enabled = true;
        again.edit(edited);
        d.ui.answerQuestion(false);
        QCOMPARE(again.leave(), FormulaPage::Leave::Discarded);
        QCOMPARE(again.formulas(), f);
        QCOMPARE(again.leave(), FormulaPage::Leave::NotEdited);

        // the key selector: a declined change shows the confirmed key again
        ConfirmedSelector key(ConfirmedSelector::Kind::MatchingKey);
        key.load(s);
        d.ui.answerQuestion(false);
        QCOMPARE(key.choose(3, false, d.ui, s), ConfirmedSelector::Choice::Reverted);
        QCOMPARE(key.shown(), 0);
        QCOMPARE(key.choose(3, true, d.ui, s), ConfirmedSelector::Choice::Ignored);
        QCOMPARE(key.shown(), 3);
        d.ui.answerQuestion(true);
        QCOMPARE(key.choose(3, false, d.ui, s), ConfirmedSelector::Choice::Confirmed);
        QCOMPARE(s.integer(Setting::MatchingKey), 3);
        QCOMPARE(key.colour(), 0xFCF7BAu);
        QCOMPARE(d.ui.last()->icon, Interaction::Icon::Warning);
    }
};

QTEST_GUILESS_MAIN(FormulasTest)
#include "formulas_test.moc"
