// The upload history window: the journal newest first with colour and size
// from the target rows, its filters (date, account, kind, state, keyword),
// copy, the CSV export and the item's page; the cycles beside it.
#include "TestRig.h"
#include "history/UploadHistory.h"
#include "history/ui/UploadHistoryWindow.h"
#include "store/UploadJournal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QTabWidget>
#include <QtTest>

namespace {
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(QDir(dir).filePath(name)));
}

JournalEntry entry(const QString &at, const QString &account, const QString &numIid, const QString &skuId,
                   const QString &kind, const QString &before, const QString &after, const QString &title,
                   const QString &state = QStringLiteral("done"), const QString &message = QString())
{
    JournalEntry e;
    e.at = UploadJournal::parseTime(at);
    e.account = account;
    e.numIid = numIid;
    e.skuId = skuId;
    e.kind = kind;
    e.mode = QStringLiteral("full");
    e.before = before;
    e.after = after;
    e.startedBy = kind == QStringLiteral("quantity") ? QStringLiteral("plan") : QStringLiteral("person");
    e.title = title;
    e.state = state;
    e.message = message;
    return e;
}
} // namespace

class UploadHistoryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filtersCopyAndExport()
    {
        TestRig rig;
        QVERIFY(rig.open());
        QSqlQuery q(rig.app->db());
        // the target row of one SKU still exists: its colour and size show
        QVERIFY(q.exec(QStringLiteral(
            "insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id) values"
            "('shop_a','红色T恤','T100','红色','XL',5,30,'610001','9001')")));
        UploadJournal journal(rig.app->db());
        QVERIFY(journal.append(entry(QStringLiteral("2026-12-01 09:00:00"), QStringLiteral("shop_a"),
                                     QStringLiteral("610001"), QStringLiteral("9001"), QStringLiteral("quantity"),
                                     QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("红色T恤"))));
        QVERIFY(journal.append(entry(QStringLiteral("2026-12-03 10:00:00"), QStringLiteral("shop_b"),
                                     QStringLiteral("620002"), QString(), QStringLiteral("price"),
                                     QStringLiteral("30"), QStringLiteral("45"), QStringLiteral("蓝色外套, \"新款\""),
                                     QStringLiteral("refused"),
                                     QStringLiteral("SKU价格只能在商品价格的上下10%之内"))));
        QVERIFY(journal.append(entry(QStringLiteral("2026-12-05 11:00:00"), QStringLiteral("shop_a"),
                                     QStringLiteral("630003"), QString(), QStringLiteral("delist"),
                                     QStringLiteral("onsale"), QStringLiteral("instock"), QStringLiteral("旧款50%_裤"))));
        QVERIFY(q.exec(QStringLiteral("insert into TB_Sync_Cycle(started,ended,started_by,UserId,downloaded,"
                                      "differing,uploaded,refused,held,error) values"
                                      "('2026-12-01 08:59:00','2026-12-01 09:00:05','plan','shop_a',120,3,1,0,'',''),"
                                      "('2026-12-02 09:00:00','2026-12-02 09:01:00','sync','shop_a',0,0,0,0,'',"
                                      "'下载失败')")));

        TfrmUploadHistory w(rig.app->db(), rig.ui, rig.desktop,
                            [](const QString &id) -> QString { return QStringLiteral("http://item.test/item.htm?id=") + id; });
        w.resize(1200, 500);
        w.show();
        // newest first, every column in words
        QCOMPARE(w.shownRows().size(), 3);
        QCOMPARE(w.shownRows().at(0).numIid, QStringLiteral("630003"));
        QCOMPARE(w.shownRows().at(2).color, QStringLiteral("红色"));
        QCOMPARE(w.shownRows().at(2).size, QStringLiteral("XL"));
        QCOMPARE(w.shownRows().at(1).color, QString()); // its row is gone
        auto *model = qobject_cast<QStandardItemModel *>(w.historyView()->model());
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->item(0, 5)->text(), QStringLiteral("下架"));
        QCOMPARE(model->item(1, 9)->text(), QStringLiteral("被拒绝"));
        QCOMPARE(model->item(1, 10)->text(), QStringLiteral("SKU价格只能在商品价格的上下10%之内"));
        QCOMPARE(model->item(2, 8)->text(), QStringLiteral("同步计划"));
        QCOMPARE(w.shownCycles().size(), 2);
        QCOMPARE(w.shownCycles().first().error, QStringLiteral("下载失败"));
        shoot(&w, QStringLiteral("upload_history.png"));

        auto *account = w.findChild<QComboBox *>(QStringLiteral("_HistoryAccount"));
        auto *kind = w.findChild<QComboBox *>(QStringLiteral("_HistoryKind"));
        auto *state = w.findChild<QComboBox *>(QStringLiteral("_HistoryState"));
        auto *keyword = w.findChild<QLineEdit *>(QStringLiteral("_HistoryKeyword"));
        auto *query = w.findChild<QPushButton *>(QStringLiteral("_HistoryQuery"));
        QCOMPARE(account->count(), 3); // all, shop_a, shop_b

        account->setCurrentIndex(account->findData(QStringLiteral("shop_a")));
        query->click();
        QCOMPARE(w.shownRows().size(), 2);
        kind->setCurrentIndex(kind->findData(QStringLiteral("quantity")));
        query->click();
        QCOMPARE(w.shownRows().size(), 1);
        QCOMPARE(w.shownRows().first().numIid, QStringLiteral("610001"));
        account->setCurrentIndex(0);
        kind->setCurrentIndex(0);
        state->setCurrentIndex(state->findData(QStringLiteral("refused")));
        query->click();
        QCOMPARE(w.shownRows().size(), 1);
        QCOMPARE(w.shownRows().first().numIid, QStringLiteral("620002"));
        state->setCurrentIndex(0);

        // the keyword finds colours and sizes too; % and _ are plain characters
        keyword->setText(QStringLiteral("xl"));
        query->click();
        QCOMPARE(w.shownRows().size(), 1);
        keyword->setText(QStringLiteral("50%_"));
        query->click();
        QCOMPARE(w.shownRows().size(), 1);
        QCOMPARE(w.shownRows().first().numIid, QStringLiteral("630003"));
        keyword->setText(QStringLiteral("%"));
        query->click();
        QCOMPARE(w.shownRows().size(), 2); // the title with 50% and the refusal with 10%
        keyword->clear();

        // the date range includes its last day
        w.findChild<QCheckBox *>(QStringLiteral("_HistoryByDate"))->setChecked(true);
        w.findChild<QDateEdit *>(QStringLiteral("_HistoryFrom"))->setDate(QDate(2026, 12, 2));
        w.findChild<QDateEdit *>(QStringLiteral("_HistoryTo"))->setDate(QDate(2026, 12, 3));
        query->click();
        QCOMPARE(w.shownRows().size(), 1);
        QCOMPARE(w.shownRows().first().numIid, QStringLiteral("620002"));
        QCOMPARE(w.shownCycles().size(), 1); // the cycles of those days
        QCOMPARE(w.shownCycles().first().startedBy, QStringLiteral("sync"));

        // copy and the item's page work on the selected row
        w.historyView()->selectRow(0);
        w.findChild<QPushButton *>(QStringLiteral("_HistoryCopy"))->click();
        QVERIFY(rig.desktop.clipboardText().startsWith(QStringLiteral("2026-12-03 10:00:00\tshop_b\t")));
        w.findChild<QPushButton *>(QStringLiteral("_HistoryOpenPage"))->click();
        QCOMPARE(rig.desktop.openedUrls(), QStringList{QStringLiteral("http://item.test/item.htm?id=620002")});

        // the export writes what the list shows, as RFC 4180 CSV
        const QString file = rig.dir.filePath(QStringLiteral("history.csv"));
        rig.ui.answerSaveFile(file);
        w.findChild<QPushButton *>(QStringLiteral("_HistoryExport"))->click();
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), UploadHistory::captions().join(QLatin1Char(',')));
        QVERIFY2(lines.at(1).contains(QStringLiteral(",\"蓝色外套, \"\"新款\"\"\",")), qPrintable(lines.at(1)));
        QVERIFY(rig.ui.messages().last().startsWith(QStringLiteral("已导出 1 条记录")));

        // the cycles tab exports the cycles
        w.pages()->setCurrentIndex(1);
        shoot(&w, QStringLiteral("upload_history_cycles.png"));
        const QString cycles = rig.dir.filePath(QStringLiteral("cycles.csv"));
        rig.ui.answerSaveFile(cycles);
        w.findChild<QPushButton *>(QStringLiteral("_HistoryExport"))->click();
        QFile c(cycles);
        QVERIFY(c.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(c.readAll().mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 2);
    }
};

QTEST_MAIN(UploadHistoryTest)
#include "upload_history_test.moc"
