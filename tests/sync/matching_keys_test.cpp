// Matching keys compare like their columns: without regard to the case of
// ASCII letters, whichever of the nine keys is chosen.
#include "TestDataDir.h"
#include "source/SourceList.h"
#include "sync/MatchingKeys.h"

#include <QSqlQuery>
#include <QtTest>

class MatchingKeysTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keysIgnoreTheCaseOfLetters()
    {
        TestDataDir d;
        QVERIFY(d.open());
        QSqlQuery q(d.db());
        const QString columns = QStringLiteral("(title,outer_id,color,sku,outer_id_sku,oldcode,num,price,num_iid)");
        QVERIFY(q.exec(QStringLiteral("insert into TB_Source") + columns +
                       QStringLiteral(" values('t','abc','x','m','sk-a','h9',1,1,'1')")));
        QVERIFY(q.exec(QStringLiteral("insert into TB_Object") + columns +
                       QStringLiteral(" values('t','ABC','X','M','SK-A','H9',1,1,'2')")));
        for (int k = 0; k < MatchingKeys::Count; ++k) {
            const QString e = MatchingKeys::expression(k);
            QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Source where ") + e +
                           QStringLiteral(" in (select ") + e + QStringLiteral(" from TB_Object)")));
            QVERIFY(q.next());
            QVERIFY2(q.value(0).toInt() == 1, qPrintable(MatchingKeys::caption(k)));
            // the same with table prefixes, as a join writes it
            QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Source s join TB_Object o on ") +
                           MatchingKeys::expression(k, QStringLiteral("s.")) + QStringLiteral("=") +
                           MatchingKeys::expression(k, QStringLiteral("o."))));
            QVERIFY(q.next());
            QVERIFY2(q.value(0).toInt() == 1, qPrintable(MatchingKeys::caption(k)));

            // "仅目标店铺没有的宝贝" lists nothing: the target has the item
            SourceListFilter f;
            f.codeFilter = SourceListFilter::NotInTarget;
            f.matchingKey = k;
            const SourceListStatement st = BuildSourceListStatement(f, QString());
            QVERIFY(q.exec(QStringLiteral("select count(*) from (") + st.sql + QStringLiteral(")")));
            QVERIFY(q.next());
            QVERIFY2(q.value(0).toInt() == 0, qPrintable(MatchingKeys::caption(k)));
        }
    }
};

QTEST_GUILESS_MAIN(MatchingKeysTest)
#include "matching_keys_test.moc"
