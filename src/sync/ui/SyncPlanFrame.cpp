#include "sync/ui/SyncPlanFrame.h"

#include "app/Application.h"
#include "app/MainWindowState.h"
#include "app/ui/LoginShow.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "base/ListModel.h"
#include "source/SourceDownload.h"
#include "store/Settings.h"
#include "sync/QuantityUpload.h"
#include "target/ui/TargetListPage.h"
#include "target/ui/TargetPane.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolButton>

namespace {
// The tray's image list: the program icon, then the same with a dot going
// round its corners.
QList<QIcon> trayFrames()
{
    const QPixmap base = ProgramIcon().pixmap(32, 32);
    QList<QIcon> frames{QIcon(base)};
    const QPoint corners[] = {{22, 0}, {22, 22}, {0, 22}, {0, 0}};
    for (const QPoint &at : corners) {
        QPixmap p = base;
        QPainter painter(&p);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(QColor(40, 170, 60));
        painter.drawEllipse(QRectF(at.x() + 1, at.y() + 1, 8, 8));
        frames.append(QIcon(p));
    }
    return frames;
}
} // namespace

SyncPlanFrame::SyncPlanFrame(Application &app, QMainWindow &window, TargetPane &targets,
                             QSystemTrayIcon &tray, QObject *parent)
    : QObject(parent), m_app(app), m_window(window), m_targets(targets), m_tray(tray),
      m_download(app.sourceDownload())
{
    m_plan = new SyncPlan(app.db(), app.settings(), app.jobs(), app.ui(), *this, this);
    m_frames = trayFrames();
    m_tray.setIcon(m_frames.first());

    m_status = ui::label(window.statusBar(), QString(), QStringLiteral("_SyncPlanStatus"));
    m_status->setStyleSheet(QStringLiteral("color: rgb(168,4,4);"));
    m_status->setMinimumWidth(460);
    m_cancel = ui::named(new QToolButton(window.statusBar()), QStringLiteral("_SyncPlanCancel"));
    m_cancel->setText(QStringLiteral("取消执行同步计划"));
    window.statusBar()->addPermanentWidget(m_status);
    window.statusBar()->addPermanentWidget(m_cancel);
    m_status->hide();
    m_cancel->hide();
    connect(m_cancel, &QToolButton::clicked, m_plan, &SyncPlan::N29Click);

    connect(m_plan, &SyncPlan::runningChanged, this, &SyncPlanFrame::showRunning);
    connect(m_plan, &SyncPlan::trayChanged, this, &SyncPlanFrame::showTray);
    connect(&app.jobs(), &JobHost::trayHintChanged, this, &SyncPlanFrame::showHint);
    connect(m_plan, &SyncPlan::noteChanged, this, [this] { showHint(m_app.jobs().trayHint()); });
    connect(m_plan, &SyncPlan::cycleTrouble, this, &SyncPlanFrame::showTrouble);
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            showWindow();
    });
    m_animation.setSingleShot(false);
    connect(&m_animation, &QTimer::timeout, this, &SyncPlanFrame::nextFrame);

    // the cycle's record: its id goes with the journal rows, the upload fills its counts
    QuantityUploadJob &upload = app.quantityUpload();
    connect(m_plan, &SyncPlan::cycleStarted, this, [&upload](qint64 id) { upload.setCycleId(id); });
    connect(&upload, &QuantityUploadJob::ended, this, [this, &upload](QuantityUploadJob::Outcome) {
        if (!m_plan->running())
            return;
        CycleRecord &cycle = m_plan->cycle();
        cycle.differing = static_cast<int>(upload.planned().size());
        cycle.uploaded = static_cast<int>(upload.uploaded().size());
        cycle.refused = static_cast<int>(upload.refused().size());
        cycle.held = upload.outcome() == QuantityUploadJob::Outcome::Held ? upload.preview().held : QString();
        if (!upload.failureText().isEmpty() && upload.outcome() != QuantityUploadJob::Outcome::Held)
            m_plan->setStepError(upload.failureText());
    }, Qt::DirectConnection);
    // the source download's end hands over to the plan
    m_download.setPlanHandOver(
        [this](bool) { m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed); });
    connect(&m_download, &SourceDownloadJob::ended, this, [this](SourceDownloadJob::Outcome outcome) {
        using O = SourceDownloadJob::Outcome;
        if (outcome == O::Completed)
            return;
        m_plan->stepFinished(SyncPlan::Step::Download, outcome == O::Cancelled ? SyncPlan::Result::Cancelled
                                                                               : SyncPlan::Result::Failed);
    });
}

SyncPlanFrame::~SyncPlanFrame()
{
    // the job outlives the window
    m_download.setPlanHandOver({});
    m_app.jobs().setPlanRunning(false);
}

void SyncPlanFrame::setUploadButton(QAbstractButton *button)
{
    m_uploadButton = button;
}

bool SyncPlanFrame::jobRunning() const
{
    return m_app.jobs().busy();
}

