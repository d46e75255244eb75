// The window program's start-up: splash, data module, main window, and the
// end without a main window when the database cannot be opened.
#include "base/Clock.h"
#include "app/ui/LoginShow.h"
#include "app/ui/MainWindow.h"
#include "app/ui/StartUp.h"
#include "app/ui/WidgetInteraction.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
// Polls until check() returns true (then stops) or the time runs out.
void whenReady(std::function<bool()> check, int limitMs = 5000)
{
    auto *timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check, started, limitMs] {
        if (check() || started->elapsed() > limitMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

template <class T> T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}
} // namespace

class StartUpTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Intervals::setScale(0.05); }

    void splashThenMaximisedMainWindow()
    {
        QTemporaryDir dir;
        bool sawSplash = false;
        bool mainMaximised = false;
        bool splashHiddenThen = false;
        QString title;
        whenReady([&] {
            if (auto *s = topLevel<TfrmLoginShow>()) {
                sawSplash =
                    s->size() == QSize(467, 307) && s->windowFlags().testFlag(Qt::FramelessWindowHint);
            }
            auto *m = topLevel<TfrmMain>();
            if (!m || !m->firstLoadDone())
                return false;
            mainMaximised = m->windowState().testFlag(Qt::WindowMaximized);
            splashHiddenThen = topLevel<TfrmLoginShow>() == nullptr;
            title = QApplication::applicationName();
            // the close box ends the program without asking, even with
            // another window still open
            auto *other = new QWidget;
            other->setAttribute(Qt::WA_DeleteOnClose);
            other->show();
            m->close();
            QTimer::singleShot(0, other, &QWidget::close);
            return true;
        });
        const int code = RunProgramWindow(*qApp, dir.path());
        QCOMPARE(code, 0);
        QVERIFY(sawSplash);
        QVERIFY(mainMaximised);
        QVERIFY(splashHiddenThen);
        QCOMPARE(title, QStringLiteral("奥万淘宝库存同步助手"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("TBData/TBData.db"))));
    }

    void unreadableDatabaseEndsWithoutMainWindow()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("TBData")));
        QFile junk(dir.filePath(QStringLiteral("TBData/TBData.db")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();

        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool mainSeen = false;
        whenReady([&] {
            if (topLevel<TfrmMain>())
                mainSeen = true;
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return false;
            caption = box->windowTitle();
            icon = box->icon();
            box->accept();
            return true;
        });
        const int code = RunProgramWindow(*qApp, dir.path());
        QCOMPARE(code, 1);
        QCOMPARE(caption, QStringLiteral("错误"));
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY(!mainSeen);
        QVERIFY(!topLevel<TfrmMain>());
    }

    void widgetInteractionShowsTheDialogsAsAsked()
    {
        WidgetInteraction ui;
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        auto answer = [&](QMessageBox::StandardButton which) {
            whenReady([&, which] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return false;
                caption = box->windowTitle();
                icon = box->icon();
                buttons = box->standardButtons();
                box->button(which)->click();
                return true;
            });
        };
        answer(QMessageBox::Yes);
        QVERIFY(ui.question(QStringLiteral("提示"), QStringLiteral("是否要退出软件?"),
                            Interaction::Icon::Question));
        QCOMPARE(caption, QStringLiteral("提示"));
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
        answer(QMessageBox::No);
        QVERIFY(!ui.question(QStringLiteral("在线升级"), QStringLiteral("是否要执行在线升级?"),
                             Interaction::Icon::Question));
        QCOMPARE(caption, QStringLiteral("在线升级"));

        answer(QMessageBox::Ok);
        ui.warn(QStringLiteral("请选择要清除的项"));
        QCOMPARE(caption, QStringLiteral("提示"));
        QCOMPARE(icon, QMessageBox::Warning);
        answer(QMessageBox::Ok);
        ui.message(QStringLiteral("错误"), QStringLiteral("x"), Interaction::Icon::Error);
        QCOMPARE(icon, QMessageBox::Critical);

        // the prompt comes prefilled; OK returns the edited text, Cancel nothing
        QString shown;
        auto reply = [&](bool accept) {
            whenReady([&, accept] {
                auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return false;
                shown = dialog->textValue();
                dialog->setTextValue(QStringLiteral("新值"));
                accept ? dialog->accept() : dialog->reject();
                return true;
            });
        };
        reply(true);
        QCOMPARE(ui.prompt(QStringLiteral("提示"), QStringLiteral("修改价格"), QStringLiteral("12.5")),
                 std::optional<QString>(QStringLiteral("新值")));
        QCOMPARE(shown, QStringLiteral("12.5"));
        reply(false);
        QCOMPARE(ui.prompt(QStringLiteral("提示"), QStringLiteral("修改价格"), QStringLiteral("7")),
                 std::nullopt);
    }

    void qtTextsAreChinese()
    {
        InstallChineseTranslations(*qApp);
        QMessageBox box(QMessageBox::Question, QStringLiteral("提示"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No);
        const QString yes = box.button(QMessageBox::Yes)->text();
        const QString no = box.button(QMessageBox::No)->text();
        QVERIFY2(yes.contains(QStringLiteral("是")), qPrintable(yes));
        QVERIFY2(no.contains(QStringLiteral("否")), qPrintable(no));
    }
};

QTEST_MAIN(StartUpTest)
#include "startup_test.moc"
