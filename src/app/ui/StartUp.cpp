#include "app/ui/StartUp.h"

#include "app/Application.h"
#include "app/MainWindowState.h"
#include "app/ui/LoginShow.h"
#include "app/ui/SingleWindow.h"
#include "app/ui/MainWindow.h"
#include "history/ui/UploadHistoryWindow.h"
#include "source/ui/SourcePane.h"
#include "store/Settings.h"
#include "sync/DifferenceOptions.h"
#include "target/ui/TargetListPage.h"
#include "target/ui/TargetPane.h"
#include "app/ui/WidgetDesktop.h"
#include "app/ui/WidgetInteraction.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QThread>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTabWidget>
#include <QMenu>
#include <QTimer>
#include <QTranslator>
#include <exception>
#include <memory>

void InstallChineseTranslations(QApplication &app)
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &name : {QStringLiteral("qtbase_zh_CN"), QStringLiteral("qt_zh_CN")}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(name, folder)) {
            QCoreApplication::installTranslator(translator);
            break;
        }
        delete translator;
    }
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

namespace {
// STOCKSYNC_SCREENSHOT=FOLDER makes the program write FOLDER/splash.png when
// the splash shows, FOLDER/main.png once the main window has made its first
// load (at 1280 x 800 instead of maximised), FOLDER/main_source.png with
// the source pane expanded, FOLDER/main_target.png with the target list of
// the last used account (_Parameter 3) under "显示所有", and
// FOLDER/formula.png with the formula tab shown, FOLDER/options.png with
// the "高级选项" tab, FOLDER/upload_history.png with the upload history
// window, FOLDER/tray_menu.png with the tray icon's menu, and then end. Used by
// scripts/screenshot.sh; it has no other effect.
QString screenshotFolder()
{
    return qEnvironmentVariable("STOCKSYNC_SCREENSHOT");
}

void showFatal(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"), text, QMessageBox::Ok, owner);
    box.exec();
}
} // namespace

int RunProgramWindow(QApplication &app, const QString &dataDir)
{
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setApplicationDisplayName(QString());
    QApplication::setQuitOnLastWindowClosed(true);
    InstallChineseTranslations(app);
    LoadProgramResources();
    QApplication::setWindowIcon(ProgramIcon());

    const QString shots = screenshotFolder();

    const QString folder = dataDir.isEmpty() ? QCoreApplication::applicationDirPath() : dataDir;
    // One window per data folder: a second start brings the first forward.
    if (SingleWindow::bringForward(folder, 500))
        return 0;
    {
        // The folder is held but nobody answered: a window may be starting
        // (it listens once it has the folder); give it a few seconds.
        QLockFile probe(Application::lockFilePath(folder));
        probe.setStaleLockTime(0);
        if (!probe.tryLock(0) && probe.error() == QLockFile::LockFailedError) {
            QElapsedTimer waited;
            waited.start();
            while (waited.elapsed() < 5000) {
                if (SingleWindow::bringForward(folder, 500))
                    return 0;
                QThread::msleep(200);
            }
        }
    }

    TfrmLoginShow splash;
    WidgetInteraction ui(&splash);
    WidgetDesktop desktop;
    Application application(ui, desktop, folder);
    if (!application.open())
        return 1;
    SingleWindow single(folder);
    single.listen();

    std::unique_ptr<TfrmMain> main;
    bool failed = false;
    QObject::connect(&splash, &TfrmLoginShow::timerFired, &splash, [&] {
        try {
            main = std::make_unique<TfrmMain>(application);
            ui.setOwner(main.get());
            single.setWindow(main.get());
            if (!shots.isEmpty()) {
                QObject::connect(main.get(), &TfrmMain::firstLoadFinished, main.get(), [&] {
                    // let the layout settle before grabbing
                    QTimer::singleShot(300, main.get(), [&] {
                        QDir().mkpath(shots);
                        main->grab().save(QDir(shots).filePath(QStringLiteral("main.png")));
                        main->sourcePane().ShowSourcePageClick();
                        QTimer::singleShot(300, main.get(), [&] {
                            main->grab().save(QDir(shots).filePath(QStringLiteral("main_source.png")));
                            main->sourcePane().ShowSourcePageClick();
                            TargetPane &target = main->targetPane();
                            target.targetListPage()->viewButton(ViewFilter::All)->setChecked(true);
                            QTimer::singleShot(300, main.get(), [&] {
                                main->grab().save(QDir(shots).filePath(QStringLiteral("main_target.png")));
                                main->targetPane().objectPage()->setCurrentIndex(2);
                                QTimer::singleShot(300, main.get(), [&] {
                                    main->grab().save(QDir(shots).filePath(QStringLiteral("formula.png")));
                                    QTabWidget *pages = main->targetPane().objectPage();
                                    for (int i = 0; i < pages->count(); ++i)
                                        if (pages->tabText(i) == QStringLiteral("高级选项"))
                                            pages->setCurrentIndex(i);
                                    QTimer::singleShot(300, main.get(), [&] {
                                        main->grab().save(QDir(shots).filePath(QStringLiteral("options.png")));
                                        main->targetPane().objectPage()->setCurrentIndex(0);
                                        main->UploadHistoryClick();
                                        QTimer::singleShot(300, main.get(), [&] {
                                            if (auto *history = main->findChild<TfrmUploadHistory *>()) {
                                                history->grab().save(
                                                    QDir(shots).filePath(QStringLiteral("upload_history.png")));
                                                history->hide();
                                            }
                                            // offscreen there is no notification area: the
                                            // tray icon's own menu, opened as a popup
                                            auto *tray = main->findChild<QMenu *>(QStringLiteral("_PopupMenuSync"));
                                            if (!tray) {
                                                QCoreApplication::exit(0);
                                                return;
                                            }
                                            tray->popup(main->mapToGlobal(QPoint(900, 500)));
                                            QTimer::singleShot(300, main.get(), [&, tray] {
                                                tray->grab().save(QDir(shots).filePath(QStringLiteral("tray_menu.png")));
                                                tray->hide();
                                                QCoreApplication::exit(0);
                                            });
                                        });
                                    });
                                });
                            });
                        });
                    });
                });
            }
            splash.hide();
            if (shots.isEmpty()) {
                main->showMaximized();
            } else {
                main->resize(1280, 800);
                main->show();
            }
            main->activateWindow();
        } catch (const std::exception &e) {
            failed = true;
            showFatal(&splash, QString::fromLocal8Bit(e.what()));
            QCoreApplication::exit(1);
        } catch (...) {
            failed = true;
            showFatal(&splash, QStringLiteral("未知错误"));
            QCoreApplication::exit(1);
        }
    });

    splash.show();
    if (!shots.isEmpty()) {
        QTimer::singleShot(100, &splash, [&] {
            QDir().mkpath(shots);
            splash.grab().save(QDir(shots).filePath(QStringLiteral("splash.png")));
        });
    }
    const int code = app.exec();
    main.reset();
    return failed ? 1 : code;
}
