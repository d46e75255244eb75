// The list and report commands of the command line, run in-process on a
// temporary data folder.
#include "app/CommandLine.h"
#include "base/Interaction.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <functional>
#include <unistd.h>

// UTF-8 literals as a list
static QStringList L(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

class ListCommandsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedInteraction m_ui;

    int run(const QString &command, const QStringList &arguments)
    {
        CommandContext ctx{m_dir.path(), arguments, m_ui};
        const CommandTable::Command *c = CommandTable::find(command);
        return c ? c->run(ctx) : -1;
    }
    QString file(const char *name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QStringList stock()
    {
        // a connection of the test's own, closed again before the next command
        QStringList out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
            db.setDatabaseName(m_dir.filePath(QStringLiteral("TBData/TBData.db")));
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("select outer_id||'/'||num from TB_Source_Stock order by Uniqid"));
            while (q.next())
                out << q.value(0).toString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
        return out;
    }

private Q_SLOTS:
    void importMergeAndReports()
    {
        QCOMPARE(run(QStringLiteral("import-stock"), {file("a.csv", "A,红,S,A-1,H1,5\nA,红,S,A-1,H1,3\n")}), 0);
        QCOMPARE(m_ui.messages().last(), QStringLiteral("导入商品库存数据,请确认. 共 2 项"));
        // a failing line: exit 1, the line named, nothing changed
        QCOMPARE(run(QStringLiteral("import-stock"), {file("b.csv", "B,红,S,,,1\nC,红,S,,,x\n"), QStringLiteral("--append")}),
                 1);
        QVERIFY(m_ui.messages().last().contains(QStringLiteral("其中 0 项已被导入.ERROR:第 2 行 \"C,红,S,,,x\"")));
        QCOMPARE(stock(), (L({"A/5", "A/3"})));
        QCOMPARE(run(QStringLiteral("import-stock"), {m_dir.filePath(QStringLiteral("missing.csv"))}), 1);
        QCOMPARE(stock().size(), 2);

        QCOMPARE(run(QStringLiteral("merge-stock"), {}), 0);
        QCOMPARE(stock(), L({"A/8"}));

        QCOMPARE(run(QStringLiteral("import-prices"), {file("p.csv", "T100,10\n")}), 0);
        QCOMPARE(run(QStringLiteral("prices"), {QStringLiteral("show")}), 0);
        QCOMPARE(run(QStringLiteral("stock"), {QStringLiteral("show"), QStringLiteral("--keyword"), QStringLiteral("A")}), 0);
        QCOMPARE(run(QStringLiteral("report"), {QStringLiteral("duplicates"), QStringLiteral("--account"), QStringLiteral("x")}), 0);
        QCOMPARE(run(QStringLiteral("report"), {QStringLiteral("stats"), QStringLiteral("--key"), QStringLiteral("7")}), 0);
        // wrong arguments
        QCOMPARE(run(QStringLiteral("report"), {QStringLiteral("stats"), QStringLiteral("--key"), QStringLiteral("9")}), 2);
        QCOMPARE(run(QStringLiteral("prices"), {}), 2);
        QCOMPARE(run(QStringLiteral("import-prices"), {}), 2);
    }

    // Without --account the commands use the account last selected (NM 3),
    // and standard output carries only their data.
    void accountDefaultsToTheStoredOne()
    {
        QCOMPARE(run(QStringLiteral("import-prices"), {file("q.csv", "T100,10\nJ200,20\n")}), 0);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
            db.setDatabaseName(m_dir.filePath(QStringLiteral("TBData/TBData.db")));
            db.open();
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("delete from _Parameter where NM=3")));
            QVERIFY(q.exec(QStringLiteral("insert into _Parameter(NM,ParaValue,ParaDesc) values(3,'shop_a','')")));
            QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,outer_id,num_iid) values('shop_a','T100','1')")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
        const QByteArray missing = stdoutOf([&] {
            QCOMPARE(run(QStringLiteral("prices"), {QStringLiteral("show"), QStringLiteral("--missing")}), 0);
        });
        QVERIFY2(missing.contains("J200") && !missing.contains("T100"), missing.constData());
        QVERIFY(missing.startsWith(QStringLiteral("序号,主商家编码,价格").toUtf8()));
        QVERIFY(!missing.contains(QStringLiteral("当前显示共").toUtf8()));
        const QByteArray stats = stdoutOf([&] {
            QCOMPARE(run(QStringLiteral("report"), {QStringLiteral("stats"), QStringLiteral("--stock"),
                                                     QStringLiteral("--by-target")}), 0);
        });
        QVERIFY2(stats.contains("T100"), stats.constData());
    }

private:
    // What a command writes to standard output.
    static QByteArray stdoutOf(const std::function<void()> &run)
    {
        QTemporaryFile out;
        if (!out.open())
            return {};
        std::fflush(stdout);
        const int saved = ::dup(1);
        ::dup2(out.handle(), 1);
        run();
        std::fflush(stdout);
        ::dup2(saved, 1);
        ::close(saved);
        out.seek(0);
        return out.readAll();
    }
};

QTEST_GUILESS_MAIN(ListCommandsTest)
#include "list_commands_test.moc"