bool SyncPlanFrame::uploadAllowed() const
{
    return m_uploadButton && m_uploadButton->isEnabled();
}

QString SyncPlanFrame::account() const
{
    return m_targets.currentAccount();
}

void SyncPlanFrame::showDifferences()
{
    QRadioButton *differ = m_targets.targetListPage()->viewButton(ViewFilter::Differ);
    if (differ->isChecked())
        m_targets.ObjectSearchClick();
    else
        differ->setChecked(true); // its handler runs the query
}

PlanSteps::Start SyncPlanFrame::startDownload()
{
    if (jobRunning())
        return Start::Refused;
    if (m_download.FromDownloadClick())
        return Start::Started;
    return m_download.outcome() == SourceDownloadJob::Outcome::NothingToDo ? Start::NothingToDo
                                                                           : Start::Failed;
}

int SyncPlanFrame::tickedRows() const
{
    ListModel *model = m_targets.targetModel();
    return model ? model->checkedCount() : -1;
}

PlanSteps::Start SyncPlanFrame::startUpload()
{
    if (jobRunning())
        return Start::Refused;
    if (!m_startUpload) {
        m_app.ui().error(QStringLiteral("上传最新库存数量的功能还不能使用."));
        return Start::Failed;
    }
    return m_startUpload();
}

void SyncPlanFrame::showRunning(bool running)
{
    m_tray.setProperty("Tag", running ? 1 : 0);
    m_status->setVisible(running);
    m_cancel->setVisible(running);
    if (running) {
        m_wasMaximized = m_window.isMaximized();
        const bool toTray = QSystemTrayIcon::isSystemTrayAvailable();
        // said while the window is still in view
        tellWhereTheWindowWent(toTray);
        if (toTray)
            m_window.hide();
        else
            m_window.showMinimized();
        return;
    }
    if (m_wasMaximized)
        m_window.showMaximized();
    else
        m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void SyncPlanFrame::showTray(SyncPlan::Tray tray)
{
    m_frame = 0;
    m_tray.setIcon(m_frames.first());
    switch (tray) {
    case SyncPlan::Tray::Hidden:
        m_animation.stop();
        m_tray.hide();
        return;
    case SyncPlan::Tray::Still:
        m_animation.stop();
        m_tray.show();
        return;
    case SyncPlan::Tray::Animated:
        m_tray.show();
        Intervals::arm(m_animation, 250, true);
        return;
    }
}

void SyncPlanFrame::nextFrame()
{
    // a job waiting out a network error shows the still icon
    if (m_app.jobs().countdownRunning())
        m_frame = 0;
    else
        m_frame = m_frame % (m_frames.size() - 1) + 1;
    m_tray.setIcon(m_frames.at(m_frame));
}

void SyncPlanFrame::showHint(const QString &hint)
{
    // the status text, then the next run and the last cycle's counts
    const QString full = hint + m_plan->cycleNote();
    m_tray.setToolTip(full);
    QString line = full;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    m_status->setText(line);
    m_status->setToolTip(full);
}

QString SyncPlanFrame::TroubleTitle(bool failed)
{
    return failed ? QStringLiteral("同步计划: 本次同步失败, 计划已暂停")
                  : QStringLiteral("同步计划: 上传保护, 本次没有上传");
}

void SyncPlanFrame::showTrouble(bool failed, const QString &reason)
{
    QString text = reason;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text += failed ? QStringLiteral("\n请打开主窗口查看; 右击图标可\"立即同步\"再试.")
                   : QStringLiteral("\n下次同步时会再检查.");
    m_tray.showMessage(TroubleTitle(failed), text,
                       failed ? QSystemTrayIcon::Critical : QSystemTrayIcon::Warning, 15000);
}

QString SyncPlanFrame::TrayNoticeText(bool trayAvailable)
{
    if (trayAvailable)
        return QStringLiteral("同步计划执行时, 程序已缩小到任务栏通知区域 (屏幕右下角的图标), "
                              "双击图标可打开主窗口.\r\n右击图标可\"立即同步\"或\"取消执行同步计划\".");
    return QStringLiteral("同步计划执行时, 程序已最小化到任务栏, 点击任务栏上的程序按钮可打开主窗口.\r\n"
                          "状态栏显示同步计划的状态, 右边的按钮可取消执行同步计划.");
}

void SyncPlanFrame::tellWhereTheWindowWent(bool toTray)
{
    const Settings &settings = m_app.settings();
    if (settings.flag(Setting::PlanTrayNoticeShown))
        return;
    // remembered first: a failing store must not make it come every time
    settings.setFlag(Setting::PlanTrayNoticeShown, true);
    m_app.ui().info(TrayNoticeText(toTray));
    if (toTray)
        m_tray.showMessage(ApplicationTitle(), QStringLiteral("程序已缩小到任务栏通知区域，双击图标可打开主窗口"),
                           QSystemTrayIcon::Information, 10000);
}

void SyncPlanFrame::showWindow()
{
    // hidden into the tray, or minimised: back as it was, in front
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}
