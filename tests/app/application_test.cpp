// One program per data folder: a second copy refuses the folder before it
// changes anything; a lock left by a process that no longer runs is taken over.
#include "TestRig.h"
#include "store/DataModule.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QtTest>

class ApplicationTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneProgramPerDataFolder()
    {
        TestRig first;
        QVERIFY(first.open());
        const QString lock = QFileInfo(first.app->databasePath()).absolutePath() + QStringLiteral("/stocksync.lock");

        ScriptedInteraction ui;
        RecordingDesktop desktop;
        {
            Application second(ui, desktop, first.path());
            QVERIFY(!second.open());
            QCOMPARE(ui.records().size(), 1);
            QCOMPARE(ui.last()->caption, QStringLiteral("错误"));
            QCOMPARE(ui.last()->text, Application::folderInUseText(first.path()));
            QVERIFY(!second.db().isValid());
        }

        // the first copy ends: the folder is free again
        first.app.reset();
        {
            Application third(ui, desktop, first.path());
            QVERIFY(third.open());
        }

        // a lock file left by a killed process does not block the next start
        QFile stale(lock);
        QVERIFY(stale.open(QIODevice::WriteOnly | QIODevice::Truncate));
        stale.write(QByteArray("1073741823\nstocksync\n") + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();
        Application fourth(ui, desktop, first.path());
        QVERIFY(fourth.open());
    }
};

QTEST_GUILESS_MAIN(ApplicationTest)
#include "application_test.moc"
