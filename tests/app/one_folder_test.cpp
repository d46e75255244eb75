// One data folder, one window, readers beside it: a second start of the
// window brings the first forward and ends with 0; read-only commands run
// beside the copy that holds the folder and see what it committed; a command
// that writes is refused; --data-dir must name a data folder.
#include "TestRig.h"
#include "app/ui/SingleWindow.h"
#include "store/UploadJournal.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run runProgram(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STOCKSYNC_EXE), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class OneFolderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readersRunBesideTheHolderWritersAreRefused()
    {
        // the rig's Application holds the folder, as the window or plan does
        TestRig rig;
        QVERIFY(rig.open());
        JournalEntry e;
        e.at = QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0));
        e.account = QStringLiteral("shop_a");
        e.numIid = QStringLiteral("610001");
        e.kind = QStringLiteral("quantity");
        e.before = QStringLiteral("1");
        e.after = QStringLiteral("4");
        e.startedBy = QStringLiteral("plan");
        e.title = QStringLiteral("已提交的一行");
        QVERIFY(UploadJournal(rig.app->db()).append(e));

        const QStringList dir{QStringLiteral("--data-dir"), rig.path()};
        const Run journal = runProgram(dir + QStringList{QStringLiteral("journal")});
        QCOMPARE(journal.code, 0);
        QVERIFY2(journal.out.contains(QStringLiteral("已提交的一行")), qPrintable(journal.out));
        for (const QStringList &reader :
             {QStringList{QStringLiteral("diff")}, QStringList{QStringLiteral("targets"), QStringLiteral("show")},
              QStringList{QStringLiteral("lists"), QStringLiteral("show"), QStringLiteral("--source")},
              QStringList{QStringLiteral("prices"), QStringLiteral("show")},
              QStringList{QStringLiteral("report"), QStringLiteral("stats")},
              QStringList{QStringLiteral("journal"), QStringLiteral("--cycles")}}) {
            const Run r = runProgram(dir + reader);
            QVERIFY2(r.code == 0, qPrintable(reader.join(QLatin1Char(' ')) + QStringLiteral(": ") + r.err));
        }
        // a command that changes data is still refused while the folder is held
        const Run writer = runProgram(dir + QStringList{QStringLiteral("add-items"), QStringLiteral("--source"),
                                                        QStringLiteral("520000001001")});
        QCOMPARE(writer.code, 1);
        QVERIFY2(writer.err.contains(QStringLiteral("正在被本程序的另一个副本使用")), qPrintable(writer.err));
        QCOMPARE(UploadJournal(rig.app->db()).read().size(), 1);
    }

    void dataDirMustNameADataFolder()
    {
        QTemporaryDir base;
        const QString missing = base.filePath(QStringLiteral("typo"));
        Run r = runProgram({QStringLiteral("--data-dir"), missing, QStringLiteral("diff")});
        QCOMPARE(r.code, 2);
        QVERIFY(!QFileInfo::exists(missing)); // nothing created
        QVERIFY2(r.err.contains(QStringLiteral("init-db")), qPrintable(r.err));

        // a folder without TBData/ is no data folder either
        r = runProgram({QStringLiteral("--data-dir"), base.path(), QStringLiteral("sync")});
        QCOMPARE(r.code, 2);
        QVERIFY(!QFileInfo::exists(base.filePath(QStringLiteral("TBData"))));

        r = runProgram({QStringLiteral("--data-dir"), QString(), QStringLiteral("diff")});
        QCOMPARE(r.code, 2);
        r = runProgram({QStringLiteral("--data-dir="), QStringLiteral("journal")});
        QCOMPARE(r.code, 2);

        // init-db makes one; then the other commands take it
        r = runProgram({QStringLiteral("--data-dir"), missing, QStringLiteral("init-db")});
        QCOMPARE(r.code, 0);
        QVERIFY(QFileInfo::exists(missing + QStringLiteral("/TBData/TBData.db")));
        r = runProgram({QStringLiteral("--data-dir"), missing, QStringLiteral("journal")});
        QCOMPARE(r.code, 0);
    }

    void aSecondStartBringsTheFirstWindowForward()
    {
        TestRig rig;
        QVERIFY(rig.open());
        QWidget window;
        window.setWindowTitle(QStringLiteral("first"));
        SingleWindow single(rig.path());
        QVERIFY(single.listen());
        single.setWindow(&window);
        QVERIFY(!window.isVisible()); // as in the notification area

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(STOCKSYNC_EXE), {QStringLiteral("--data-dir"), rig.path()});
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(OneFolderTest)
#include "one_folder_test.moc"
